#pragma once

#include "platform/Text.h"

namespace sorvik {

// Appends "\" unless the text already ends in one; an empty text becomes "\".
u16 AddBackslash(u16view path);

// The text after the last "." of a name or pattern; empty when there is none
// or the text ends in ".".
u16 GetExtension(u16view name);

// The part of a path after its last "\" (the whole text when there is none).
u16 fileNameOf(u16view path);

// The directory part of a path, ending in "\" (empty when there is no "\").
u16 directoryOf(u16view path);

// Case-insensitive equality of two paths, as Windows compares them.
bool samePath(u16view a, u16view b);

}

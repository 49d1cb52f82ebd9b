#pragma once

#include "platform/Text.h"

namespace sorvik {

// The quoting and escaping of a description file's two fields, as
// DescriptionFile describes them: reading a field back into its text, and
// formatting a record's line.

// The text of a field with its "&#x<hex>;" escapes turned back; into an
// existing string, so a reload reuses its memory.
void unescapeInto(u16view text, u16& out);
// The description from the rest of a line after the separating comma.
void readComentInto(u16view raw, u16& out);
// Whether appendLine() would give the field exactly as it is.
bool goesOutAsItIs(u16view text, bool isPath);
// Appends one record's line without its line end, before encoding. With
// escapeUnencodable false, characters the code page lacks are left as they are.
void appendLine(u16& out, u16view path, u16view coment, bool escapeUnencodable);

}

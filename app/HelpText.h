#pragma once

#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <optional>

namespace sorvik {

// The help viewer's text: every line of the help file, each followed by
// CR LF, the last one too. The file is looked for where it is shipped first
// (beside a portable program, in share/sorvik of an installed one),
// then in the data directory, where the migration of its old name puts it.
// Nothing when neither can be read; an empty file gives an empty text.
std::optional<u16> LoadHelpText(const platform::FileSystem& fs, u16view helpDir, u16view dataDir);

// The message for a help file that cannot be read: its bare name, no path.
u16 missingHelpMessage();

}

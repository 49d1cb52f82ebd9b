#pragma once

#include "cmd/Commands.h"

namespace sorvik {

// A name a Windows file name can hold: not empty, not "." or "..", none of
// \ / : * ? " < > | nor control characters. The program's paths are Windows
// paths, so a name outside that set would not mean the same file there.
bool isValidFileName(u16view name);

// Renames `oldName` in CurrentDir to `newName`; the description moves with
// it and the table is refreshed. A name already taken, an invalid name or a
// refusal of the system is told with the reason, and then the file, its
// description and the table stay as they were; the outcome names the file
// and the reason.
CommandOutcome renameInCurrentDir(CommandContext& context, u16view oldName, u16view newName);

}

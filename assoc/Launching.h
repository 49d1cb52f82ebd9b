#pragma once

#include "assoc/AssociationTable.h"
#include "cmd/Commands.h"

#include <optional>

namespace sorvik {

// Asks the desktop to open a document with the program registered for it;
// false without asking when no file is there.
bool ShellOpen(const platform::FileSystem& fs, u16view path);

// Opens the file of the table's cursor row: through the desktop first, then
// with the program of the first association whose pattern matches its name.
// Done when something was started.
CommandOutcome LaunchCurrentFile(CommandContext& context, const AssociationTable& table);

// The association button's checks on the cursor cell: the pattern "*." and
// the upper-cased extension to edit, or nothing after the refusal message.
std::optional<u16> AssocPatternAtCursor(const FileTable& table);

// Messages of launching and of the association button.
inline constexpr char16_t kBadProgramPathMessage[] = u"このｻｰﾊﾞのﾊﾟｽは正しくありません\r\n関連付けで調べて下さい";
inline constexpr char16_t kNotAssociableCellMessage[] = u"ここは関連づけ出来ません";
inline constexpr char16_t kNotAssociableExtensionMessage[] = u"この拡張子は関連づけ出来ません";

// Program files are never associated: their extension opens nothing else.
bool isProgramExtension(u16view upperExtension);

}

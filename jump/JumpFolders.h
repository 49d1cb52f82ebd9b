#pragma once

#include "jump/JumpList.h"

#include <functional>
#include <optional>
#include <vector>

namespace sorvik {

// The alias Shift+J offers for the listed directory: its last folder name
// (C:\WORK\DOC\ gives DOC); a drive's root gives the drive (C:\ gives C:).
u16 defaultAlias(u16view currentDir);

// Why an alias cannot be kept, or nothing when it can. The settings file
// splits each jump line at its first comma, so an alias holding one would
// come back cut short with the rest glued to its folder.
std::optional<u16> aliasRefusal(u16view alias);

enum class Registration { Added, Removed };

// Shift+J with a chosen alias: appended with the folder, unless an entry
// already holds the alias's key; then that entry goes and nothing is added.
Registration registerJump(JumpList& list, u16view alias, u16view folder);

// Renames an entry (it moves to the end of the list). Gives the message to
// show instead when the new alias is refused: a comma, or the key of another
// entry, which the rename would otherwise overwrite.
std::optional<u16> renameJump(JumpList& list, u16view oldAlias, u16view newAlias);

// The line a typed key selects in the jump-folder dialog's list: the first
// line after `selected`, going round, whose text begins with the key's
// character (a digit or an upper-case letter) exactly; the selected line is
// looked at last. `selected` when no line matches; -1 means no selection.
int GetLisIX(const std::vector<u16>& lines, int selected, int keyCode);

// Moves the main window to a folder through `showFolder` (drive, tree and
// listing). A path that does not begin with a drive such as C:\ or that
// cannot be shown gives "パスが見つかりません" and the program directory
// instead; false then.
bool GoToFolder(u16view path, u16view programDir, const std::function<bool(u16view)>& showFolder);

}

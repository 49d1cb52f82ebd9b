#pragma once

#include "jump/JumpList.h"
#include "platform/DataFileNames.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "table/DisplayKinds.h"
#include "table/FilterList.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sorvik {

// The settings file in DataDir.
inline constexpr const char16_t* kSettingsFileName = kSettingsFile;

// What LoadSettings fills that belongs to the settings file alone; the member
// initialisers are the defaults that stay in force for everything the file
// does not set.
struct SettingsValues {
    // Window geometry in twips as last written; absent until a line sets it.
    std::optional<double> SavedTop;
    std::optional<double> SavedLeft;
    std::optional<double> SavedWidth;    // client area
    std::optional<double> SavedHeight;   // client area
    u16 StartDirectory;
};

// The values the file carries for other parts of the program. The main
// window's model owns them; the file only reads into them and writes them out.
struct SettingsLists {
    DisplayKinds& displayKinds;
    JumpList& jumpList;
    FilterList& filterList;
};

// The window's state at the moment of the main window's close.
struct SettingsSnapshot {
    double Top = 0;   // window's outer top and left edge, twips
    double Left = 0;
    double ClientWidth = 0;   // client area, twips
    double ClientHeight = 0;
    u16 ListedDirectory;   // the hidden file list's path; "\" is appended when missing
};

// The settings file as this instance read it: its stamp, and the user's
// choices as they stood right after the load. Another running instance may
// save the file before this one closes; the save then applies to the file
// only what this instance changed since (jump entries, filter entries and
// display kinds, each on its own), so neither loses the other's work. The
// window's place and the listed directory describe the window that closed
// last and simply take its values.
struct SettingsOrigin {
    enum class Kind { Unknown, Absent, Present };
    Kind kind = Kind::Unknown;   // Unknown counts as changed: the save merges
    platform::FileStamp stamp;
    DisplayKinds displayKinds;
    JumpList jumpList;
    FilterList filterList;
};

// True when key occurs in line ignoring letter case. out is then the text
// after the first occurrence read as a decimal number (blanks around it
// allowed) and rounded down, or NaN when that text is not a number, so the
// caller can leave its value unchanged. False with out = -1 when absent.
bool FindKey(u16view line, u16view key, double& out);

// Reads DataDir's settings file into values and lists; jump entries are
// appended to the list as it is. Without a readable file nothing changes;
// otherwise a StartDirectory that cannot be entered becomes programDir, and
// the working directory is the same afterwards as before.
void LoadSettings(
    platform::FileSystem& fs, u16view dataDir, u16view programDir, SettingsValues& values, const SettingsLists& lists);
// The same for a running program, remembering the file and the lists as loaded.
void LoadSettings(platform::FileSystem& fs, u16view dataDir, u16view programDir, SettingsValues& values,
    const SettingsLists& lists, SettingsOrigin& origin);

// What LoadSettings reads from the file's bytes, without the file and without
// the check that StartDirectory can be entered: it is left as the file has it.
void parseSettings(std::string_view bytes, SettingsValues& values, const SettingsLists& lists);

// Writes the settings file through a temporary file, so a failed write leaves
// the old file as it was, and tells the user, naming the file and the reason. An entry whose line cannot be stored
// faithfully (a character outside code page 932, a line break, or a jump line that would read back as a section header)
// is left out; every other line is written. A listed directory that cannot be stored is written as an empty line, which
// the next start reads as a directory it cannot enter (so ProgramDir).
// Whatever the file held is replaced.
void SaveSettings(platform::FileSystem& fs, u16view dataDir, const SettingsSnapshot& window,
    const DisplayKinds& displayKinds, const JumpList& jumpList, const FilterList& filterList);
// The same for a running program. While the file is as `origin` found it,
// it is replaced; once another instance saved it, it is read again and this
// instance's changes since `origin` are applied to what it holds, and the
// lists become what was written. A file that exists but cannot be read then
// is left as it is and the user told, since writing would lose its content.
// `origin` follows the file written.
void SaveSettings(platform::FileSystem& fs, u16view dataDir, const SettingsSnapshot& window, const SettingsLists& lists,
    SettingsOrigin& origin);

// A number as the settings file holds it: one sign position (blank or "-"),
// the general decimal form with up to 15 significant digits (no zero before
// the decimal point, exponent form "1E+15" / "1E-05" outside 1E-04..1E+15),
// and one trailing blank. Not-finite values are written as 0.
u16 settingsNumberText(double value);

// The bytes SaveSettings writes, built in memory.
std::string settingsFileBytes(const SettingsSnapshot& window, const DisplayKinds& displayKinds,
    const JumpList& jumpList, const FilterList& filterList);

}

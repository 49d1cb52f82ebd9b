#pragma once

#include "jump/JumpList.h"
#include "table/DisplayKinds.h"
#include "table/FilterList.h"
#include "platform/DataFileNames.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

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
    double Top = 0;            // window's outer top and left edge, twips
    double Left = 0;
    double ClientWidth = 0;    // client area, twips
    double ClientHeight = 0;
    u16 ListedDirectory;       // the hidden file list's path; "\" is appended when missing
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
void LoadSettings(platform::FileSystem& fs, u16view dataDir, u16view programDir,
    SettingsValues& values, const SettingsLists& lists);

// What LoadSettings reads from the file's bytes, without the file and without
// the check that StartDirectory can be entered: it is left as the file has it.
void parseSettings(std::string_view bytes, SettingsValues& values, const SettingsLists& lists);

// Writes the settings file through a temporary file, so a failed write leaves
// the old file as it was, and tells the user, naming the file and the reason. An entry whose line cannot be stored faithfully (a
// character outside code page 932, a line break, or a jump line that would
// read back as a section header) is left out; every other line is written.
// A listed directory that cannot be stored is written as an empty line, which
// the next start reads as a directory it cannot enter (so ProgramDir).
void SaveSettings(platform::FileSystem& fs, u16view dataDir,
    const SettingsSnapshot& window, const DisplayKinds& displayKinds, const JumpList& jumpList,
    const FilterList& filterList);

// A number as the settings file holds it: one sign position (blank or "-"),
// the general decimal form with up to 15 significant digits (no zero before
// the decimal point, exponent form "1E+15" / "1E-05" outside 1E-04..1E+15),
// and one trailing blank. Not-finite values are written as 0.
u16 settingsNumberText(double value);

// The bytes SaveSettings writes, built in memory.
std::string settingsFileBytes(const SettingsSnapshot& window, const DisplayKinds& displayKinds,
    const JumpList& jumpList, const FilterList& filterList);

}

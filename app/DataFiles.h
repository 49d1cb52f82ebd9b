#pragma once

#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace sorvik {

// The program's own data file names, stored in code page 932 on Windows.
inline constexpr char16_t kSettingsFile[] = u"黑黑黑黑.ini";
inline constexpr char16_t kAssociationFile[] = u"黑黑黑黑.txt";
inline constexpr char16_t kHelpFile[] = u"黑黑黑HP.txt";
inline constexpr char16_t kDescriptionFile[] = u"SorvikDP.txt";
inline constexpr char16_t kGuardFile[] = u"黑黑黑黑.DTB";
inline constexpr char16_t kDataDirName[] = u"SYSDAT";

// Gives a file its new name if it exists under the old one. Never reports
// anything and never replaces an existing file of the new name.
void MigrateOldDataFile(platform::FileSystem& fs, u16view oldPath, u16view newPath);

}

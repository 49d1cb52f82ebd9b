#pragma once

#include "platform/Text.h"

namespace sorvik {

// The program's own data file names, stored in code page 932 on Windows.
// They sit here, below every subsystem, because descriptions, settings and
// the file commands all need them.
inline constexpr char16_t kSettingsFile[] = u"黑黑黑黑.ini";
inline constexpr char16_t kAssociationFile[] = u"黑黑黑黑.txt";
inline constexpr char16_t kHelpFile[] = u"黑黑黑HP.txt";
inline constexpr char16_t kDescriptionFile[] = u"SorvikDP.txt";
inline constexpr char16_t kGuardFile[] = u"黑黑黑黑.DTB";
inline constexpr char16_t kDataDirName[] = u"SYSDAT";

// Copy and move refuse these two, compared by name alone, ignoring case.
inline constexpr const char16_t* kProtectedNames[] = {kGuardFile, kSettingsFile};

// Delete refuses shortcuts and every file whose name begins with this.
inline constexpr char16_t kDataFilePrefix[] = u"黑黑黑";

}

#pragma once

#include "platform/DataFileNames.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace sorvik {

// Gives a file its new name if it exists under the old one. Never reports
// anything and never replaces an existing file of the new name.
void MigrateOldDataFile(platform::FileSystem& fs, u16view oldPath, u16view newPath);

}

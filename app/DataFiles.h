#pragma once

#include "platform/DataFileNames.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace sorvik {

// Gives a file its new name if it exists under the old one. Never reports
// anything and never replaces an existing file of the new name.
void MigrateOldDataFile(platform::FileSystem& fs, u16view oldPath, u16view newPath);

// Makes a data directory with every missing directory above it.
platform::Status CreateDataDirectory(platform::FileSystem& fs, u16view dataDir);

// The message for a data directory that cannot be made: it and the reason.
u16 dataDirMissingMessage(u16view dataDir, const platform::Error& error);

}

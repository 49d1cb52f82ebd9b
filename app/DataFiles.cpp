#include "app/DataFiles.h"

namespace sorvik {

void MigrateOldDataFile(platform::FileSystem& fs, u16view oldPath, u16view newPath)
{
    if (!fs.canOpenForRead(oldPath))
        return;
    fs.rename(oldPath, newPath);
}

}

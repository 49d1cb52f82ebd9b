#include "app/DataFiles.h"

#include "platform/Paths.h"

#include <vector>

namespace sorvik {

void MigrateOldDataFile(platform::FileSystem& fs, u16view oldPath, u16view newPath)
{
    if (!fs.canOpenForRead(oldPath))
        return;
    fs.rename(oldPath, newPath);
}

platform::Status CreateDataDirectory(platform::FileSystem& fs, u16view dataDir)
{
    // From the deepest existing directory down; "C:\" itself always exists.
    std::vector<u16> missing;
    u16 dir = AddBackslash(dataDir);
    while (dir.size() > 3 && !fs.directoryExists(dir)) {
        missing.push_back(dir);
        dir = directoryOf(dir.substr(0, dir.size() - 1));
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        // Another instance may make it at the same moment.
        if (platform::Status made = fs.createDirectory(it->substr(0, it->size() - 1));
            !made && !fs.directoryExists(*it))
            return made;
    }
    if (missing.empty() && !fs.directoryExists(dataDir))
        return fs.createDirectory(dataDir);
    return platform::Status::ok();
}

u16 dataDirMissingMessage(u16view dataDir, const platform::Error& error)
{
    return u16(dataDir) + u"を作成できません\r\n" + platform::reasonText(error);
}

}

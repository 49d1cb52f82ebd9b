#include "platform/FileSystem.h"

#include "platform/Faults.h"

// What both system layers share: the path mapping and the fault seam.
namespace sorvik::platform {

int FileSystem::fault(FsCall call, const std::string& host) const
{
    return m_faults ? m_faults->before(call, host) : 0;
}

std::optional<std::string> FileSystem::hostPath(u16view path) const
{
    // "\dir" is rooted on the drive of the working directory.
    if (!path.empty() && path[0] == u'\\' && (path.size() == 1 || path[1] != u'\\')) {
        std::optional<u16> cwd = currentDirectory();
        if (!cwd)
            return std::nullopt;
        return m_drives.toHost(cwd->substr(0, 2) + u16(path));
    }
    return m_drives.toHost(path);
}

}

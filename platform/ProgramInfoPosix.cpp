#include "platform/Program.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <climits>
#include <unistd.h>

#ifndef SORVIK_REVISION
#define SORVIK_REVISION 0
#endif

namespace sorvik::platform {

ProgramInfo detectProgramInfo(const FileSystem& fs)
{
    ProgramInfo info;
    info.revision = SORVIK_REVISION;
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return info;
    std::string exe(buf, static_cast<std::size_t>(n));
    std::size_t slash = exe.rfind('/');
    std::string dir = slash == 0 ? "/" : exe.substr(0, slash);
    info.fileName = hostNameToWin(exe.substr(slash + 1));
    std::size_t dot = info.fileName.rfind(u'.');
    info.name = dot == u16::npos || dot == 0 ? info.fileName : info.fileName.substr(0, dot);
    if (std::optional<u16> win = fs.drives().toWin(dir))
        info.directory = AddBackslash(*win);
    return info;
}

}

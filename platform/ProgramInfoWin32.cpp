#include "platform/Program.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Win32Files.h"

#include <vector>

#ifndef SORVIK_REVISION
#define SORVIK_REVISION 0
#endif

namespace sorvik::platform {

ProgramInfo detectProgramInfo(const FileSystem& fs)
{
    ProgramInfo info;
    info.revision = SORVIK_REVISION;
    // Long paths can exceed MAX_PATH; grow until the name fits.
    std::vector<wchar_t> buf(MAX_PATH);
    DWORD n = 0;
    for (;;) {
        n = ::GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0)
            return info;
        if (n < buf.size())
            break;
        buf.resize(buf.size() * 2);
    }
    const std::string exe = narrowHost(std::wstring_view(buf.data(), n));
    const std::size_t slash = exe.find_last_of("\\/");
    if (slash == std::string::npos)
        return info;
    info.fileName = fromUtf8(exe.substr(slash + 1));
    const std::size_t dot = info.fileName.rfind(u'.');
    info.name = dot == u16::npos || dot == 0 ? info.fileName : info.fileName.substr(0, dot);
    if (std::optional<u16> win = fs.drives().toWin(exe.substr(0, slash)))
        info.directory = AddBackslash(*win);
    return info;
}

}

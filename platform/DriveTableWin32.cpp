#include "platform/DriveTable.h"

#include "platform/Win32Files.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace sorvik::platform {

// Every letter the system has, each its own root: Windows paths are host paths.
DriveTable DriveTable::detect()
{
    DriveTable table;
    const DWORD mask = ::GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(mask & (1u << i)))
            continue;
        const wchar_t root[] = {static_cast<wchar_t>(L'A' + i), L':', L'\\', 0};   // "C:\" becomes "C:/"
        const UINT type = ::GetDriveTypeW(root);
        if (type == DRIVE_NO_ROOT_DIR)
            continue;
        table.add(static_cast<char16_t>(u'A' + i), narrowHost(root), static_cast<int>(type));
    }
    return table;
}

// A mount table says nothing about Windows drives; one in a file is read as
// on Linux so tests of its rules run here too.
DriveTable DriveTable::detectFrom(const std::string& mountInfoPath)
{
    std::ifstream in(std::filesystem::path(wideHost(mountInfoPath)));
    std::ostringstream text;
    text << in.rdbuf();
    return fromMountInfo(text.str());
}

// Windows names need no mapping: they are UTF-16 already, and the host form
// is their UTF-8 (lone surrogates kept, see wideHost).
u16 hostNameToWin(std::string_view hostName)
{
    const std::wstring wide = wideHost(hostName);
    return u16(reinterpret_cast<const char16_t*>(wide.data()), wide.size());
}

std::string winNameToHost(u16view winName)
{
    return narrowHost(std::wstring_view(reinterpret_cast<const wchar_t*>(winName.data()), winName.size()));
}

}

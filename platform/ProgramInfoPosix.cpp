#include "platform/Program.h"

#include "platform/DataFileNames.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#ifndef SORVIK_REVISION
#define SORVIK_REVISION 0
#endif

namespace sorvik::platform {

namespace {

bool isDirectory(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

}

PlacementFacts gatherPlacementFacts(const std::string& exeDir)
{
    PlacementFacts facts;
    facts.exeDir = exeDir;
    const std::string base = exeDir == "/" ? "" : exeDir;
    facts.dataDirBeside = isDirectory(base + "/" + toUtf8(kDataDirName));
    const std::size_t slash = base.rfind('/');
    if (slash != std::string::npos && base.substr(slash + 1) == "bin")
        facts.installLayout = isDirectory(base.substr(0, slash) + "/share/sorvik");
    facts.exeDirWritable = ::access(exeDir.c_str(), W_OK | X_OK) == 0;
    facts.xdgDataHome = environment("XDG_DATA_HOME");
    facts.home = environment("HOME");
    if (facts.home.empty()) {
        if (const struct passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
            facts.home = pw->pw_dir;
    }
    return facts;
}

ProgramInfo programInfoAt(const FileSystem& fs, const std::string& exePath, const ProgramPlace& place)
{
    ProgramInfo info;
    info.revision = SORVIK_REVISION;
    const std::size_t slash = exePath.rfind('/');
    if (slash == std::string::npos)
        return info;
    info.fileName = hostNameToWin(exePath.substr(slash + 1));
    const std::size_t dot = info.fileName.rfind(u'.');
    info.name = dot == u16::npos || dot == 0 ? info.fileName : info.fileName.substr(0, dot);
    const auto winDir = [&](const std::string& host) {
        std::optional<u16> win = fs.drives().toWin(host);
        return win ? AddBackslash(*win) : u16();
    };
    info.directory = winDir(slash == 0 ? "/" : exePath.substr(0, slash));
    info.placement = place.placement;
    if (!place.dataDir.empty())
        info.dataDirectory = winDir(place.dataDir);
    if (!place.runtimeDir.empty())
        info.runtimeDirectory = winDir(place.runtimeDir);
    return info;
}

ProgramInfo detectProgramInfo(const FileSystem& fs)
{
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) {
        ProgramInfo info;
        info.revision = SORVIK_REVISION;
        return info;
    }
    const std::string exe(buf, static_cast<std::size_t>(n));
    const std::size_t slash = exe.rfind('/');
    const std::string dir = slash == 0 ? "/" : exe.substr(0, slash);
    return programInfoAt(fs, exe, placeProgram(gatherPlacementFacts(dir)));
}

}

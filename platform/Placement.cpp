#include "platform/Placement.h"

#include "platform/DataFileNames.h"
#include "platform/Text.h"

namespace sorvik::platform {

namespace {

std::string joined(std::string dir, const std::string& rest)
{
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return dir == "/" ? dir + rest : dir + "/" + rest;
}

std::string parentOf(const std::string& dir)
{
    std::string d = dir;
    while (d.size() > 1 && d.back() == '/')
        d.pop_back();
    const std::size_t slash = d.rfind('/');
    if (slash == std::string::npos)
        return d;
    return slash == 0 ? "/" : d.substr(0, slash);
}

}

ProgramPlace placeProgram(const PlacementFacts& facts)
{
    ProgramPlace place;
    const std::string sysdat = toUtf8(kDataDirName);
    const bool portable = facts.dataDirBeside || (!facts.installLayout && facts.exeDirWritable);
    if (portable) {
        place.placement = Placement::Portable;
        place.dataDir = joined(facts.exeDir, sysdat);
        place.runtimeDir = facts.exeDir;
        return place;
    }
    place.placement = Placement::Installed;
    place.runtimeDir = facts.installLayout ? joined(parentOf(facts.exeDir), "share/sorvik") : facts.exeDir;
    std::string dataHome;
    if (!facts.xdgDataHome.empty() && facts.xdgDataHome.front() == '/')
        dataHome = facts.xdgDataHome;
    else if (!facts.home.empty() && facts.home.front() == '/')
        dataHome = joined(facts.home, ".local/share");
    if (!dataHome.empty())
        place.dataDir = joined(dataHome, "sorvik/" + sysdat);
    return place;
}

}

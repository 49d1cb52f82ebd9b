#pragma once

#include "tests/support/TempDrive.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <system_error>

namespace sorvik::test {

// Every regular file of a host directory with its bytes, dot files (and so
// our temporary files) included: two equal snapshots mean nothing was lost,
// changed or left behind.
using Snapshot = std::map<std::string, std::string>;

inline Snapshot snapshotOf(const std::string& hostDir)
{
    Snapshot out;
    for (const auto& entry : std::filesystem::directory_iterator(hostFsPath(hostDir))) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        out[entry.path().filename().string()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return out;
}

// Whether one of our temporary files is left in a host directory.
inline bool temporariesIn(const std::string& hostDir)
{
    bool found = false;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(hostFsPath(hostDir), ec))
        found = found || e.path().filename().u8string().rfind(u8".~sorvik-", 0) == 0;
    return found;
}

}

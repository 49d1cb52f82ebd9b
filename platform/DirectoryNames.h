#pragma once

#include "platform/FileSystem.h"

#include <optional>
#include <unordered_map>
#include <vector>

namespace sorvik::platform {

// The names of one directory as Windows tells them apart. Names whose upper
// case is the same are one name there, and one description key everywhere;
// a case-sensitive file system holds them apart, so whoever writes a name
// asks here first which existing entry it means.
class DirectoryNames {
public:
    DirectoryNames() = default;

    // The entries of `dir` as they are now.
    static Result<DirectoryNames> read(const FileSystem& fs, u16view dir);

    // The entry `name` means: itself when it is there under that spelling,
    // else the first (in code unit order) that differs from it only in
    // letter case; nothing when there is none.
    std::optional<u16> find(u16view name) const;
    // Every entry that differs from `name` at most in letter case.
    const std::vector<u16>& matches(u16view name) const;

    // Notes an entry made after the directory was read.
    void add(u16view name);

private:
    std::unordered_map<u16, std::vector<u16>> m_byUpper;
};

// The path of the entry `path` names on Windows, spelt as it is on the disk:
// `path` itself when it exists so, else an entry of its directory whose name
// differs only in letter case. Nothing when there is none; `path` as it is
// when its directory cannot be read and it exists.
std::optional<u16> existingPathIgnoringCase(const FileSystem& fs, u16view path);

}

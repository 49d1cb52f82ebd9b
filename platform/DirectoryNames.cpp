#include "platform/DirectoryNames.h"

#include "platform/Paths.h"

#include <algorithm>

namespace sorvik::platform {

Result<DirectoryNames> DirectoryNames::read(const FileSystem& fs, u16view dir)
{
    Result<std::vector<DirEntry>> entries = fs.listDirectory(dir);
    if (!entries)
        return entries.error();
    DirectoryNames names;
    for (const DirEntry& entry : *entries)
        names.add(entry.name);
    return names;
}

void DirectoryNames::add(u16view name)
{
    std::vector<u16>& same = m_byUpper[toUpper(name)];
    if (std::find(same.begin(), same.end(), name) == same.end())
        same.emplace_back(name);
}

const std::vector<u16>& DirectoryNames::matches(u16view name) const
{
    static const std::vector<u16> none;
    auto it = m_byUpper.find(toUpper(name));
    return it == m_byUpper.end() ? none : it->second;
}

std::optional<u16> DirectoryNames::find(u16view name) const
{
    const std::vector<u16>& same = matches(name);
    if (same.empty())
        return std::nullopt;
    if (std::find(same.begin(), same.end(), name) != same.end())
        return u16(name);
    return *std::min_element(same.begin(), same.end());
}

std::optional<u16> existingPathIgnoringCase(const FileSystem& fs, u16view path)
{
    const u16 dir = directoryOf(path);
    const Result<DirectoryNames> names = DirectoryNames::read(fs, dir);
    if (!names) {
        if (fs.exists(path))
            return u16(path);
        return std::nullopt;
    }
    if (std::optional<u16> name = names->find(fileNameOf(path)))
        return dir + *name;
    return std::nullopt;
}

}

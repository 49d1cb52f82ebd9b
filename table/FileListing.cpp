#include "table/FileListing.h"

namespace sorvik {

bool FileListing::refresh(const platform::FileSystem& fs)
{
    m_files.clear();
    auto entries = fs.listDirectoryWithInfo(m_path);
    if (!entries)
        return false;
    m_files.reserve(entries->size());
    for (auto& entry : *entries) {
        if (entry.isDirectory || !m_pattern.matches(entry.name))
            continue;
        // A file that vanished after the directory was read is still listed,
        // with empty cells: the table shows what the directory said.
        if (entry.info && !listed(entry.info->attributes))
            continue;
        m_files.push_back(ListedFile{std::move(entry.name), entry.info});
    }
    return true;
}

bool FileListing::listed(std::uint32_t attributes) const
{
    if ((attributes & platform::kAttrReadOnly) && !m_switches.readOnly)
        return false;
    if ((attributes & platform::kAttrHidden) && !m_switches.hidden)
        return false;
    if ((attributes & platform::kAttrSystem) && !m_switches.system)
        return false;
    if ((attributes & platform::kAttrArchive) && !m_switches.archive)
        return false;
    return true;
}

}

#include "table/FileListing.h"

#include "platform/Paths.h"

namespace sorvik {

bool FileListing::refresh(const platform::FileSystem& fs)
{
    m_items.clear();
    auto entries = fs.listDirectory(m_path);
    if (!entries)
        return false;
    const u16 dir = AddBackslash(m_path);
    for (auto& entry : *entries) {
        if (entry.isDirectory || !m_pattern.matches(entry.name))
            continue;
        // Files whose attributes cannot be read are listed: hiding them would
        // hide a file the user cannot see any other way.
        auto attributes = fs.attributes(dir + entry.name);
        if (attributes && !listed(*attributes))
            continue;
        m_items.push_back(std::move(entry.name));
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
    return true;
}

}

#include "jump/JumpList.h"

namespace sorvik {

bool JumpList::append(clsJump entry)
{
    if (m_indexByKey.contains(entry.Key))
        return false;
    m_indexByKey.emplace(entry.Key, m_entries.size());
    m_entries.push_back(std::move(entry));
    return true;
}

std::size_t JumpList::indexOf(u16view alias) const
{
    auto it = m_indexByKey.find(platform::toUpper(alias));
    return it == m_indexByKey.end() ? m_entries.size() : it->second;
}

const clsJump* JumpList::find(u16view alias) const
{
    std::size_t i = indexOf(alias);
    return i < m_entries.size() ? &m_entries[i] : nullptr;
}

void JumpList::reindexFrom(std::size_t first)
{
    for (std::size_t i = first; i < m_entries.size(); ++i)
        m_indexByKey[m_entries[i].Key] = i;
}

bool JumpList::remove(u16view alias)
{
    std::size_t i = indexOf(alias);
    if (i >= m_entries.size())
        return false;
    m_indexByKey.erase(m_entries[i].Key);
    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(i));
    reindexFrom(i);
    return true;
}

bool JumpList::rename(u16view oldAlias, u16 newAlias)
{
    std::size_t i = indexOf(oldAlias);
    if (i >= m_entries.size())
        return false;
    clsJump renamed(std::move(newAlias), m_entries[i].fPath);
    std::size_t other = indexOf(renamed.Alias);
    if (other < m_entries.size() && other != i)
        return false;
    remove(oldAlias);
    return append(std::move(renamed));
}

bool JumpList::operator==(const JumpList& other) const
{
    if (m_entries.size() != other.m_entries.size())
        return false;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const clsJump& a = m_entries[i];
        const clsJump& b = other.m_entries[i];
        if (a.Key != b.Key || a.Alias != b.Alias || a.fPath != b.fPath)
            return false;
    }
    return true;
}

JumpList mergeJumpLists(const JumpList& origin, const JumpList& mine, const JumpList& theirs)
{
    JumpList merged = theirs;
    for (const clsJump& before : origin) {
        if (!mine.contains(before.Alias))
            merged.remove(before.Alias);
    }
    for (const clsJump& now : mine) {
        const clsJump* before = origin.find(now.Alias);
        if (before && before->Alias == now.Alias && before->fPath == now.fPath)
            continue;
        merged.remove(now.Alias);
        merged.append(now);
    }
    return merged;
}

}

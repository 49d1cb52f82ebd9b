#pragma once

#include "jump/clsJump.h"

#include <cstddef>
#include <unordered_map>
#include <vector>

namespace sorvik {

// The jump folders in the order they were added, keyed by the upper-cased
// alias, so two aliases that differ only in letter case never coexist.
class JumpList {
public:
    using const_iterator = std::vector<clsJump>::const_iterator;

    // Appends at the end; false (and nothing changes) when the key is taken.
    bool append(clsJump entry);
    bool append(u16 alias, u16 path) { return append(clsJump(std::move(alias), std::move(path))); }

    // Looks the alias up ignoring letter case; null when there is none.
    const clsJump* find(u16view alias) const;
    bool contains(u16view alias) const { return find(alias) != nullptr; }

    bool remove(u16view alias);

    // Gives the entry a new alias and key and moves it to the end, keeping its
    // folder. Refused when the new key belongs to another entry, so a rename
    // never drops a second folder silently.
    bool rename(u16view oldAlias, u16 newAlias);

    std::size_t count() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    const clsJump& at(std::size_t index) const { return m_entries.at(index); }
    const_iterator begin() const { return m_entries.begin(); }
    const_iterator end() const { return m_entries.end(); }

    bool operator==(const JumpList& other) const;

private:
    std::size_t indexOf(u16view alias) const;   // count() when absent
    void reindexFrom(std::size_t first);

    std::vector<clsJump> m_entries;
    std::unordered_map<u16, std::size_t> m_indexByKey;
};

// The list another instance saved (`theirs`) with this instance's changes
// applied: what `mine` added, changed or removed since it was `origin`.
// Entries this instance left as they were stay as `theirs` has them (or
// gone, when it removed them); a changed or added entry goes to the end, as
// a registration or a rename puts it; where both changed one entry, this
// instance's change wins.
JumpList mergeJumpLists(const JumpList& origin, const JumpList& mine, const JumpList& theirs);

}

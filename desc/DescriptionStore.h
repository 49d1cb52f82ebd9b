#pragma once

#include "desc/clsComent.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sorvik {

// The description records of one description file, in insertion order, at
// most one per Key. Lookups and removals take constant time: a removal leaves
// a gap that a later compaction closes, so ComentSet on a large store stays
// cheap. The index is a flat open-addressing table of (hash, record number),
// so a lookup that misses usually touches one cache line.
class DescriptionStore {
public:
    void clear();
    void reserve(std::size_t records);

    // Appends unless a record with the same Key is present; false when the
    // record was discarded.
    bool append(clsComent record);
    const clsComent* find(u16view path) const;        // by the upper-cased path
    const clsComent* findByKey(u16view key) const;    // key already upper-cased
    bool remove(u16view key);
    std::size_t count() const { return m_count; }

    template <typename Visit>
    void forEach(Visit&& visit) const
    {
        for (const Slot& slot : m_slots) {
            if (slot.live)
                visit(slot.record);
        }
    }

private:
    struct Slot {
        clsComent record;
        bool live = true;
    };
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
    struct Bucket {
        std::uint32_t hash = 0;
        std::uint32_t slot = kEmpty;
    };

    static std::uint32_t hashOf(u16view key);
    // The bucket holding the key, or the empty bucket where it would go.
    std::size_t probe(u16view key, std::uint32_t hash) const;
    void growIndex(std::size_t records);
    void eraseBucket(std::size_t pos);
    void compact();

    std::vector<Slot> m_slots;
    std::vector<Bucket> m_index;   // a power of two in size, at most half full
    std::size_t m_count = 0;
    std::size_t m_gaps = 0;
};

}

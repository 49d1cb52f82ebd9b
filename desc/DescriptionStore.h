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
//
// Loading a file replaces a store of many small strings by another. Clearing
// keeps the old records as spares whose strings the next records are written
// into, so a reload neither frees nor allocates per record; releaseSpares()
// hands back what a load did not reuse.
class DescriptionStore {
public:
    DescriptionStore() = default;
    DescriptionStore(const DescriptionStore& other);   // copies the records, not the spares
    DescriptionStore(DescriptionStore&&) noexcept = default;
    DescriptionStore& operator=(const DescriptionStore& other);
    DescriptionStore& operator=(DescriptionStore&&) noexcept = default;

    void clear();
    void reserve(std::size_t records);
    void releaseSpares();

    // Appends unless a record with the same Key is present; false when the
    // record was discarded.
    bool append(clsComent record);
    // The same in two steps, for a reader that fills Key, Path and Coment of
    // spare() in place; a discarded record stays the spare.
    clsComent& spare();
    bool appendSpare();
    // For a reader of many records: spares go in without a look at the index,
    // and indexAppended() files them all at once, region by region of the
    // index instead of at random places in it. A record whose Key was already
    // there, or came earlier among them, becomes a gap. Until then find() and
    // count() miss the new records; append() and remove() file them first.
    void appendSpareUnindexed();
    void indexAppended();
    const clsComent* find(u16view path) const;        // by the upper-cased path
    const clsComent* findByKey(u16view key) const;    // key already upper-cased
    bool remove(u16view key);
    std::size_t count() const { return m_count; }

    template <typename Visit>
    void forEach(Visit&& visit) const
    {
        for (std::size_t i = 0; i < m_used; ++i) {
            if (m_slots[i].live)
                visit(m_slots[i].record);
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

    std::vector<Slot> m_slots;     // records and gaps, then spares
    std::vector<Bucket> m_index;   // a power of two in size, at most half full
    std::vector<std::uint32_t> m_pending;   // Key hashes of the slots indexAppended() has yet to file
    std::vector<Bucket> m_sorted;           // its working space, kept for the next load
    std::size_t m_used = 0;        // slots before the spares
    std::size_t m_indexed = 0;     // slots before those appendSpareUnindexed() added
    std::size_t m_count = 0;
    std::size_t m_gaps = 0;
};

}

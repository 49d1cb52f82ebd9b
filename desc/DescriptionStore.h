#pragma once

#include "desc/clsComent.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
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
//
// A store may also keep the bytes of the file it was loaded from and hold
// records that are still only places in those bytes: most records of a large
// file are never looked at, so each is decoded the first time a lookup, a
// visit or a removal reaches it. Until then a record costs no string at all.
// So even a const lookup may write to the store: it is not for concurrent use.
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
    // Keeps a file's bytes for the records appendLoadedUnindexed() adds;
    // records still waiting on earlier bytes are decoded first.
    std::string_view keepBytes(std::string bytes);
    // A record of a plain line of the kept bytes: the places of its path and
    // description, and the hash of its key (hashOf() of the upper-cased path).
    // It is decoded as the line reader would decode it when first used.
    void appendLoadedUnindexed(std::size_t pathAt, std::size_t pathSize, std::size_t comentAt, std::size_t comentSize,
        std::uint32_t keyHash);
    const clsComent* find(u16view path) const;        // by the upper-cased path
    const clsComent* findByKey(u16view key) const;    // key already upper-cased
    bool remove(u16view key);
    std::size_t count() const { return m_count; }

    template <typename Visit>
    void forEach(Visit&& visit) const
    {
        for (std::size_t i = 0; i < m_used; ++i) {
            if (m_slots[i].live)
                visit(record(i));
        }
    }

    // The same, but a record not yet decoded is first offered as the bytes of
    // its path and description; it is decoded and visited only when
    // visitBytes() returns false.
    template <typename Visit, typename VisitBytes>
    void forEachOrBytes(Visit&& visit, VisitBytes&& visitBytes) const
    {
        for (std::size_t i = 0; i < m_used; ++i) {
            const Slot& slot = m_slots[i];
            if (!slot.live)
                continue;
            if (slot.loaded
                && visitBytes(std::string_view(*m_bytes).substr(slot.pathAt, slot.pathSize),
                    std::string_view(*m_bytes).substr(slot.comentAt, slot.comentSize)))
                continue;
            visit(record(i));
        }
    }

    static std::uint32_t hashOf(u16view key);
    // hashOf() of the upper-cased path, straight from its bytes; false when
    // they are not all printable ASCII.
    static bool hashOfAscii(std::string_view path, std::uint32_t& hash);
    // hashOf() of the upper-cased path without forming it; false when the
    // path needs the platform's full upper-casing.
    static bool hashOfPath(u16view path, std::uint32_t& hash);

private:
    struct Slot {
        clsComent record;
        bool live = true;
        bool loaded = false;   // record is still only the places below
        std::uint32_t pathAt = 0;
        std::uint32_t pathSize = 0;
        std::uint32_t comentAt = 0;
        std::uint32_t comentSize = 0;
    };
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
    struct Bucket {
        std::uint32_t hash = 0;
        std::uint32_t slot = kEmpty;
    };

    // The record, decoded first if it is still only places in the bytes.
    // Decoding changes nothing anyone can see, so const lookups may do it.
    const clsComent& record(std::size_t slot) const
    {
        if (m_slots[slot].loaded)
            decode(slot);
        return m_slots[slot].record;
    }
    void decode(std::size_t slot) const;
    void decodeAll() const;
    // The bucket holding the key, or the empty bucket where it would go.
    std::size_t probe(u16view key, std::uint32_t hash) const;
    void growIndex(std::size_t records);
    void eraseBucket(std::size_t pos);
    void compact();

    mutable std::vector<Slot> m_slots;     // records and gaps, then spares
    std::shared_ptr<const std::string> m_bytes;   // of the file loaded records point into
    std::vector<Bucket> m_index;   // a power of two in size, at most half full
    std::vector<std::uint32_t> m_pending;   // Key hashes of the slots indexAppended() has yet to file
    std::vector<Bucket> m_sorted;           // its working space, kept for the next load
    std::size_t m_used = 0;        // slots before the spares
    std::size_t m_indexed = 0;     // slots before those appendSpareUnindexed() added
    std::size_t m_count = 0;
    std::size_t m_gaps = 0;
};

}

#pragma once

#include "desc/clsComent.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
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
//
// A record read from kept bytes keeps their place for as long as it is not
// replaced, decoded or not, so that it can be saved exactly as it came: bytes
// the code page cannot decode, or holds twice, are not lost to a save.
//
// The store also holds, in their places among the records, the lines of its
// file that are no record: lines without a separating comma, blank ones, and
// the later lines of a path read before (the first one wins). They are never
// found, counted or visited as records, only written back as they came.
class DescriptionStore {
public:
    // The bytes an unchanged record was read from: the path and description
    // of a plain line, or else (`line` not empty) its whole line from the
    // first non-blank byte.
    struct KeptBytes {
        std::string_view path;
        std::string_view coment;
        std::string_view line;
    };

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
    // Whether bytes of that size can be kept: places are 32 bits, and a store
    // keeps at most 65,536 files' bytes.
    bool canKeepBytes(std::size_t size) const;
    // Keeps a file's bytes for the records added next with places in them;
    // bytes kept before stay with their records. Only when canKeepBytes().
    std::string_view keepBytes(std::string bytes);
    // A record of a plain line of the bytes kept last: the places of its path
    // and description, and the hash of its key (hashOf() of the upper-cased
    // path, or of clsComent::byteKeyOf() its bytes when `byteKeyed`). It is
    // decoded as the line reader would decode it when first used.
    void appendLoadedUnindexed(std::size_t pathAt, std::size_t pathSize, std::size_t comentAt, std::size_t comentSize,
        std::uint32_t keyHash, bool byteKeyed);
    // appendSpareUnindexed() for a spare read from the bytes kept last: from
    // the two fields of a plain line, or from a whole line.
    void appendSpareUnindexedFields(
        std::size_t pathAt, std::size_t pathSize, std::size_t comentAt, std::size_t comentSize);
    void appendSpareUnindexedLine(std::size_t lineAt, std::size_t lineSize);
    // A line that holds no record, by its place in the bytes kept last, or
    // by its bytes themselves when they are not kept.
    void appendLineUnindexed(std::size_t lineAt, std::size_t lineSize);
    void appendLineUnindexed(std::string_view line);
    // Appends another store's record of that key with the bytes it was read
    // from; false when it has none or this store has the key already.
    bool appendFrom(const DescriptionStore& other, u16view key);
    const clsComent* find(u16view path) const;       // by the upper-cased path
    const clsComent* findByKey(u16view key) const;   // key already upper-cased
    bool remove(u16view key);
    std::size_t count() const { return m_count; }

    template<typename Visit>
    void forEach(Visit&& visit) const
    {
        for (std::size_t i = 0; i < m_used; ++i) {
            if (m_slots[i].live)
                visit(record(i));
        }
    }

    // The same, but a record unchanged since it was read is first offered as
    // its KeptBytes; it is visited (and decoded if need be) only when
    // visitBytes() returns false.
    template<typename Visit, typename VisitBytes>
    void forEachOrBytes(Visit&& visit, VisitBytes&& visitBytes) const
    {
        for (std::size_t i = 0; i < m_used; ++i) {
            const Slot& slot = m_slots[i];
            if (!slot.live)
                continue;
            if (slot.kept && visitBytes(keptBytes(slot)))
                continue;
            visit(record(i));
        }
    }

    // Every line of the file the store stands for, in order: each record as
    // forEachOrBytes() offers it, and each line that holds no record as its
    // bytes, to visitLine(). A later line for a path whose record has since
    // moved behind it goes right after the record, so the record is still
    // the first one read. A later line whose bytes were not kept is visited
    // as its record.
    template<typename Visit, typename VisitBytes, typename VisitLine>
    void forEachLine(Visit&& visit, VisitBytes&& visitBytes, VisitLine&& visitLine) const
    {
        // Line slots by the record slot they wait for; equal keys keep file order.
        std::multimap<std::size_t, std::size_t> waiting;
        std::string scratch;
        const auto visitLineSlot = [&](std::size_t i) {
            if (const auto bytes = lineBytes(i, scratch))
                visitLine(*bytes);
            else
                visit(record(i));
        };
        for (std::size_t i = 0; i < m_used; ++i) {
            const Slot& slot = m_slots[i];
            if (slot.line != Line::Record) {
                const std::size_t after = recordAfter(i);
                if (after == i)
                    visitLineSlot(i);
                else
                    waiting.emplace(after, i);
                continue;
            }
            if (!slot.live)
                continue;
            if (!slot.kept || !visitBytes(keptBytes(slot)))
                visit(record(i));
            // Every waiting line waits for a record still to come, so the
            // first in the map is the next one due.
            while (!waiting.empty() && waiting.begin()->first == i) {
                visitLineSlot(waiting.begin()->second);
                waiting.erase(waiting.begin());
            }
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
    // What a slot stands for besides a record (or the gap a removed one left).
    enum class Line : std::uint8_t {
        Record,
        NoRecord,   // a line without a record; its bytes are the places below, or Path when not kept
        Later,      // a later line for the path of an earlier record; record is what it read as
    };
    struct Slot {
        clsComent record;
        bool live = true;
        bool loaded = false;      // record is still only the places below
        bool kept = false;        // unchanged since read: the places below are its bytes
        bool wholeLine = false;   // pathAt and pathSize place the whole line
        bool byteKeyed = false;   // Key is clsComent::byteKeyOf() the path's bytes
        Line line = Line::Record;
        std::uint16_t bytes = 0;   // which of m_bytes
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
    KeptBytes keptBytes(const Slot& slot) const
    {
        const std::string_view bytes = *m_bytes[slot.bytes];
        if (slot.wholeLine)
            return {{}, {}, bytes.substr(slot.pathAt, slot.pathSize)};
        return {bytes.substr(slot.pathAt, slot.pathSize), bytes.substr(slot.comentAt, slot.comentSize), {}};
    }
    // The spare becomes a record placed in the bytes kept last.
    Slot& keptSpare();
    void pushUnindexed(Slot& slot, std::uint32_t keyHash);
    void pushLine(Slot& slot);
    // A record read after one of the same key becomes a line of its own.
    void makeLaterLine(std::size_t slot);
    // The bytes of a line slot (into scratch when not kept); none for a later
    // line whose bytes were not kept.
    std::optional<std::string_view> lineBytes(std::size_t slot, std::string& scratch) const;
    // The slot a line slot goes out after: the record of its path when that
    // now stands behind it, else the line itself.
    std::size_t recordAfter(std::size_t slot) const;
    // The bucket holding the key, or the empty bucket where it would go.
    std::size_t probe(u16view key, std::uint32_t hash) const;
    void growIndex(std::size_t records);
    void eraseBucket(std::size_t pos);
    void compact();

    mutable std::vector<Slot> m_slots;                         // records and gaps, then spares
    std::vector<std::shared_ptr<const std::string>> m_bytes;   // of the files kept records point into
    std::vector<Bucket> m_index;                               // a power of two in size, at most half full
    std::vector<std::uint32_t> m_pending;        // Key hashes of the slots indexAppended() has yet to file
    std::vector<std::uint32_t> m_pendingLines;   // which of those slots are lines, in order
    std::vector<Bucket> m_sorted;                // its working space, kept for the next load
    std::size_t m_used = 0;                      // slots before the spares
    std::size_t m_indexed = 0;                   // slots before those appendSpareUnindexed() added
    std::size_t m_count = 0;
    std::size_t m_gaps = 0;
};

}

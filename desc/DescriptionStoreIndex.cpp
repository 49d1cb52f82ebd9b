// The store's index: an open-addressing table of (hash, slot number) over the
// records, filed one at a time or a whole load at once.
#include "desc/DescriptionStore.h"

#include <algorithm>
#include <bit>

namespace sorvik {

namespace {

constexpr std::size_t kMinGapsToCompact = 1024;
constexpr std::size_t kMinIndexSize = 16;

}

std::size_t DescriptionStore::probe(u16view key, std::uint32_t hash) const
{
    const std::size_t mask = m_index.size() - 1;
    for (std::size_t pos = hash & mask;; pos = (pos + 1) & mask) {
        const Bucket& b = m_index[pos];
        if (b.slot == kEmpty || (b.hash == hash && record(b.slot).Key == key))
            return pos;
    }
}

void DescriptionStore::growIndex(std::size_t records)
{
    std::size_t size = m_index.empty() ? kMinIndexSize : m_index.size();
    while (size < records * 2)
        size *= 2;
    if (size == m_index.size())
        return;
    std::vector<Bucket> old(size);
    old.swap(m_index);
    const std::size_t mask = size - 1;
    for (const Bucket& b : old) {
        if (b.slot == kEmpty)
            continue;
        std::size_t pos = b.hash & mask;
        while (m_index[pos].slot != kEmpty)
            pos = (pos + 1) & mask;
        m_index[pos] = b;
    }
}

void DescriptionStore::indexAppended()
{
    const std::size_t added = m_used - m_indexed;
    if (added == 0)
        return;
    const std::size_t records = added - m_pendingLines.size();
    growIndex(m_count + records);
    // A counting sort by region of the index, stable, so of two equal Keys
    // the earlier is filed first and wins. Lines that hold no record are
    // passed over.
    const int indexBits = std::countr_zero(m_index.size());
    const int regionBits = std::min(indexBits, 10);
    const int shift = indexBits - regionBits;
    const std::size_t mask = m_index.size() - 1;
    std::vector<std::uint32_t> next((std::size_t{1} << regionBits) + 1, 0);
    const auto forEachPending = [&](auto&& use) {
        auto line = m_pendingLines.begin();
        for (std::size_t i = m_indexed; i < m_used; ++i) {
            if (line != m_pendingLines.end() && *line == i) {
                ++line;
                continue;
            }
            use(i, m_pending[i - m_indexed]);
        }
    };
    forEachPending([&](std::size_t, std::uint32_t hash) { ++next[((hash & mask) >> shift) + 1]; });
    for (std::size_t r = 1; r < next.size(); ++r)
        next[r] += next[r - 1];
    m_sorted.resize(records);
    forEachPending([&](std::size_t i, std::uint32_t hash) {
        m_sorted[next[(hash & mask) >> shift]++] = Bucket{hash, static_cast<std::uint32_t>(i)};
    });
    for (const Bucket& b : m_sorted) {
        // The record's Key is read only on a hash match, not for every record.
        std::size_t pos = b.hash & mask;
        while (m_index[pos].slot != kEmpty
            && (m_index[pos].hash != b.hash || record(m_index[pos].slot).Key != record(b.slot).Key))
            pos = (pos + 1) & mask;
        if (m_index[pos].slot != kEmpty) {
            makeLaterLine(b.slot);
            continue;
        }
        m_index[pos] = b;
        ++m_count;
    }
    m_indexed = m_used;
    m_pending.clear();
    m_pendingLines.clear();
}

const clsComent* DescriptionStore::find(u16view path) const
{
    return findByKey(clsComent::keyOf(path));
}

const clsComent* DescriptionStore::findByKey(u16view key) const
{
    if (m_count == 0)
        return nullptr;
    const Bucket& b = m_index[probe(key, hashOf(key))];
    return b.slot == kEmpty ? nullptr : &record(b.slot);
}

bool DescriptionStore::remove(u16view key)
{
    indexAppended();
    if (m_count == 0)
        return false;
    const std::size_t pos = probe(key, hashOf(key));
    const std::uint32_t slot = m_index[pos].slot;
    if (slot == kEmpty)
        return false;
    eraseBucket(pos);
    m_slots[slot] = Slot{clsComent(), false};
    --m_count;
    ++m_gaps;
    if (m_gaps >= kMinGapsToCompact && m_gaps > m_count)
        compact();
    return true;
}

// Linear probing without tombstones: later buckets of the same run move back
// into the hole when their home position allows it.
void DescriptionStore::eraseBucket(std::size_t pos)
{
    const std::size_t mask = m_index.size() - 1;
    std::size_t hole = pos;
    for (std::size_t next = (pos + 1) & mask; m_index[next].slot != kEmpty; next = (next + 1) & mask) {
        const std::size_t home = m_index[next].hash & mask;
        if (((next - home) & mask) >= ((next - hole) & mask)) {
            m_index[hole] = m_index[next];
            hole = next;
        }
    }
    m_index[hole] = Bucket{};
}

void DescriptionStore::compact()
{
    std::vector<std::uint32_t> renumbered(m_used, kEmpty);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_used; ++i) {
        if (!m_slots[i].live && m_slots[i].line == Line::Record)
            continue;
        renumbered[i] = static_cast<std::uint32_t>(kept);
        if (kept != i)
            m_slots[kept] = std::move(m_slots[i]);
        ++kept;
    }
    m_slots.resize(kept);
    m_used = kept;
    m_indexed = kept;
    for (Bucket& b : m_index) {
        if (b.slot != kEmpty)
            b.slot = renumbered[b.slot];
    }
    m_gaps = 0;
}

}

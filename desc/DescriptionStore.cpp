#include "desc/DescriptionStore.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace sorvik {

namespace {

constexpr std::size_t kMinGapsToCompact = 1024;
constexpr std::size_t kMinIndexSize = 16;

}

DescriptionStore::DescriptionStore(const DescriptionStore& other)
    : m_slots(other.m_slots.begin(), other.m_slots.begin() + static_cast<std::ptrdiff_t>(other.m_used))
    , m_bytes(other.m_bytes)
    , m_index(other.m_index)
    , m_pending(other.m_pending)
    , m_pendingLines(other.m_pendingLines)
    , m_used(other.m_used)
    , m_indexed(other.m_indexed)
    , m_count(other.m_count)
    , m_gaps(other.m_gaps)
{
}

DescriptionStore& DescriptionStore::operator=(const DescriptionStore& other)
{
    if (this != &other)
        *this = DescriptionStore(other);
    return *this;
}

void DescriptionStore::clear()
{
    m_used = 0;
    m_indexed = 0;
    m_pending.clear();
    m_pendingLines.clear();
    m_index.assign(m_index.size(), Bucket{});
    m_count = 0;
    m_gaps = 0;
    m_bytes.clear();
}

void DescriptionStore::releaseSpares()
{
    m_slots.erase(m_slots.begin() + static_cast<std::ptrdiff_t>(m_used), m_slots.end());
}

void DescriptionStore::reserve(std::size_t records)
{
    // Growing by what each read adds would move every record once per file
    // read into the same store.
    if (records > m_slots.capacity())
        m_slots.reserve(std::max(records, m_slots.capacity() + m_slots.capacity() / 2));
    growIndex(records);
}

namespace {

// The one mixing of every key hash: the length, then four code units a step,
// then the last partial group. The three ways of hashing a key below must
// agree exactly, so they share it.
class KeyHash {
public:
    explicit KeyHash(std::size_t units) : m_h(units) {}
    void step(std::uint64_t fourUnits) { m_h = std::rotl(m_h, 23) ^ (fourUnits * kMul); }
    std::uint32_t finish(std::uint64_t lastUnits)
    {
        step(lastUnits);
        const std::uint64_t h = (m_h ^ (m_h >> 31)) * kMul;
        return static_cast<std::uint32_t>(h >> 32);
    }

private:
    static constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ULL;
    std::uint64_t m_h;
};

}

// Four characters a step. The products do not wait on each other, so a long
// key costs little more than its loads; the last product mixes every bit into
// the high half.
std::uint32_t DescriptionStore::hashOf(u16view key)
{
    const char16_t* p = key.data();
    const std::size_t n = key.size();
    KeyHash h(n);
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        h.step(w);
    }
    std::uint64_t w = 0;
    for (std::size_t k = i; k < n; ++k)
        w = w << 16 | p[k];
    return h.finish(w);
}

// The same steps on bytes widened to code units and upper-cased on the way,
// so a loaded record is filed without decoding its path. Eight bytes are
// upper-cased together, then each half is spread into four code units.
bool DescriptionStore::hashOfAscii(std::string_view path, std::uint32_t& hash)
{
    constexpr std::uint64_t kBytes = 0x0101010101010101ULL;
    const char* p = path.data();
    const std::size_t n = path.size();
    // Only printable ASCII: code page 932 turns some control bytes into
    // other characters. Adding one takes 0x7F to the top bit, subtracting
    // 0x20 borrows into it.
    std::uint64_t outside = 0;
    for (std::size_t i = 0; i + 8 <= n; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        outside |= (w + kBytes) | (w - 0x20 * kBytes) | w;
    }
    for (std::size_t k = n & ~std::size_t{7}; k < n; ++k) {
        const std::uint64_t c = static_cast<unsigned char>(p[k]);
        outside |= (c + 1) | (c - 0x20) | c;
    }
    if ((outside & (0x80 * kBytes)) != 0)
        return false;

    const auto spread = [](std::uint64_t x) {
        x = (x | x << 16) & 0x0000FFFF0000FFFFULL;
        return (x | x << 8) & 0x00FF00FF00FF00FFULL;
    };
    KeyHash h(n);
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        // As in clsComent::keyOf, with byte lanes: "a" to "z" lose 0x20.
        w -= ((w + (0x80 - 'a') * kBytes) & ~(w + (0x80 - '{') * kBytes) & (0x80 * kBytes)) >> 2;
        h.step(spread(w & 0xFFFFFFFF));
        h.step(spread(w >> 32));
    }
    std::uint64_t w = 0;
    const auto unit = [&](std::size_t k) -> std::uint64_t {
        const auto c = static_cast<unsigned char>(p[k]);
        return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c;
    };
    if (i + 4 <= n) {
        w = unit(i) | unit(i + 1) << 16 | unit(i + 2) << 32 | unit(i + 3) << 48;
        h.step(w);
        i += 4;
        w = 0;
    }
    for (; i < n; ++i)
        w = w << 16 | unit(i);
    hash = h.finish(w);
    return true;
}

// Units clsComent::keyOf() upper-cases without the platform's mapping: ASCII
// and the caseless CJK ranges. Their upper-case form is hashed as it is
// formed, four units a step as in hashOf().
bool DescriptionStore::hashOfPath(u16view path, std::uint32_t& hash)
{
    const auto upper = [](char16_t c, std::uint64_t& unit) {
        if (c < 0x80)
            unit = c >= u'a' && c <= u'z' ? c - (u'a' - u'A') : c;
        else if ((c >= 0x3000 && c <= 0x9FFF) || (c >= 0xFF61 && c <= 0xFF9F))
            unit = c;
        else
            return false;
        return true;
    };
    const char16_t* p = path.data();
    const std::size_t n = path.size();
    KeyHash h(n);
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        if (asciiUnits(w)) {
            w = upperAsciiUnits(w);
        } else {
            w = 0;
            for (int k = 3; k >= 0; --k) {
                std::uint64_t unit;
                if (!upper(p[i + k], unit))
                    return false;
                w = w << 16 | unit;
            }
        }
        h.step(w);
    }
    std::uint64_t w = 0;
    for (; i < n; ++i) {
        std::uint64_t unit;
        if (!upper(p[i], unit))
            return false;
        w = w << 16 | unit;
    }
    hash = h.finish(w);
    return true;
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

void DescriptionStore::decode(std::size_t slot) const
{
    Slot& s = m_slots[slot];
    const std::string_view bytes = *m_bytes[s.bytes];
    const std::string_view path = bytes.substr(s.pathAt, s.pathSize);
    platform::decodeCp932(path, s.record.Path);
    platform::decodeCp932(bytes.substr(s.comentAt, s.comentSize), s.record.Coment);
    if (s.byteKeyed)
        clsComent::byteKeyOf(path, s.record.Key);
    else
        clsComent::keyOf(s.record.Path, s.record.Key);
    s.loaded = false;
}

bool DescriptionStore::canKeepBytes(std::size_t size) const
{
    return size < std::numeric_limits<std::uint32_t>::max() && m_bytes.size() <= std::numeric_limits<std::uint16_t>::max();
}

std::string_view DescriptionStore::keepBytes(std::string bytes)
{
    m_bytes.push_back(std::make_shared<const std::string>(std::move(bytes)));
    return *m_bytes.back();
}

DescriptionStore::Slot& DescriptionStore::keptSpare()
{
    spare();
    Slot& slot = m_slots[m_used];
    slot.kept = true;
    slot.wholeLine = false;
    slot.byteKeyed = false;
    slot.loaded = false;
    slot.line = Line::Record;
    slot.bytes = static_cast<std::uint16_t>(m_bytes.size() - 1);
    return slot;
}

void DescriptionStore::pushUnindexed(Slot& slot, std::uint32_t keyHash)
{
    slot.live = true;
    m_pending.push_back(keyHash);
    ++m_used;
}

void DescriptionStore::pushLine(Slot& slot)
{
    slot.live = false;
    slot.line = Line::NoRecord;
    m_pending.push_back(0);
    m_pendingLines.push_back(static_cast<std::uint32_t>(m_used));
    ++m_used;
}

void DescriptionStore::appendLineUnindexed(std::size_t lineAt, std::size_t lineSize)
{
    Slot& slot = keptSpare();
    slot.wholeLine = true;
    slot.pathAt = static_cast<std::uint32_t>(lineAt);
    slot.pathSize = static_cast<std::uint32_t>(lineSize);
    slot.comentAt = 0;
    slot.comentSize = 0;
    pushLine(slot);
}

void DescriptionStore::appendLineUnindexed(std::string_view line)
{
    // Each byte in a code unit of its own, so that the line goes out exactly.
    clsComent& record = spare();
    record.Key.clear();
    record.Coment.clear();
    record.Path.resize(line.size());
    std::transform(line.begin(), line.end(), record.Path.begin(),
        [](char b) { return static_cast<char16_t>(static_cast<unsigned char>(b)); });
    Slot& slot = m_slots[m_used];
    slot.kept = false;
    slot.loaded = false;
    slot.wholeLine = false;
    slot.byteKeyed = false;
    pushLine(slot);
}

void DescriptionStore::makeLaterLine(std::size_t slot)
{
    record(slot);   // its Key places it behind a moved record later
    Slot& s = m_slots[slot];
    s.live = false;
    s.line = Line::Later;
    if (!s.kept)
        return;
    // The whole line, with the blanks before its path: they are the only
    // bytes before it on its line.
    const std::string_view bytes = *m_bytes[s.bytes];
    std::size_t at = s.pathAt;
    while (at > 0 && bytes[at - 1] == ' ')
        --at;
    const std::size_t end = s.wholeLine ? std::size_t{s.pathAt} + s.pathSize : std::size_t{s.comentAt} + s.comentSize;
    s.wholeLine = true;
    s.pathAt = static_cast<std::uint32_t>(at);
    s.pathSize = static_cast<std::uint32_t>(end - at);
}

std::optional<std::string_view> DescriptionStore::lineBytes(std::size_t slot, std::string& scratch) const
{
    const Slot& s = m_slots[slot];
    if (s.kept)
        return std::string_view(*m_bytes[s.bytes]).substr(s.pathAt, s.pathSize);
    if (s.line == Line::Later)
        return std::nullopt;
    scratch.resize(s.record.Path.size());
    std::transform(s.record.Path.begin(), s.record.Path.end(), scratch.begin(), [](char16_t b) { return static_cast<char>(b); });
    return std::string_view(scratch);
}

std::size_t DescriptionStore::recordAfter(std::size_t slot) const
{
    if (m_slots[slot].line != Line::Later || m_count == 0)
        return slot;
    const u16& key = m_slots[slot].record.Key;
    const std::uint32_t found = m_index[probe(key, hashOf(key))].slot;
    return found != kEmpty && found > slot ? found : slot;
}

void DescriptionStore::appendLoadedUnindexed(std::size_t pathAt, std::size_t pathSize, std::size_t comentAt,
    std::size_t comentSize, std::uint32_t keyHash, bool byteKeyed)
{
    Slot& slot = keptSpare();
    slot.pathAt = static_cast<std::uint32_t>(pathAt);
    slot.pathSize = static_cast<std::uint32_t>(pathSize);
    slot.comentAt = static_cast<std::uint32_t>(comentAt);
    slot.comentSize = static_cast<std::uint32_t>(comentSize);
    slot.loaded = true;
    slot.byteKeyed = byteKeyed;
    pushUnindexed(slot, keyHash);
}

void DescriptionStore::appendSpareUnindexedFields(
    std::size_t pathAt, std::size_t pathSize, std::size_t comentAt, std::size_t comentSize)
{
    Slot& slot = keptSpare();
    slot.pathAt = static_cast<std::uint32_t>(pathAt);
    slot.pathSize = static_cast<std::uint32_t>(pathSize);
    slot.comentAt = static_cast<std::uint32_t>(comentAt);
    slot.comentSize = static_cast<std::uint32_t>(comentSize);
    pushUnindexed(slot, hashOf(slot.record.Key));
}

void DescriptionStore::appendSpareUnindexedLine(std::size_t lineAt, std::size_t lineSize)
{
    Slot& slot = keptSpare();
    slot.wholeLine = true;
    slot.pathAt = static_cast<std::uint32_t>(lineAt);
    slot.pathSize = static_cast<std::uint32_t>(lineSize);
    slot.comentAt = 0;
    slot.comentSize = 0;
    pushUnindexed(slot, hashOf(slot.record.Key));
}

bool DescriptionStore::appendFrom(const DescriptionStore& other, u16view key)
{
    if (other.m_count == 0)
        return false;
    const std::uint32_t hash = hashOf(key);
    const std::uint32_t from = other.m_index[other.probe(key, hash)].slot;
    if (from == kEmpty)
        return false;
    indexAppended();
    growIndex(m_count + 1);
    const std::size_t pos = probe(key, hash);
    if (m_index[pos].slot != kEmpty)
        return false;
    spare();
    Slot& slot = m_slots[m_used];
    slot = other.m_slots[from];
    slot.line = Line::Record;
    if (slot.kept) {
        // Its bytes come along; the buffer is shared, not copied.
        const auto& buffer = other.m_bytes[slot.bytes];
        const auto same = std::find(m_bytes.begin(), m_bytes.end(), buffer);
        if (same != m_bytes.end()) {
            slot.bytes = static_cast<std::uint16_t>(same - m_bytes.begin());
        } else if (m_bytes.size() <= std::numeric_limits<std::uint16_t>::max()) {
            slot.bytes = static_cast<std::uint16_t>(m_bytes.size());
            m_bytes.push_back(buffer);
        } else {
            slot.record = other.record(from);
            slot.kept = false;
            slot.loaded = false;
        }
    }
    slot.live = true;
    m_index[pos] = Bucket{hash, static_cast<std::uint32_t>(m_used)};
    ++m_used;
    ++m_indexed;
    ++m_count;
    return true;
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

bool DescriptionStore::append(clsComent record)
{
    spare() = std::move(record);
    return appendSpare();
}

clsComent& DescriptionStore::spare()
{
    if (m_used == m_slots.size())
        m_slots.emplace_back();
    return m_slots[m_used].record;
}

bool DescriptionStore::appendSpare()
{
    indexAppended();
    spare();
    Slot& slot = m_slots[m_used];
    slot.loaded = false;
    slot.kept = false;
    slot.line = Line::Record;
    growIndex(m_count + 1);
    const std::uint32_t hash = hashOf(slot.record.Key);
    const std::size_t pos = probe(slot.record.Key, hash);
    if (m_index[pos].slot != kEmpty)
        return false;
    m_index[pos] = Bucket{hash, static_cast<std::uint32_t>(m_used)};
    slot.live = true;
    ++m_used;
    ++m_indexed;
    ++m_count;
    return true;
}

void DescriptionStore::appendSpareUnindexed()
{
    spare();
    // Hashed now, while the Key just written is still in the cache.
    m_pending.push_back(hashOf(m_slots[m_used].record.Key));
    m_slots[m_used].live = true;
    m_slots[m_used].loaded = false;
    m_slots[m_used].kept = false;
    m_slots[m_used].line = Line::Record;
    ++m_used;
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

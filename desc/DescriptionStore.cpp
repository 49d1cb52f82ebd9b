#include "desc/DescriptionStore.h"

#include <algorithm>
#include <limits>

namespace sorvik {

DescriptionStore::DescriptionStore(const DescriptionStore& other)
    : m_slots(other.m_slots.begin(), other.m_slots.begin() + static_cast<std::ptrdiff_t>(other.m_used)),
      m_bytes(other.m_bytes), m_index(other.m_index), m_pending(other.m_pending), m_pendingLines(other.m_pendingLines),
      m_used(other.m_used), m_indexed(other.m_indexed), m_count(other.m_count), m_gaps(other.m_gaps)
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
    return size < std::numeric_limits<std::uint32_t>::max()
        && m_bytes.size() <= std::numeric_limits<std::uint16_t>::max();
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
    std::transform(
        s.record.Path.begin(), s.record.Path.end(), scratch.begin(), [](char16_t b) { return static_cast<char>(b); });
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

}

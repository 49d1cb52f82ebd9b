#include "lha/LzEncoder.h"

#include "lha/MatchBytes.h"
#include "lha/Worker.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace sorvik::lha {

namespace {

// Chains link positions with equal 4-byte hashes, so a walk meets few
// candidates that match only 3 bytes; 3-byte matches come from a table of
// each 3-byte hash's last position.
constexpr unsigned kHashBits = 16;
constexpr unsigned kHash3Bits = 14;
constexpr std::uint32_t kBufferSize = 1u << 18;
// Bytes past the end that 8-byte comparisons may read.
constexpr std::uint32_t kSlack = 16;
// Chains hold absolute positions; this start keeps the zeroed heads out of reach.
constexpr std::uint32_t kFirstPosition = 1u << 16;

// Optimal parsing enters a whole segment into the chains before searching
// it; with room for the window and a segment, no link a search follows has
// been overwritten by then.
std::uint32_t chainSlots(unsigned windowBits)
{
    return std::bit_ceil((1u << windowBits) + kOptimalSegment);
}

inline std::uint32_t hash4(const std::uint8_t* p)
{
    return (load32(p) * 2654435761u) >> (32 - kHashBits);
}

inline std::uint32_t hash3(const std::uint8_t* p)
{
    return ((load32(p) & 0xFFFFFFu) * 2654435761u) >> (32 - kHash3Bits);
}

}

LzEncoder::LzEncoder(ByteSink& out, EncoderTuning tuning)
    : m_tuning(tuning), m_bits(out), m_block(m_bits, tuning.windowBits + 1, tuning.windowBits >= 15 ? 5 : 4),
      m_buf(kBufferSize + kSlack, 0), m_head(1u << kHashBits, 0), m_last3(1u << kHash3Bits, 0),
      m_prev(chainSlots(tuning.windowBits), 0),
      // One short of the window: every reader's history holds this much.
      m_maxDistance((1u << tuning.windowBits) - 1), m_chainMask(chainSlots(tuning.windowBits) - 1),
      m_base(kFirstPosition)
{
}

LzEncoder::~LzEncoder() = default;

void LzEncoder::write(const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        if (m_end == kBufferSize) {
            compress(false);
            slide();
        }
        const std::size_t n = std::min<std::size_t>(size, kBufferSize - m_end);
        std::memcpy(m_buf.data() + m_end, data, n);
        m_end += static_cast<std::uint32_t>(n);
        data += n;
        size -= n;
    }
}

bool LzEncoder::finish()
{
    compress(true);
    if (m_pending) {
        if (m_prevLength >= kMinMatch)
            emitMatch(m_prevLength, m_prevDistance);
        else
            emitLiteral(m_buf[m_cur - 1]);
        m_pending = false;
    }
    m_block.flush();
    return m_bits.finish();
}

void LzEncoder::slide()
{
    // Keep the window behind the next position (and the byte a pending match
    // starts at).
    const std::uint32_t keepFrom = m_cur > m_maxDistance + 1 ? m_cur - m_maxDistance - 1 : 0;
    std::memmove(m_buf.data(), m_buf.data() + keepFrom, m_end - keepFrom);
    m_base += keepFrom;
    m_cur -= keepFrom;
    m_end -= keepFrom;
}

void LzEncoder::insert(std::uint32_t index)
{
    const std::uint8_t* p = m_buf.data() + index;
    const std::uint32_t abs = m_base + index;
    const std::uint32_t h = hash4(p);
    m_prev[abs & m_chainMask] = m_head[h];
    m_head[h] = static_cast<std::uint16_t>(abs);
    std::uint16_t& last = m_last3[hash3(p)];
    m_near3 = last;
    last = static_cast<std::uint16_t>(abs);
}

unsigned LzEncoder::longestMatch(std::uint32_t index, unsigned prevLength, unsigned& distance) const
{
    const unsigned maxLength = std::min<unsigned>(kMaxMatch, m_end - index);
    if (maxLength < kMinMatch)
        return 0;
    unsigned chain = m_tuning.maxChain;
    if (prevLength >= m_tuning.goodLength)
        chain >>= 2;
    const unsigned nice = std::min(m_tuning.niceLength, maxLength);
    unsigned best = std::max(prevLength, kMinMatch - 1);
    if (best >= maxLength)
        return 0;
    unsigned bestDistance = 0;
    const std::uint8_t* here = m_buf.data() + index;
    const std::uint32_t abs = m_base + index;
    if (best < kMinMatch) {
        const std::uint32_t dist = distanceTo(abs, m_near3);
        const std::uint8_t* there = here - dist;
        if (dist != 0 && dist <= m_maxDistance && there[0] == here[0] && there[1] == here[1] && there[2] == here[2]) {
            best = commonLength(here, there, maxLength);
            bestDistance = dist;
            if (best >= nice) {
                distance = bestDistance;
                return best;
            }
        }
    }
    // insert() already put `index` at the head of its chain.
    for (std::uint32_t dist = distanceTo(abs, m_prev[abs & m_chainMask]), last = 0; chain-- > 0;) {
        if (dist <= last || dist > m_maxDistance)
            break;   // the chain went stale or out of the window
        const std::uint8_t* there = here - dist;
        // The byte that would make the match longer first: most candidates fail there.
        if (there[best] == here[best] && there[0] == here[0] && there[1] == here[1]) {
            const unsigned len = commonLength(here, there, maxLength);
            if (len > best) {
                best = len;
                bestDistance = dist;
                if (len >= nice)
                    break;
            }
        }
        last = dist;
        dist = distanceTo(abs, m_prev[(abs - dist) & m_chainMask]);
    }
    distance = bestDistance;
    return bestDistance ? best : 0;
}

bool LzEncoder::worthMatching(unsigned length, unsigned distance) const
{
    // A three-byte match far back costs more bits than its literals.
    return length > kMinMatch || distance <= 4096;
}

void LzEncoder::emitLiteral(std::uint8_t byte)
{
    m_block.literal(byte);
    if (m_block.codes() >= m_tuning.blockCodes)
        m_block.flush();
}

void LzEncoder::emitMatch(unsigned length, unsigned distance)
{
    m_block.match(length, distance);
    if (m_block.codes() >= m_tuning.blockCodes)
        m_block.flush();
}

void LzEncoder::compress(bool final)
{
    if (m_tuning.parse == Parse::Optimal) {
        compressOptimal(final);
        return;
    }
    const std::uint32_t limit = final ? m_end : (m_end > kMaxMatch ? m_end - kMaxMatch : 0);
    while (m_cur < limit) {
        unsigned length = 0, distance = 0;
        const bool hashable = m_end - m_cur >= kMinMatch;
        if (hashable) {
            insert(m_cur);
            if (!m_pending || m_prevLength < m_tuning.maxLazy) {
                length = longestMatch(m_cur, m_pending ? m_prevLength : 0, distance);
                if (length > 0 && !worthMatching(length, distance))
                    length = 0;
            }
        }
        if (m_pending && m_prevLength >= kMinMatch && length <= m_prevLength) {
            emitMatch(m_prevLength, m_prevDistance);
            const std::uint32_t end = m_cur - 1 + m_prevLength;
            for (std::uint32_t i = m_cur + 1; i < end; ++i)
                if (m_end - i >= kMinMatch)
                    insert(i);
            m_cur = end;
            m_pending = false;
            m_prevLength = 0;
        } else if (m_pending) {
            emitLiteral(m_buf[m_cur - 1]);
            m_prevLength = length;
            m_prevDistance = distance;
            ++m_cur;
        } else {
            m_pending = true;
            m_prevLength = length;
            m_prevDistance = distance;
            ++m_cur;
        }
    }
}

}

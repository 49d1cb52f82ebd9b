#include "lha/LzEncoder.h"

#include <algorithm>
#include <cstring>

namespace sorvik::lha {

namespace {

constexpr unsigned kWindowBits = 13;
// One short of the 8 KiB window: every reader's history holds this much.
constexpr std::uint32_t kMaxDistance = (1u << kWindowBits) - 1;
constexpr std::uint32_t kChainMask = (1u << kWindowBits) - 1;
constexpr unsigned kHashBits = 15;
constexpr std::uint32_t kBufferSize = 1u << 18;
// Bytes past the end that 8-byte comparisons may read.
constexpr std::uint32_t kSlack = 16;
// Chains hold absolute positions; this start keeps the zeroed heads out of reach.
constexpr std::uint32_t kFirstPosition = 1u << 16;
constexpr unsigned kNP = 14;
constexpr unsigned kPBit = 4;

inline std::uint32_t load32(const std::uint8_t* p)
{
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline std::uint64_t load64(const std::uint8_t* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

inline std::uint32_t hash3(const std::uint8_t* p)
{
    return ((load32(p) & 0xFFFFFFu) * 2654435761u) >> (32 - kHashBits);
}

// Length of the common prefix of a and b, at most `limit`.
inline unsigned commonLength(const std::uint8_t* a, const std::uint8_t* b, unsigned limit)
{
    unsigned n = 0;
    while (n < limit) {
        const std::uint64_t x = load64(a + n) ^ load64(b + n);
        if (x != 0) {
            n += static_cast<unsigned>(__builtin_ctzll(x)) / 8;
            return std::min(n, limit);
        }
        n += 8;
    }
    return limit;
}

}

LzEncoder::LzEncoder(ByteSink& out, EncoderTuning tuning)
    : m_tuning(tuning), m_bits(out), m_block(m_bits, kNP, kPBit),
      m_buf(kBufferSize + kSlack, 0), m_head(1u << kHashBits, 0), m_prev(kChainMask + 1, 0),
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
    const std::uint32_t keepFrom = m_cur > kMaxDistance + 1 ? m_cur - kMaxDistance - 1 : 0;
    std::memmove(m_buf.data(), m_buf.data() + keepFrom, m_end - keepFrom);
    m_base += keepFrom;
    m_cur -= keepFrom;
    m_end -= keepFrom;
}

void LzEncoder::insert(std::uint32_t index)
{
    const std::uint32_t h = hash3(m_buf.data() + index);
    const std::uint32_t abs = m_base + index;
    m_prev[abs & kChainMask] = m_head[h];
    m_head[h] = abs;
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
    std::uint32_t cand = m_prev[abs & kChainMask];   // insert() already put `index` at the head
    while (chain-- > 0) {
        const std::uint32_t dist = abs - cand;
        if (dist == 0 || dist > kMaxDistance)
            break;
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
        cand = m_prev[cand & kChainMask];
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

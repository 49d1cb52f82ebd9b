// The hashes of description keys, computed three ways that must agree: from
// the upper-cased key, from a path's bytes, and from a path upper-cased on the way.
#include "desc/DescriptionStore.h"

#include <bit>
#include <cstring>

namespace sorvik {

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

}

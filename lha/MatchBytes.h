#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace sorvik::lha {

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

#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace sorvik {

// Where a line ends (at its CR or LF, or the end of the bytes), its first
// comma, and whether it is plain: no double quote and no "&", so nothing in it
// is quoted or escaped. Every byte looked for lies below "-", which code page
// 932 never uses inside a pair, so eight bytes are looked at together: with
// each lane's top bit set first, a lane below 0x2D (other than a space) is one
// whose top bit the subtraction clears, and no lane borrows from the next.
struct LineScan {
    std::size_t end;
    std::size_t comma = std::string_view::npos;
    bool plain = true;
};

inline LineScan scanLine(std::string_view bytes, std::size_t pos)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kTops = 0x80 * kOnes;
    const char* const p = bytes.data();
    const std::size_t n = bytes.size();
    LineScan scan{n};
    std::size_t i = pos;
    while (i < n) {
        if (i + 8 <= n) {
            std::uint64_t w;
            std::memcpy(&w, p + i, 8);
            // Most words have no byte below "-" at all, which a borrow shows.
            if (((w - 0x2D * kOnes) & ~w & kTops) == 0) {
                i += 8;
                continue;
            }
            const std::uint64_t below = ~((w | kTops) - 0x2D * kOnes) & ~w & kTops;
            const std::uint64_t x = w ^ (' ' * kOnes);
            const std::uint64_t space = ~(((x & ~kTops) + ~kTops) | x) & kTops;
            const std::uint64_t found = below & ~space;
            if (found == 0) {
                i += 8;
                continue;
            }
            i += static_cast<std::size_t>(std::countr_zero(found)) / 8;
        }
        const char c = p[i];
        if (c == '\n' || c == '\r') {
            scan.end = i;
            return scan;
        }
        if (c == ',') {
            if (scan.comma == std::string_view::npos)
                scan.comma = i;
        } else if (c == '"' || c == '&') {
            scan.plain = false;
        }
        ++i;
    }
    return scan;
}

// An estimate of the number of lines from the first part of the bytes, so
// that a large file is read without counting its lines first. The store grows
// past it when it falls short; an opening of short lines does not reserve room
// for more than one record per 16 bytes.
inline std::size_t estimateLines(std::string_view bytes)
{
    constexpr std::size_t kSample = 65536;
    const std::string_view sample = bytes.substr(0, kSample);
    std::size_t lines = 1;
    for (std::size_t at = sample.find('\n'); at != std::string_view::npos; at = sample.find('\n', at + 1))
        ++lines;
    if (bytes.size() <= kSample)
        return lines;
    const double estimate = static_cast<double>(lines) * (static_cast<double>(bytes.size()) / kSample) * 1.05;
    return std::min(static_cast<std::size_t>(estimate), bytes.size() / 16) + 16;
}

}

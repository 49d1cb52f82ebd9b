#include "lha/Crc16.h"

#include <array>

namespace sorvik::lha {

namespace {

// Eight tables so the loop takes eight bytes per step; extraction speed is
// bounded by this checksum as much as by decoding.
struct Tables {
    std::array<std::array<std::uint16_t, 256>, 8> t{};
    constexpr Tables()
    {
        for (unsigned i = 0; i < 256; ++i) {
            unsigned c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? (c >> 1) ^ 0xA001u : c >> 1;
            t[0][i] = static_cast<std::uint16_t>(c);
        }
        for (unsigned i = 0; i < 256; ++i)
            for (int k = 1; k < 8; ++k)
                t[k][i] = static_cast<std::uint16_t>((t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF]);
    }
};

constexpr Tables kTables;

}

std::uint16_t crc16(std::uint16_t crc, const void* data, std::size_t size)
{
    const auto* p = static_cast<const std::uint8_t*>(data);
    const auto& t = kTables.t;
    unsigned c = crc;
    while (size >= 8) {
        c ^= p[0] | (p[1] << 8);
        c = t[7][c & 0xFF] ^ t[6][c >> 8] ^ t[5][p[2]] ^ t[4][p[3]] ^ t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
        p += 8;
        size -= 8;
    }
    while (size--)
        c = (c >> 8) ^ t[0][(c ^ *p++) & 0xFF];
    return static_cast<std::uint16_t>(c);
}

}

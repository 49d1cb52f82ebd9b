#pragma once

#include "lha/BitWriter.h"

#include <cstdint>
#include <vector>

namespace sorvik::lha {

inline constexpr unsigned kNC = 510;   // literals 0-255, lengths 3-256
inline constexpr unsigned kNT = 19;    // pre-tree for the literal/length code lengths
inline constexpr unsigned kMinMatch = 3;
inline constexpr unsigned kMaxMatch = 256;

// Number of bits of a position value (distance - 1): its position code.
inline unsigned positionCode(unsigned pos)
{
    return pos == 0 ? 0 : 32 - static_cast<unsigned>(__builtin_clz(pos));
}

// Collects the codes of one block and writes it: the 16-bit code count,
// the three tables and then the codes, each table as static Huffman codes
// built from this block's own frequencies.
class BlockWriter {
public:
    BlockWriter(BitWriter& out, unsigned np, unsigned pbit);

    void literal(std::uint8_t byte)
    {
        ++m_freqC[byte];
        m_items.push_back(byte);
    }
    // length 3-256, distance from 1.
    void match(unsigned length, unsigned distance)
    {
        const unsigned c = length - kMinMatch + 256;
        const unsigned pos = distance - 1;
        ++m_freqC[c];
        ++m_freqP[positionCode(pos)];
        m_items.push_back(c | (pos << 16));
    }
    std::size_t codes() const { return m_items.size(); }
    // Writes the collected codes as one block (nothing when none).
    void flush();
    // Bit lengths of the last block's codes, which the parser uses to price
    // literals against matches; 0 where a symbol was unused.
    const std::vector<std::uint8_t>& lastLengthsC() const { return m_lenC; }
    const std::vector<std::uint8_t>& lastLengthsP() const { return m_lenP; }

private:
    void writeLengthTable(const std::vector<std::uint8_t>& lengths, unsigned count, unsigned bits, int special);
    void writeCodeLengths();

    BitWriter& m_out;
    unsigned m_np;
    unsigned m_pbit;
    std::vector<std::uint32_t> m_items;   // code | position << 16
    std::vector<std::uint32_t> m_freqC, m_freqP;
    std::vector<std::uint8_t> m_lenC, m_lenP, m_lenT;
    std::vector<std::uint16_t> m_codeC, m_codeP, m_codeT;
};

}

#pragma once

#include "lha/BitReader.h"

#include <cstdint>
#include <vector>

namespace sorvik::lha {

inline constexpr unsigned kMaxCodeLength = 16;

// Code lengths of a Huffman code for `freq`, at most `maxLength` bits, the
// code complete (every -lh5- reader rejects an incomplete table). Symbols of
// frequency 0 get length 0. With fewer than two used symbols every length is
// 0: the caller writes such a table as its one symbol.
std::vector<std::uint8_t> huffmanLengths(
    const std::uint32_t* freq, unsigned count, unsigned maxLength = kMaxCodeLength);

// Canonical codes for the lengths: shorter codes first, equal lengths in
// symbol order, as the decoders build them.
std::vector<std::uint16_t> canonicalCodes(const std::uint8_t* lengths, unsigned count);

// Table-driven decoding of one Huffman code; codes longer than the table's
// bits are found by a walk over the canonical ranges.
class HuffmanDecoder {
public:
    explicit HuffmanDecoder(unsigned tableBits) : m_tableBits(tableBits), m_table(1u << tableBits) {}

    // False when the lengths over-subscribe the code. An incomplete code is
    // accepted; reading one of its unused codes fails.
    bool build(const std::uint8_t* lengths, unsigned count);
    // Every read gives `symbol` and consumes no bits.
    void buildSingle(unsigned symbol);

    // The next symbol, or -1 on a code no symbol has (the caller ensure()s).
    int decode(BitReader& in) const
    {
        const std::uint16_t e = m_table[in.peek(m_tableBits)];
        if (e != kSlow) {
            in.skip(e >> 10);
            return e & 0x3FF;
        }
        return decodeSlow(in);
    }

private:
    static constexpr std::uint16_t kSlow = 0xFFFF;
    int decodeSlow(BitReader& in) const;

    unsigned m_tableBits;
    std::vector<std::uint16_t> m_table;
    std::uint32_t m_first[kMaxCodeLength + 2] = {};
    std::uint16_t m_countOf[kMaxCodeLength + 1] = {};
    std::uint16_t m_offset[kMaxCodeLength + 1] = {};
    std::vector<std::uint16_t> m_sorted;
};

}

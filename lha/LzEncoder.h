#pragma once

#include "lha/BitWriter.h"
#include "lha/BlockWriter.h"
#include "lha/Stream.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace sorvik::lha {

// How hard the match finder works; the defaults are the tuned ones.
struct EncoderTuning {
    unsigned maxChain = 96;        // candidates tried per position
    unsigned niceLength = 128;     // a match this long ends the search
    unsigned goodLength = 32;      // the previous match this long: search a quarter
    unsigned maxLazy = 64;         // the previous match this long: take it at once
    unsigned blockCodes = 24576;   // codes per Huffman block
};

// -lh5- compression: LZ77 over an 8 KiB window with hash chains and lazy
// matching, written as static Huffman blocks. Input is taken piece by piece
// so memory stays bounded whatever the file size.
class LzEncoder {
public:
    explicit LzEncoder(ByteSink& out, EncoderTuning tuning = {});
    ~LzEncoder();

    void write(const std::uint8_t* data, std::size_t size);
    // Codes what is left and pads the last byte; false when the sink failed.
    bool finish();
    bool ok() const { return m_bits.ok(); }
    // Compressed bytes so far (a bound while not finished).
    std::uint64_t compressedBytes() const { return m_bits.bytes(); }

private:
    void compress(bool final);
    void slide();
    void insert(std::uint32_t index);
    unsigned longestMatch(std::uint32_t index, unsigned prevLength, unsigned& distance) const;
    bool worthMatching(unsigned length, unsigned distance) const;
    void emitLiteral(std::uint8_t byte);
    void emitMatch(unsigned length, unsigned distance);

    EncoderTuning m_tuning;
    BitWriter m_bits;
    BlockWriter m_block;
    std::vector<std::uint8_t> m_buf;
    std::vector<std::uint32_t> m_head;   // hash -> absolute position
    std::vector<std::uint32_t> m_prev;   // absolute position & mask -> previous with that hash
    std::uint32_t m_base;                // absolute position of m_buf[0]
    std::uint32_t m_cur = 0;             // next index to code
    std::uint32_t m_end = 0;             // bytes in m_buf
    std::uint32_t m_inserted = 0;        // next index to enter into the chains
    // Lazy matching state: a match found at m_cur - 1 not yet coded.
    bool m_pending = false;
    unsigned m_prevLength = 0;
    unsigned m_prevDistance = 0;
};

}

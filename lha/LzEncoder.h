#pragma once

#include "lha/BitWriter.h"
#include "lha/BlockWriter.h"
#include "lha/Stream.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace sorvik::lha {

enum class Parse {
    Lazy,      // gzip-style: a match is taken unless the next position has a longer one
    Optimal,   // the cheapest path through all matches, priced by the last block's codes
};

// How hard the match finder works; the defaults are the tuned ones.
struct EncoderTuning {
    Parse parse = Parse::Optimal;
    unsigned maxChain = 24;        // candidates tried per position
    unsigned niceLength = 48;      // a match this long ends the search
    unsigned goodLength = 32;      // lazy: the previous match this long: search a quarter
    unsigned maxLazy = 64;         // lazy: the previous match this long: take it at once
    unsigned blockCodes = 24576;   // codes per Huffman block
    unsigned windowBits = 13;      // 13 -lh5-; 15 -lh6- and 16 -lh7- for tests and tools
    // Optimal parsing searches the next segment on a second thread while it
    // prices the current one; the output is the same either way.
    bool secondThread = true;
};

class Worker;

// Positions optimal parsing prices (and searches) together.
inline constexpr std::uint32_t kOptimalSegment = 1u << 14;

// -lh5- compression (-lh6-/-lh7- with their windows, for tests): LZ77 over
// an 8 KiB window, matches from hash chains, the parse chosen as the cheapest
// path priced with the previous block's code lengths, written as static
// Huffman blocks. Input is taken piece by piece, so memory stays bounded
// whatever the file size.
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
    // The matches of one segment of positions for optimal parsing.
    struct Segment {
        std::uint32_t start = 0, count = 0;
        std::vector<std::uint16_t> length, distance;   // kCandidates per position
        std::vector<std::uint8_t> matches;             // used slots per position
        std::vector<std::uint16_t> near3;              // the 3-byte table's entry before each insert
        std::atomic<bool> inserted{false};             // all positions are in the chains
        std::atomic<unsigned> nextPart{0};             // parts are searched by whichever thread is free
    };
    void compressOptimal(bool final);
    void insertSegment(Segment& seg);
    void searchSegment(Segment& seg, std::uint32_t from, std::uint32_t to) const;
    void searchParts(Segment& seg) const;
    void parseSegment(const Segment& seg);
    unsigned findMatches(std::uint32_t index, std::uint16_t near3, unsigned chain, std::uint16_t* lengths,
        std::uint16_t* distances) const;
    void takePrices();
    void slide();
    void insert(std::uint32_t index);
    unsigned longestMatch(std::uint32_t index, unsigned prevLength, unsigned& distance) const;
    // Distance from `abs` to the position a 16-bit entry names.
    static std::uint32_t distanceTo(std::uint32_t abs, std::uint16_t entry) { return (abs - entry) & 0xFFFF; }
    bool worthMatching(unsigned length, unsigned distance) const;
    void emitLiteral(std::uint8_t byte);
    void emitMatch(unsigned length, unsigned distance);

    EncoderTuning m_tuning;
    BitWriter m_bits;
    BlockWriter m_block;
    std::vector<std::uint8_t> m_buf;
    // Positions are kept as their low 16 bits, which name one place in any
    // window up to 64 KiB; a stale entry only yields a candidate whose bytes
    // are compared like any other.
    std::vector<std::uint16_t> m_head;    // 4-byte hash -> position
    std::vector<std::uint16_t> m_last3;   // 3-byte hash -> last position
    std::uint16_t m_near3 = 0;            // what m_last3 held before the last insert()
    std::vector<std::uint16_t> m_prev;    // position & mask -> previous with that hash
    std::uint32_t m_maxDistance;
    std::uint32_t m_chainMask;
    std::uint32_t m_base;           // absolute position of m_buf[0]
    std::uint32_t m_cur = 0;        // next index to code
    std::uint32_t m_end = 0;        // bytes in m_buf
    std::uint32_t m_inserted = 0;   // next index to enter into the chains
    // Lazy matching state: a match found at m_cur - 1 not yet coded.
    bool m_pending = false;
    // Optimal parsing: matches per position of one segment, path prices and
    // the bit prices of symbols.
    Segment m_segments[2];
    std::unique_ptr<Worker> m_worker;
    // Cheapest known price of each position and the step into it
    // (length | distance << 9); separate arrays so the loop vectorizes.
    std::vector<std::uint32_t> m_pathPrice, m_pathStep;
    std::vector<std::uint32_t> m_steps;
    std::vector<std::uint16_t> m_priceC, m_priceP;
    bool m_pricesFromBlock = false;
    unsigned m_prevLength = 0;
    unsigned m_prevDistance = 0;
};

}

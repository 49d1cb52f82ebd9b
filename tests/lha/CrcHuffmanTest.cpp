#include "lha/BitReader.h"
#include "lha/BitWriter.h"
#include "lha/Crc16.h"
#include "lha/Huffman.h"

#include "tests/lha/LhaTestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace sorvik::test {
namespace {

struct VecSink : lha::ByteSink {
    std::vector<std::uint8_t> bytes;
    bool write(const std::uint8_t* d, std::size_t n) override
    {
        bytes.insert(bytes.end(), d, d + n);
        return true;
    }
};

struct VecSource : lha::ByteSource {
    explicit VecSource(const std::vector<std::uint8_t>& b) : bytes(b) {}
    std::ptrdiff_t read(std::uint8_t* d, std::size_t n) override
    {
        n = std::min(n, bytes.size() - pos);
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(pos), n, d);
        pos += n;
        return static_cast<std::ptrdiff_t>(n);
    }
    const std::vector<std::uint8_t>& bytes;
    std::size_t pos = 0;
};

// Bit by bit, straight from the polynomial: the reference for the tables.
std::uint16_t slowCrc(const std::string& s)
{
    std::uint16_t crc = 0;
    for (unsigned char c : s) {
        crc ^= c;
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

TEST(Crc16, givesTheCheckValueOfCrc16Arc)
{
    EXPECT_EQ(lha::crc16(0, "123456789", 9), 0xBB3D);
    EXPECT_EQ(lha::crc16(0, "", 0), 0x0000);
}

TEST(Crc16, agreesWithTheBitwiseDefinitionAtEveryLengthAndSplit)
{
    const std::string data = randomBytes(300, 7);
    for (std::size_t n = 0; n <= data.size(); n += 7) {
        const std::string part = data.substr(0, n);
        ASSERT_EQ(lha::crc16(0, part.data(), part.size()), slowCrc(part)) << n;
        const std::size_t half = n / 3;
        const std::uint16_t first = lha::crc16(0, part.data(), half);
        EXPECT_EQ(lha::crc16(first, part.data() + half, n - half), slowCrc(part)) << n;
    }
}

TEST(BitStreams, readBackWhatWasWrittenInTheSameOrder)
{
    std::mt19937 rng(3);
    std::vector<std::pair<unsigned, std::uint32_t>> fields;
    VecSink sink;
    lha::BitWriter w(sink);
    for (int i = 0; i < 20000; ++i) {
        const unsigned n = 1 + rng() % 24;
        const std::uint32_t v = rng() & ((1u << n) - 1);
        fields.emplace_back(n, v);
        w.put(n, v);
    }
    ASSERT_TRUE(w.finish());
    EXPECT_EQ(sink.bytes.size(), w.bytes());
    VecSource src(sink.bytes);
    lha::BitReader r(src, sink.bytes.size());
    for (const auto& [n, v] : fields)
        ASSERT_EQ(r.get(n), v);
    EXPECT_FALSE(r.failed());
    // Only the zero padding of the last byte is left; a further word is over-read.
    r.get(16);
    r.get(16);
    EXPECT_TRUE(r.failed());
}

TEST(BitStreams, storeBitsMostSignificantFirst)
{
    VecSink sink;
    lha::BitWriter w(sink);
    w.put(3, 0b101);
    w.put(6, 0b110011);
    w.finish();
    ASSERT_EQ(sink.bytes.size(), 2u);
    EXPECT_EQ(sink.bytes[0], 0b10111001);
    EXPECT_EQ(sink.bytes[1], 0b10000000);
}

unsigned kraftUnits(const std::vector<std::uint8_t>& lengths)
{
    unsigned sum = 0;
    for (std::uint8_t l : lengths)
        if (l)
            sum += 1u << (16 - l);
    return sum;
}

TEST(Huffman, limitsSkewedFrequenciesToSixteenBitsWithACompleteCode)
{
    // Fibonacci weights give the deepest possible tree (depth n-1 untouched).
    std::vector<std::uint32_t> freq(30);
    freq[0] = freq[1] = 1;
    for (std::size_t i = 2; i < freq.size(); ++i)
        freq[i] = freq[i - 1] + freq[i - 2];
    const auto lengths = lha::huffmanLengths(freq.data(), 30);
    for (std::uint8_t l : lengths) {
        EXPECT_GE(l, 1);
        EXPECT_LE(l, 16);
    }
    EXPECT_EQ(kraftUnits(lengths), 1u << 16);
    // Heavier symbols never get longer codes.
    for (std::size_t i = 1; i < lengths.size(); ++i)
        EXPECT_LE(lengths[i], lengths[i - 1]);
}

TEST(Huffman, givesOptimalLengthsWhenNoLimitApplies)
{
    const std::uint32_t freq[] = {45, 13, 12, 16, 9, 5, 0};
    const auto lengths = lha::huffmanLengths(freq, 7);
    // The textbook example: total cost 224 bits.
    unsigned cost = 0;
    for (int i = 0; i < 7; ++i)
        cost += freq[i] * lengths[i];
    EXPECT_EQ(cost, 224u);
    EXPECT_EQ(lengths[6], 0);
    EXPECT_EQ(kraftUnits(lengths), 1u << 16);
}

TEST(Huffman, leavesAllLengthsZeroForASingleSymbol)
{
    const std::uint32_t freq[] = {0, 0, 7, 0};
    const auto lengths = lha::huffmanLengths(freq, 4);
    EXPECT_EQ(lengths, std::vector<std::uint8_t>(4, 0));
}

TEST(Huffman, decoderReadsTheCanonicalCodesOfRandomTables)
{
    std::mt19937 rng(11);
    for (int round = 0; round < 40; ++round) {
        const unsigned n = 2 + rng() % 509;
        std::vector<std::uint32_t> freq(n);
        for (auto& f : freq)
            f = (rng() % 4 == 0) ? 0 : 1 + (rng() % (1u << (rng() % 20)));
        freq[0] = freq[0] ? freq[0] : 1;
        freq[n - 1] = freq[n - 1] ? freq[n - 1] : 1;
        const auto lengths = lha::huffmanLengths(freq.data(), n);
        const auto codes = lha::canonicalCodes(lengths.data(), n);
        std::vector<unsigned> symbols;
        VecSink sink;
        lha::BitWriter w(sink);
        for (int i = 0; i < 3000; ++i) {
            unsigned s = rng() % n;
            if (lengths[s] == 0)
                continue;
            symbols.push_back(s);
            w.put(lengths[s], codes[s]);
        }
        w.finish();
        lha::HuffmanDecoder dec(rng() % 2 ? 12 : 8);   // both the table and the slow walk
        ASSERT_TRUE(dec.build(lengths.data(), n));
        VecSource src(sink.bytes);
        lha::BitReader r(src, sink.bytes.size());
        for (unsigned s : symbols) {
            r.ensure();
            ASSERT_EQ(dec.decode(r), static_cast<int>(s)) << "round " << round;
        }
    }
}

TEST(Huffman, decoderRefusesOverSubscribedLengths)
{
    const std::uint8_t lengths[] = {1, 1, 1};
    lha::HuffmanDecoder dec(8);
    EXPECT_FALSE(dec.build(lengths, 3));
    const std::uint8_t tooLong[] = {1, 17};
    EXPECT_FALSE(dec.build(tooLong, 2));
}

TEST(Huffman, decoderFailsOnTheUnusedCodeOfAnIncompleteTable)
{
    const std::uint8_t lengths[] = {1, 2};   // code 11 is unused
    lha::HuffmanDecoder dec(8);
    ASSERT_TRUE(dec.build(lengths, 2));
    const std::vector<std::uint8_t> bits = {0xFF, 0xFF, 0xFF, 0xFF};
    VecSource src(bits);
    lha::BitReader r(src, bits.size());
    r.ensure();
    EXPECT_EQ(dec.decode(r), -1);
}

}
}

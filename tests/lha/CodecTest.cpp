#include "lha/LzDecoder.h"
#include "lha/LzEncoder.h"

#include "tests/lha/LhaTestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace sorvik::test {
namespace {

void expectRoundTrip(const std::string& plain, const char* what)
{
    const std::string packed = compressLh5(plain);
    const auto back = decompress(packed, plain.size(), 13);
    ASSERT_TRUE(back.has_value()) << what;
    EXPECT_TRUE(*back == plain) << what << ": decoded bytes differ";
}

TEST(Codec, roundTripsRandomBytes)
{
    expectRoundTrip(randomBytes(100000, 1), "random");
}

TEST(Codec, roundTripsRepetitiveBytesAndShrinksThem)
{
    std::string plain;
    for (int i = 0; i < 5000; ++i)
        plain += "abcabcabd" + std::to_string(i % 7);
    expectRoundTrip(plain, "repetitive");
    EXPECT_LT(compressLh5(plain).size(), plain.size() / 10);
    expectRoundTrip(std::string(300000, 'z'), "one byte repeated");
}

TEST(Codec, roundTripsTinyAndBoundarySizes)
{
    expectRoundTrip(std::string(), "empty");
    expectRoundTrip("x", "1 byte");
    expectRoundTrip("xy", "2 bytes");
    expectRoundTrip("xyz", "3 bytes");
    expectRoundTrip(textLike(8192, 2), "exactly 8 KiB");
    expectRoundTrip(textLike(8193, 2), "8 KiB + 1");
    expectRoundTrip(textLike((1 << 18) + 1, 3), "one encoder buffer + 1");
}

TEST(Codec, roundTripsSeveralMebibytesOfMixedData)
{
    std::string plain = textLike(3 << 20, 4) + randomBytes(1 << 20, 5) + textLike(1 << 20, 6);
    expectRoundTrip(plain, "5 MiB");
}

TEST(Codec, givesTheSameBytesWhateverTheWritePieces)
{
    const std::string plain = textLike(700000, 9);
    std::mt19937 rng(1);
    StringSink sink;
    lha::LzEncoder enc(sink);
    for (std::size_t at = 0; at < plain.size();) {
        const std::size_t n = std::min<std::size_t>(plain.size() - at, 1 + rng() % 70000);
        enc.write(reinterpret_cast<const std::uint8_t*>(plain.data() + at), n);
        at += n;
    }
    enc.finish();
    EXPECT_EQ(sink.out, compressLh5(plain));
}

TEST(Codec, givesTheSameBytesWithOrWithoutTheSecondThreadAndLazyParsingRoundTrips)
{
    const std::string plain = textLike(900000, 13) + randomBytes(50000, 14) + textLike(300000, 15);
    std::string outputs[3];
    for (int mode = 0; mode < 3; ++mode) {
        StringSink sink;
        lha::EncoderTuning tuning;
        tuning.secondThread = mode == 0;
        tuning.parse = mode == 2 ? lha::Parse::Lazy : lha::Parse::Optimal;
        lha::LzEncoder enc(sink, tuning);
        enc.write(reinterpret_cast<const std::uint8_t*>(plain.data()), plain.size());
        enc.finish();
        outputs[mode] = sink.out;
        const auto back = decompress(sink.out, plain.size(), 13);
        ASSERT_TRUE(back.has_value()) << mode;
        EXPECT_TRUE(*back == plain) << mode;
    }
    EXPECT_EQ(outputs[0], outputs[1]);
    // The default, optimal parsing, is what beats the lazy one.
    EXPECT_LT(outputs[0].size(), outputs[2].size());
}

TEST(Codec, usesMatchesAtTheFarEndOfTheWindowAndNotBeyond)
{
    // A random 8 KiB block repeated: copies reach back 8191 bytes at most;
    // with a period of 8192 nothing matches and the data stays large.
    const std::string block = randomBytes(8191, 12);
    const std::string near = block + block + block;
    EXPECT_LT(compressLh5(near).size(), 9000u);
    expectRoundTrip(near, "period 8191");
    const std::string far = randomBytes(8192, 12);
    EXPECT_GT(compressLh5(far + far).size(), 16000u);
    expectRoundTrip(far + far, "period 8192");
}

std::string encodeWith(const std::string& plain, unsigned windowBits)
{
    StringSink sink;
    lha::EncoderTuning tuning;
    tuning.windowBits = windowBits;
    lha::LzEncoder enc(sink, tuning);
    enc.write(reinterpret_cast<const std::uint8_t*>(plain.data()), plain.size());
    enc.finish();
    return sink.out;
}

TEST(Codec, roundTripsTheLargerWindowsOfLh6AndLh7)
{
    // Repeats 20,000 and 40,000 bytes back: only the larger windows reach them.
    const std::string a = randomBytes(20000, 31), b = randomBytes(20000, 32);
    const std::string plain = a + a + b + a + b;
    for (unsigned bits : {13u, 15u, 16u}) {
        const std::string packed = encodeWith(plain, bits);
        const auto back = decompress(packed, plain.size(), bits);
        ASSERT_TRUE(back.has_value()) << bits;
        EXPECT_TRUE(*back == plain) << bits;
    }
    // -lh6- reaches the one copy 20,000 back, -lh7- also the two 40,000 back.
    EXPECT_LT(encodeWith(plain, 15).size(), 85000u);
    EXPECT_GT(encodeWith(plain, 15).size(), 78000u);
    EXPECT_LT(encodeWith(plain, 16).size(), 42000u);
    EXPECT_GT(encodeWith(plain, 13).size(), 100000u);
    // Each method's position table is its own: data of one does not decode as another.
    const auto crossed = decompress(encodeWith(plain, 16), plain.size(), 13);
    EXPECT_TRUE(!crossed || *crossed != plain);
}

TEST(Codec, neverCrashesOrHangsOnCorruptData)
{
    const std::string plain = textLike(60000, 21);
    const std::string packed = compressLh5(plain);
    std::mt19937 rng(5);
    int refused = 0;
    for (int round = 0; round < 400; ++round) {
        std::string bad = packed;
        const int flips = 1 + static_cast<int>(rng() % 8);
        for (int k = 0; k < flips; ++k) {
            // The bit is drawn before the place, as in `bad[place] ^= bit`.
            const unsigned bit = rng() % 8;
            char& c = bad[rng() % bad.size()];
            c = static_cast<char>(c ^ (1 << bit));
        }
        if (round % 4 == 0)
            bad.resize(rng() % bad.size());
        const auto out = decompress(bad, plain.size(), 13);
        if (!out)
            ++refused;
        else
            EXPECT_EQ(out->size(), plain.size());   // a decode that passes gives exactly the declared size
    }
    EXPECT_GT(refused, 100);
}

TEST(Codec, refusesADeclaredSizeNoDataCanHold)
{
    const std::string packed = compressLh5("hello hello hello");
    EXPECT_FALSE(decompress(packed, 0xFFFFFFFFull, 13).has_value());
    EXPECT_GT(lha::maxDecodedSize(packed.size()), 17u);
    EXPECT_LT(lha::maxDecodedSize(packed.size()), 0xFFFFFFFFull);
}

TEST(Codec, refusesDataThatEndsBeforeTheDeclaredSize)
{
    const std::string plain = textLike(20000, 8);
    const std::string packed = compressLh5(plain);
    EXPECT_FALSE(decompress(packed, plain.size() * 3, 13).has_value());
    EXPECT_FALSE(decompress(packed.substr(0, packed.size() / 2), plain.size(), 13).has_value());
}

TEST(Codec, knowsTheWindowOfEachMethod)
{
    EXPECT_EQ(lha::windowBitsOf("-lh5-"), 13u);
    EXPECT_EQ(lha::windowBitsOf("-lh6-"), 15u);
    EXPECT_EQ(lha::windowBitsOf("-lh7-"), 16u);
    EXPECT_EQ(lha::windowBitsOf("-lh1-"), 0u);
    EXPECT_EQ(lha::windowBitsOf("-lzs-"), 0u);
}

}
}

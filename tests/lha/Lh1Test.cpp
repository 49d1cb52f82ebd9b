// -lh1- (LHarc 1.x) members as jlha's encoder writes them: decoded byte for
// byte, accepted by the archive check and extracted.

#include "lha/ErrorCodes.h"
#include "lha/LzDecoder.h"
#include "lha/Session.h"
#include "lha/Unlha.h"

#include "tests/lha/LhaTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace sorvik::test {

// tests/lha/data/jlha-lh1.lzh, made by tools/lh1-fixture/MakeLh1Fixture.java.
std::string jlhaLh1Archive();

namespace {

// The generator of MakeLh1Fixture.java, step for step.
class Lcg {
public:
    explicit Lcg(std::uint64_t seed) : m_state(seed) {}
    int next()
    {
        m_state = (m_state * 1103515245u + 12345u) & 0x7FFFFFFFu;
        return static_cast<int>(m_state >> 16);
    }

private:
    std::uint64_t m_state;
};

std::string words(std::size_t n, std::uint64_t seed)
{
    static const char* const kVocabulary[] = {"the", "archive", "member", "window", "dynamic", "huffman", "code",
        "tree", "position", "length", "of", "and", "a", "to", "in", "data"};
    Lcg g(seed);
    std::string s;
    while (s.size() < n) {
        const int r = g.next();
        s += kVocabulary[r % 16];
        s += (r >> 4) % 7 == 0 ? ".\r\n" : " ";
        if ((r >> 8) % 5 == 0)
            s += std::to_string(r % 1000);
    }
    return s.substr(0, n);
}

std::string letters(std::size_t n, std::uint64_t seed)
{
    Lcg g(seed);
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s.push_back(static_cast<char>(33 + g.next() % 64));
    return s;
}

std::string spaces()
{
    std::string s(200, ' ');
    for (int i = 0; i < 20; ++i)
        s += "  text after the spaces " + std::to_string(i) + "\r\n";
    return s;
}

struct Expected {
    const char* name;
    std::string bytes;
};

// letters.txt has more than 32 000 symbols, so the adaptive code halves its
// counts and rebuilds its tree on the way, as the encoder did.
std::vector<Expected> expected()
{
    return {{"spaces.txt", spaces()}, {"words.txt", words(20000, 1)}, {"letters.txt", letters(36000, 2)}};
}

// Each member's header and compressed bytes.
std::vector<std::pair<lha::MemberHeader, std::string>> membersOf(const std::string& archive)
{
    MemorySource src(archive);
    std::vector<lha::MemberHeader> headers;
    EXPECT_EQ(lha::readAllHeaders(src, headers), 0);
    std::vector<std::pair<lha::MemberHeader, std::string>> out;
    out.reserve(headers.size());
    for (const lha::MemberHeader& h : headers)
        out.emplace_back(h, archive.substr(h.dataOffset(), h.compressedSize));
    return out;
}

TEST(Lh1, decodesWhatJlhaWroteByteForByte)
{
    const auto members = membersOf(jlhaLh1Archive());
    const auto wanted = expected();
    ASSERT_EQ(members.size(), wanted.size());
    for (std::size_t i = 0; i < members.size(); ++i) {
        const auto& [h, packed] = members[i];
        EXPECT_EQ(h.path, wanted[i].name);
        EXPECT_EQ(std::string(h.method.data(), 5), "-lh1-") << "jlha wrote the method under test";
        EXPECT_LT(h.compressedSize, h.originalSize);
        ASSERT_TRUE(lha::decodableMethod(h.method.data()));
        StringSource in(packed);
        StringSink out;
        ASSERT_EQ(lha::decodeMember(h.method.data(), in, packed.size(), h.originalSize, out), lha::DecodeStatus::Ok)
            << h.path;
        EXPECT_TRUE(out.out == wanted[i].bytes) << h.path << " differs";
        EXPECT_EQ(crcOf(out.out), h.dataCrc) << h.path;
    }
}

TEST(Lh1, refusesDataThatEndsEarlyOrClaimsTooMuch)
{
    const auto members = membersOf(jlhaLh1Archive());
    ASSERT_EQ(members.size(), 3u);
    const auto& [h, packed] = members[1];
    StringSource cut(packed.substr(0, packed.size() / 2));
    StringSink out;
    EXPECT_EQ(lha::decodeLh1(cut, packed.size() / 2, h.originalSize, out), lha::DecodeStatus::BrokenData);
    EXPECT_LE(out.out.size(), h.originalSize);

    StringSource few("\x12\x34");
    StringSink none;
    EXPECT_EQ(lha::decodeLh1(few, 2, 1u << 20, none), lha::DecodeStatus::BrokenData)
        << "two bytes cannot hold a megabyte";
    EXPECT_TRUE(none.out.empty());
}

TEST(Lh1, garbageNeverDecodesToMoreThanTheSize)
{
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        const std::string noise = randomBytes(500, seed);
        StringSource in(noise);
        StringSink out;
        const lha::DecodeStatus st = lha::decodeLh1(in, noise.size(), 3000, out);
        EXPECT_TRUE(st == lha::DecodeStatus::Ok || st == lha::DecodeStatus::BrokenData);
        EXPECT_EQ(out.out.size() == 3000, st == lha::DecodeStatus::Ok) << seed;
    }
}

class Lh1Archive : public LhaDrives {};

TEST_F(Lh1Archive, theCheckAcceptsWhatExtractionExtracts)
{
    drives.writeBytes(u"C:\\old.lzh", jlhaLh1Archive());
    const std::string path = *platform::encodeCp932(u"C:\\old.lzh");
    EXPECT_NE(UnlhaCheckArchive(path.c_str(), 0), 0);
    EXPECT_NE(UnlhaCheckArchive(path.c_str(), 2), 0) << "every member decodes with its CRC";
    ASSERT_EQ(unlha("x \"C:\\old.lzh\" \"D:\\out\\\""), 0) << report;
    for (const Expected& e : expected())
        EXPECT_TRUE(drives.readBytes(u"D:\\out\\" + fromUtf8(e.name)) == e.bytes) << e.name;
}

#ifndef _WIN32
// A second reader of the same bytes: lhasa's -lh1- decoder agrees with ours.
TEST_F(Lh1Archive, lhasaReadsTheFixtureAsWeDo)
{
    if (!haveTool("lhasa"))
        GTEST_SKIP() << "lhasa is not installed (tools/bootstrap.sh installs it)";
    drives.writeBytes(u"C:\\old.lzh", jlhaLh1Archive());
    const std::string dir = drives.hostD() + "/lhasa";
    std::filesystem::create_directories(dir);
    ASSERT_EQ(shell("cd " + shellQuote(dir) + " && lhasa xq " + shellQuote(drives.host(u"C:\\old.lzh"))), 0);
    for (const Expected& e : expected()) {
        std::ifstream in(dir + "/" + e.name, std::ios::binary);
        EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(in), {}) == e.bytes) << e.name;
    }
}
#endif

}
}

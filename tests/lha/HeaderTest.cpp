#include "lha/Header.h"
#include "lha/Crc16.h"
#include "lha/ErrorCodes.h"

#include "tests/lha/LhaTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>

namespace sorvik::test {
namespace {

lha::HeaderRead readFirst(const std::string& archive)
{
    MemorySource src(archive);
    return lha::readHeader(src, 0);
}

// 2024-03-15 13:45:30 as an MS-DOS stamp, and its Unix time in local time.
constexpr std::uint32_t kDosTime = (44u << 25) | (3u << 21) | (15u << 16) | (13u << 11) | (45u << 5) | 15u;
std::int64_t dosTimeUnix()
{
    std::tm tm{};
    tm.tm_year = 124;
    tm.tm_mon = 2;
    tm.tm_mday = 15;
    tm.tm_hour = 13;
    tm.tm_min = 45;
    tm.tm_sec = 30;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

TEST(Header, level2RoundTripsEveryField)
{
    RawMember m;
    m.name = "report.txt";
    m.directory
        = "docs\xFF"
          "2024\xFF";
    m.data = textLike(5000, 1);
    m.unixTime = 1712345678;
    const std::string archive = level2Member(m) + std::string(1, '\0');
    const auto r = readFirst(archive);
    ASSERT_EQ(r.kind, lha::HeaderRead::Kind::Member) << std::hex << r.error;
    const lha::MemberHeader& h = r.header;
    EXPECT_EQ(h.level, 2);
    EXPECT_EQ(std::string(h.method.data(), 5), "-lh5-");
    EXPECT_EQ(h.path,
        "docs\xFF"
        "2024\xFF"
        "report.txt");
    EXPECT_EQ(h.originalSize, 5000u);
    EXPECT_EQ(h.unixTime, 1712345678);
    EXPECT_EQ(h.dataCrc, crcOf(m.data));
    EXPECT_EQ(h.osId, lha::kOurOsId);
    EXPECT_EQ(h.endOffset() + 1, archive.size());
    MemorySource src(archive);
    EXPECT_EQ(lha::readHeader(src, h.endOffset()).kind, lha::HeaderRead::Kind::EndMark);
}

TEST(Header, level2HeaderHasTheCrcExtensionOverTheWholeHeader)
{
    lha::NewMember m;
    m.name = "a.txt";
    const std::string h = lha::writeLevel2Header(m);
    ASSERT_GE(h.size(), 29u);
    EXPECT_EQ(static_cast<unsigned char>(h[26]), 0x00);   // first extension: the CRC one
    std::string zeroed = h;
    zeroed[27] = zeroed[28] = 0;
    const std::uint16_t crc = lha::crc16(0, zeroed.data(), zeroed.size());
    EXPECT_EQ(static_cast<unsigned char>(h[27]), crc & 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(h[28]), crc >> 8);
    EXPECT_EQ(static_cast<unsigned char>(h[19]), 0x20);
    EXPECT_EQ(h[20], 2);
    EXPECT_EQ(
        static_cast<std::size_t>(static_cast<unsigned char>(h[0]) | (static_cast<unsigned char>(h[1]) << 8)), h.size());
}

TEST(Header, level2TotalSizeIsNeverAMultipleOf256)
{
    int adjusted = 0;
    for (std::size_t nameLength = 1; nameLength < 700; ++nameLength) {
        for (std::size_t dirLength : {std::size_t(0), std::size_t(4), std::size_t(17)}) {
            RawMember m;
            m.name = std::string(nameLength, 'n');
            m.directory = dirLength ? std::string(dirLength - 1, 'd') + "\xFF" : std::string();
            m.method = "-lh0-";
            m.data = "data";
            const std::string member = level2Member(m);
            const std::size_t headerSize = member.size() - 4;
            ASSERT_NE(headerSize % 256, 0u) << nameLength << "/" << dirLength;
            // 24 fixed bytes, the CRC (5), name (3 + n), code page (7) and
            // directory (3 + d) extensions and the final 0 size; where that
            // sum is a multiple of 256 the 7-byte time extension is added.
            const std::size_t plain = 41 + nameLength + (dirLength ? dirLength + 3 : 0);
            EXPECT_EQ(headerSize, plain % 256 == 0 ? plain + 7 : plain) << nameLength << "/" << dirLength;
            if (plain % 256 == 0)
                ++adjusted;
            const auto r = readFirst(member + std::string(1, '\0'));
            ASSERT_EQ(r.kind, lha::HeaderRead::Kind::Member) << nameLength;
            EXPECT_EQ(r.header.headerSize, headerSize);
            EXPECT_EQ(r.header.path.size(), nameLength + dirLength);
        }
    }
    EXPECT_GE(adjusted, 6);   // the sweep did cross the sizes that need the extra extension
}

TEST(Header, readsAHandBuiltLevel0Header)
{
    RawMember m;
    m.name = "DIR\\FILE.TXT";
    m.data = "level zero data";
    m.method = "-lh0-";
    const auto r = readFirst(level0Member(m, kDosTime) + std::string(1, '\0'));
    ASSERT_EQ(r.kind, lha::HeaderRead::Kind::Member) << std::hex << r.error;
    EXPECT_EQ(r.header.level, 0);
    EXPECT_EQ(r.header.path, "DIR\\FILE.TXT");
    EXPECT_EQ(r.header.compressedSize, m.data.size());
    EXPECT_EQ(r.header.unixTime, dosTimeUnix());
    EXPECT_EQ(r.header.dataCrc, crcOf(m.data));
}

TEST(Header, readsAHandBuiltLevel1HeaderWithExtensions)
{
    RawMember m;
    m.name = "notes.txt";
    m.data = textLike(3000, 4);
    const std::string member = level1Member(m, kDosTime);
    const auto r = readFirst(member + std::string(1, '\0'));
    ASSERT_EQ(r.kind, lha::HeaderRead::Kind::Member) << std::hex << r.error;
    EXPECT_EQ(r.header.level, 1);
    EXPECT_EQ(r.header.path, "notes.txt");
    EXPECT_EQ(r.header.unixTime, dosTimeUnix());
    // The skip size counted the extensions; the compressed size does not.
    EXPECT_EQ(r.header.compressedSize, compressLh5(m.data).size());
    EXPECT_EQ(r.header.endOffset(), member.size());
}

TEST(Header, refusesABadLevel0Checksum)
{
    RawMember m;
    m.name = "a";
    m.method = "-lh0-";
    m.data = "x";
    std::string member = level0Member(m, kDosTime);
    member[1] = static_cast<char>(member[1] + 1);
    EXPECT_EQ(readFirst(member + std::string(1, '\0')).error, lha::kErrHeaderCrc);
}

TEST(Header, refusesABadHeaderCrcAtLevels1And2)
{
    RawMember m;
    m.name = "a.txt";
    m.data = "some data";
    m.method = "-lh0-";
    std::string two = level2Member(m);
    two[15] ^= 1;   // the time stamp, covered by the header CRC only
    EXPECT_EQ(readFirst(two + std::string(1, '\0')).error, lha::kErrHeaderCrc);
    std::string one = level1Member(m, kDosTime);
    const std::size_t crcAt = one.size() - m.data.size() - 9;
    one[crcAt] ^= 0x40;
    EXPECT_EQ(readFirst(one + std::string(1, '\0')).error, lha::kErrHeaderCrc);
}

TEST(Header, refusesUnknownLevelsAndImpossibleSizes)
{
    RawMember m;
    m.name = "a";
    m.method = "-lh0-";
    m.data = "x";
    std::string member = level2Member(m);
    member[20] = 3;
    EXPECT_EQ(readFirst(member).error, lha::kErrUnknownLevel);
    member[20] = 2;
    member[0] = 20;   // below the fixed part
    member[1] = 0;
    EXPECT_EQ(readFirst(member).error, lha::kErrHeaderSize);
}

TEST(Header, refusesDataThatRunsPastTheEndOfTheFile)
{
    RawMember m;
    m.name = "big.bin";
    m.method = "-lh0-";
    m.data = std::string(1000, 'b');
    const std::string member = level2Member(m);
    EXPECT_EQ(readFirst(member.substr(0, member.size() - 10)).error, lha::kErrUnexpectedEof);
    EXPECT_EQ(readFirst(member.substr(0, 12)).error, lha::kErrUnexpectedEof);
}

TEST(Header, tellsTheEndMarkAndAMissingOne)
{
    EXPECT_EQ(readFirst(std::string(1, '\0')).kind, lha::HeaderRead::Kind::EndMark);
    RawMember m;
    m.name = "a";
    m.method = "-lh0-";
    m.data = "x";
    const std::string member = level2Member(m);
    MemorySource src(member);
    EXPECT_EQ(lha::readHeader(src, member.size()).error, lha::kErrNoEndMark);
}

TEST(Header, readsLargeSizesFromThe64BitExtension)
{
    lha::NewMember m;
    m.name = "huge.bin";
    m.largeSizes = true;
    m.compressedSize = 5;
    m.originalSize = 0x123456789ull;
    std::memcpy(m.method.data(), "-lh5-", 5);
    const std::string archive = lha::writeLevel2Header(m) + "12345" + std::string(1, '\0');
    const auto r = readFirst(archive);
    ASSERT_EQ(r.kind, lha::HeaderRead::Kind::Member);
    EXPECT_EQ(r.header.originalSize, 0x123456789ull);
    EXPECT_EQ(r.header.compressedSize, 5u);
}

}
}

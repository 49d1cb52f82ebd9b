#include "lha/ErrorCodes.h"

#include "tests/lha/LhaTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>
#include <sys/stat.h>

namespace sorvik::test {
namespace {

using platform::FsCall;

std::int64_t mtimeOf(const std::string& host)
{
    struct stat st {};
    EXPECT_EQ(stat(host.c_str(), &st), 0) << host;
    return st.st_mtime;
}

class Extract : public LhaDrives {
protected:
    void SetUp() override
    {
        LhaDrives::SetUp();
        RawMember a{"a.txt", "", textLike(20000, 1), "-lh5-", 1600000000};
        RawMember dir{"", "docs\xFF", "", "-lhd-", 1600000000};
        RawMember b{"b.txt",
            "docs\xFF"
            "old\xFF",
            "bee", "-lh0-", 1600000100};
        archive = level2Member(a) + level2Member(dir) + level2Member(b) + std::string(1, '\0');
        drives.writeBytes(u"C:\\arc.lzh", archive);
    }
    std::string archive;
};

TEST_F(Extract, xRecreatesStoredDirectoriesAndTimeStamps)
{
    ASSERT_EQ(unlha("x \"C:\\arc.lzh\" \"D:\\out\\\""), 0) << report;
    EXPECT_EQ(drives.readBytes(u"D:\\out\\a.txt"), textLike(20000, 1));
    EXPECT_EQ(drives.readBytes(u"D:\\out\\docs\\old\\b.txt"), "bee");
    EXPECT_EQ(mtimeOf(drives.host(u"D:\\out\\a.txt")), 1600000000);
    EXPECT_EQ(mtimeOf(drives.host(u"D:\\out\\docs\\old\\b.txt")), 1600000100);
    EXPECT_TRUE(drives.tempFilesIn(u"D:\\out").empty());
}

TEST_F(Extract, eDropsTheDirectories)
{
    ASSERT_EQ(unlha("e \"C:\\arc.lzh\" \"D:\\out\\\""), 0) << report;
    EXPECT_EQ(drives.allNames(u"D:\\out"), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST_F(Extract, keepsAnExistingNewerFileAndReplacesAnOlderOne)
{
    drives.makeDir(u"D:\\out");
    drives.writeBytes(u"D:\\out\\a.txt", "newer on disk");
    drives.setTime(u"D:\\out\\a.txt", 2030, 1, 1, 0, 0, 0);
    drives.writeBytes(u"D:\\out\\b.txt", "older on disk");
    drives.setTime(u"D:\\out\\b.txt", 2000, 1, 1, 0, 0, 0);
    EXPECT_EQ(unlha("e \"C:\\arc.lzh\" \"D:\\out\\\""), 0) << report;
    EXPECT_EQ(drives.readBytes(u"D:\\out\\a.txt"), "newer on disk");
    EXPECT_EQ(drives.readBytes(u"D:\\out\\b.txt"), "bee");
    EXPECT_NE(report.find("0x800E"), std::string::npos) << report;
}

TEST_F(Extract, refusesToReplaceAReadOnlyFile)
{
    drives.makeDir(u"D:\\out");
    drives.writeBytes(u"D:\\out\\b.txt", "protected");
    drives.setTime(u"D:\\out\\b.txt", 2000, 1, 1, 0, 0, 0);
    ASSERT_EQ(chmod(drives.host(u"D:\\out\\b.txt").c_str(), 0444), 0);
    EXPECT_EQ(unlha("e \"C:\\arc.lzh\" \"D:\\out\\\""), lha::kErrReadOnly);
    EXPECT_EQ(drives.readBytes(u"D:\\out\\b.txt"), "protected");
    EXPECT_EQ(drives.readBytes(u"D:\\out\\a.txt"), textLike(20000, 1));   // the others still come out
}

TEST_F(Extract, readsLevel0And1ArchivesOfOtherArchivers)
{
    // 2021-06-30 08:15:42 local time.
    const std::uint32_t dos = (41u << 25) | (6u << 21) | (30u << 16) | (8u << 11) | (15u << 5) | 21u;
    std::tm tm{};
    tm.tm_year = 121, tm.tm_mon = 5, tm.tm_mday = 30, tm.tm_hour = 8, tm.tm_min = 15, tm.tm_sec = 42;
    tm.tm_isdst = -1;
    const std::int64_t expected = std::mktime(&tm);
    RawMember zero{"OLD\\ZERO.TXT", "", textLike(9000, 5), "-lh5-"};
    RawMember one{"one.txt", "", "stored at level one", "-lh0-"};
    drives.writeBytes(u"C:\\old.lzh", level0Member(zero, dos) + level1Member(one, dos) + std::string(1, '\0'));
    ASSERT_EQ(unlha("x \"C:\\old.lzh\" \"D:\\out\\\""), 0) << report;
    EXPECT_EQ(drives.readBytes(u"D:\\out\\OLD\\ZERO.TXT"), textLike(9000, 5));
    EXPECT_EQ(drives.readBytes(u"D:\\out\\one.txt"), "stored at level one");
    EXPECT_EQ(mtimeOf(drives.host(u"D:\\out\\one.txt")), expected);
}

TEST_F(Extract, makesLevel0DirectoryEntriesAsDirectories)
{
    RawMember dir{"EMPTYDIR\\", "", "", "-lh0-"};
    std::string member = level0Member(dir, 0x58210000);
    member[19] = 0x10;   // the directory attribute; the checksum covers it
    unsigned sum = 0;
    for (std::size_t i = 2; i < member.size(); ++i)
        sum += static_cast<unsigned char>(member[i]);
    member[1] = static_cast<char>(sum);
    drives.writeBytes(u"C:\\dirs.lzh", member + std::string(1, '\0'));
    ASSERT_EQ(unlha("x \"C:\\dirs.lzh\" \"D:\\out\\\""), 0) << report;
    struct stat st {};
    ASSERT_EQ(stat(drives.host(u"D:\\out\\EMPTYDIR").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
}

TEST_F(Extract, givesJapaneseNamesTheirHostForm)
{
    RawMember m{*platform::encodeCp932(u"表計算.txt"), *platform::encodeCp932(u"資料") + "\xFF", "x", "-lh0-"};
    drives.writeBytes(u"C:\\jp.lzh", level2Member(m) + std::string(1, '\0'));
    ASSERT_EQ(unlha("x \"C:\\jp.lzh\" \"D:\\出力\\\""), 0) << report;
    EXPECT_EQ(drives.readBytes(u"D:\\出力\\資料\\表計算.txt"), "x");
}

TEST_F(Extract, aCrcErrorLeavesNoFileBehind)
{
    RawMember bad{"bad.txt", "", textLike(30000, 9), "-lh5-"};
    RawMember good{"good.txt", "", "good", "-lh0-"};
    // The data decodes, but to bytes whose CRC is not the stored one.
    const std::string member = withLevel2Field(level2Member(bad), 21, crcOf(bad.data) ^ 0x0101);
    drives.writeBytes(u"C:\\crc.lzh", member + level2Member(good) + std::string(1, '\0'));
    EXPECT_EQ(unlha("x \"C:\\crc.lzh\" \"D:\\out\\\""), lha::kErrFileCrc) << report;
    EXPECT_EQ(drives.allNames(u"D:\\out"), std::vector<std::string>{"good.txt"});
}

TEST_F(Extract, aFullDiskLeavesNoPartialFile)
{
    faults.failAt(FsCall::Write, 1, ENOSPC, ".~sorvik-");
    EXPECT_EQ(unlha("x \"C:\\arc.lzh\" \"D:\\out\\\""), lha::kErrDiskSpace) << report;
    EXPECT_FALSE(drives.exists(u"D:\\out\\a.txt"));
    EXPECT_TRUE(drives.tempFilesIn(u"D:\\out").empty());
}

TEST_F(Extract, aFailedRenameLeavesNoTemporaryFile)
{
    faults.failAlways(FsCall::Rename, EIO);
    EXPECT_EQ(unlha("e \"C:\\arc.lzh\" \"D:\\out\\\""), lha::kErrCannotWrite);
    EXPECT_EQ(drives.allNames(u"D:\\out"), std::vector<std::string>{});
}

TEST_F(Extract, reportsAMissingArchive)
{
    EXPECT_EQ(unlha("x \"C:\\none.lzh\" \"D:\\out\\\""), lha::kErrArchiveOpen);
    EXPECT_NE(report.find("0x8018"), std::string::npos);
}

TEST_F(Extract, refusesAFileThatIsNoArchive)
{
    drives.writeBytes(u"C:\\text.lzh", "plain text that only looks like nothing");
    EXPECT_EQ(unlha("x \"C:\\text.lzh\" \"D:\\out\\\""), lha::kErrNotArchive);
}

TEST_F(Extract, refusesUnknownMethodsButExtractsTheRest)
{
    RawMember odd{"odd.bin", "", "data", "-lh9-"};
    RawMember fine{"fine.txt", "", "fine", "-lh0-"};
    std::string oddMember = level2Member(odd);
    drives.writeBytes(u"C:\\mixed.lzh", oddMember + level2Member(fine) + std::string(1, '\0'));
    EXPECT_EQ(unlha("x \"C:\\mixed.lzh\" \"D:\\out\\\""), lha::kErrMethod);
    EXPECT_EQ(drives.allNames(u"D:\\out"), std::vector<std::string>{"fine.txt"});
}

// 0x85 0x40 and 0x86 0x40 are no characters of code page 932; decoded, both
// used to read as U+FFFD and the second member replaced the first.
TEST_F(Extract, membersWhoseNamesDifferOnlyInBytesTheCodePageLacksStayApart)
{
    RawMember first{"\x85\x40.txt", "", "first", "-lh0-"};
    RawMember second{"\x86\x40.txt", "", "second", "-lh0-"};
    drives.writeBytes(u"C:\\odd.lzh", level2Member(first) + level2Member(second) + std::string(1, '\0'));
    ASSERT_EQ(unlha("x \"C:\\odd.lzh\" \"D:\\out\\\""), 0) << report;
#ifdef _WIN32
    // Private-use characters stand for the bytes in Windows names.
    const u16 one = u"\xF085@.txt", two = u"\xF086@.txt";
#else
    // The host names hold the stored bytes, listed as U+DC80 + byte.
    const u16 one = u"\xDC85@.txt", two = u"\xDC86@.txt";
    ASSERT_EQ(drives.allNames(u"D:\\out"), (std::vector<std::string>{"\x85@.txt", "\x86@.txt"}));
#endif
    EXPECT_EQ(drives.readBytes(u"D:\\out\\" + one), "first");
    EXPECT_EQ(drives.readBytes(u"D:\\out\\" + two), "second");
    EXPECT_EQ(drives.allNames(u"D:\\out").size(), 2u);
}

}
}

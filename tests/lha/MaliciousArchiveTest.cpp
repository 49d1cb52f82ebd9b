#include "lha/ErrorCodes.h"

#include "tests/lha/LhaTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvik::test {
namespace {

// Archives made to escape the destination C:\dest\ or to break the reader.
// Nothing may ever appear in C:\sentinel\, and no partial or temporary file
// may stay anywhere.
class Malicious : public LhaDrives {
protected:
    void SetUp() override
    {
        LhaDrives::SetUp();
        drives.makeDir(u"C:\\dest");
        drives.makeDir(u"C:\\sentinel");
    }

    int extract(const std::string& archive, const char* command = "x")
    {
        drives.writeBytes(u"C:\\evil.lzh", archive);
        return unlha(std::string(command) + " \"C:\\evil.lzh\" \"C:\\dest\\\"");
    }

    void expectNothingEscaped(const std::string& what)
    {
        EXPECT_EQ(drives.allNames(u"C:\\sentinel"), std::vector<std::string>{}) << what;
        EXPECT_EQ(drives.allNames(u"C:\\"), (std::vector<std::string>{"dest", "evil.lzh", "sentinel"})) << what;
        EXPECT_TRUE(drives.allNames(u"D:\\").empty()) << what;
        EXPECT_TRUE(drives.tempFilesIn(u"C:\\dest").empty()) << what;
    }

    static std::string end() { return std::string(1, '\0'); }
};

struct HostileName {
    const char* what;
    int level;
    std::string name;
    std::string directory;   // level 2 only
};

TEST_F(Malicious, refusesEveryNameThatLeavesTheDestination)
{
    const std::string absolute = drives.hostC() + "/sentinel/abs.txt";
    const std::vector<HostileName> cases = {
        {"slash traversal", 2, "../sentinel/x.txt", ""},
        {"backslash traversal", 2, "..\\sentinel\\x.txt", ""},
        {"0xFF traversal in the directory", 2, "x.txt",
            "..\xFF"
            "sentinel\xFF"},
        {"0xFF traversal in the name", 2,
            "..\xFF"
            "sentinel\xFF"
            "x.txt",
            ""},
        {"traversal after a directory", 2, "sub/../../sentinel/x.txt", ""},
        {"absolute host path", 2, absolute, ""},
        {"leading backslash", 2, "\\sentinel\\x.txt", ""},
        {"drive letter", 2, "C:\\sentinel\\x.txt", ""},
        {"drive-relative", 2, "C:x.txt", ""},
        {"UNC", 2, "\\\\server\\share\\x.txt", ""},
        {"zero-length name", 2, "", ""},
        {"level 0 backslash traversal", 0, "..\\sentinel\\x.txt", ""},
        {"level 0 0xFF traversal", 0,
            "..\xFF"
            "sentinel\xFF"
            "x.txt",
            ""},
        {"level 0 zero-length name", 0, "", ""},
        {"level 1 slash traversal", 1, "../sentinel/x.txt", ""},
        {"level 1 absolute", 1, absolute, ""},
    };
    for (const HostileName& c : cases) {
        RawMember m{c.name, c.directory, "escaped!", "-lh0-"};
        const std::string member = c.level == 2 ? level2Member(m)
            : c.level == 1                      ? level1Member(m, 0x58210000)
                                                : level0Member(m, 0x58210000);
        for (const char* command : {"x", "e"}) {
            if (c.name.empty() && std::string(command) == "e")
                continue;
            EXPECT_EQ(extract(member + end(), command), lha::kErrInvalidPath) << c.what << " " << command;
            // "e" keeps only the last component, which is harmless here, but
            // the stored name is refused as a whole all the same.
            expectNothingEscaped(c.what);
            EXPECT_EQ(drives.allNames(u"C:\\dest"), std::vector<std::string>{}) << c.what;
        }
    }
}

// Links are made with POSIX calls, and "|" cannot be in a Windows name at all;
// on Windows the name checks refuse such members before any file is made.
#ifndef _WIN32
TEST_F(Malicious, neverWritesThroughALinkDirectoryInTheDestination)
{
    ASSERT_EQ(symlink(drives.host(u"C:\\sentinel").c_str(), drives.host(u"C:\\dest\\link").c_str()), 0);
    RawMember m{"x.txt", "link\xFF", "through the link", "-lh0-"};
    EXPECT_EQ(extract(level2Member(m) + end()), lha::kErrInvalidPath) << report;
    expectNothingEscaped("link directory");
    struct stat st {};
    ASSERT_EQ(lstat(drives.host(u"C:\\dest\\link").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST_F(Malicious, neverWritesThroughALinkFileInTheDestination)
{
    const std::string target = drives.host(u"C:\\sentinel") + "/target.txt";
    ASSERT_EQ(symlink(target.c_str(), drives.host(u"C:\\dest\\f.txt").c_str()), 0);
    RawMember m{"f.txt", "", "through the link", "-lh0-", 2000000000};
    for (const char* command : {"x", "e"}) {
        EXPECT_EQ(extract(level2Member(m) + end(), command), lha::kErrInvalidPath) << report;
        expectNothingEscaped("link file");
        EXPECT_EQ(drives.allNames(u"C:\\dest"), std::vector<std::string>{"f.txt"});
    }
}

TEST_F(Malicious, neverCreatesLinksFromTheArchive)
{
    const std::string sentinel = drives.host(u"C:\\sentinel");
    // A link member in the "name|target" form, then a file below its name.
    RawMember link{"evil|" + sentinel, "", "", "-lhd-"};
    RawMember below{"x.txt", "evil\xFF", "below", "-lh0-"};
    // A Unix symbolic-link member (mode 0120777) whose data is the target.
    RawMember unixLink{"evil2", "", sentinel, "-lh0-"};
    unixLink.unixMode = 0xA1FF;
    EXPECT_EQ(extract(level2Member(link) + level2Member(below) + level2Member(unixLink) + end()), 0) << report;
    expectNothingEscaped("link members");
    struct stat st {};
    ASSERT_EQ(lstat(drives.host(u"C:\\dest\\evil").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));   // a real directory, made for x.txt
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\evil\\x.txt"), "below");
    EXPECT_FALSE(drives.exists(u"C:\\dest\\evil2"));
    EXPECT_NE(lstat(drives.host(u"C:\\dest\\evil2").c_str(), &st), 0);
}
#endif

TEST_F(Malicious, aFileInTheWayOfADirectoryIsRefused)
{
    drives.writeBytes(u"C:\\dest\\sub", "a file, not a directory");
    RawMember m{"x.txt", "sub\xFF", "data", "-lh0-"};
    EXPECT_EQ(extract(level2Member(m) + end()), lha::kErrInvalidPath);
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\sub"), "a file, not a directory");
    expectNothingEscaped("file in the way");
}

TEST_F(Malicious, aBadDataCrcLeavesNoFile)
{
    RawMember m{"x.txt", "", "stored bytes", "-lh0-"};
    std::string member = level2Member(m);
    member[member.size() - 3] ^= 0x20;
    EXPECT_EQ(extract(member + end()), lha::kErrFileCrc);
    EXPECT_EQ(drives.allNames(u"C:\\dest"), std::vector<std::string>{});
    expectNothingEscaped("bad crc");
}

TEST_F(Malicious, aTruncatedMemberLeavesNoFile)
{
    RawMember m{"x.txt", "", textLike(50000, 3), "-lh5-"};
    const std::string member = level2Member(m);
    for (std::size_t cut : {member.size() - 1, member.size() / 2, std::size_t(40), std::size_t(10)}) {
        EXPECT_EQ(extract(member.substr(0, cut)), lha::kErrUnexpectedEof) << cut;
        EXPECT_EQ(drives.allNames(u"C:\\dest"), std::vector<std::string>{}) << cut;
        expectNothingEscaped("truncated");
    }
}

TEST_F(Malicious, aMissingEndMarkIsReported)
{
    RawMember m{"x.txt", "", "complete member", "-lh0-"};
    EXPECT_EQ(extract(level2Member(m)), lha::kErrNoEndMark);
    expectNothingEscaped("no end mark");
}

TEST_F(Malicious, aDeclaredSizeFarBeyondTheFileAllocatesNothingAndWritesNothing)
{
    RawMember stored{"big.bin", "", "tiny", "-lh0-"};
    // Compressed size 0xFFFFFFF0: data that would run far past the file's end.
    std::string member = withLevel2Field(level2Member(stored), 7, 0xFFF0);
    member = withLevel2Field(member, 9, 0xFFFF);
    EXPECT_EQ(extract(member + end()), lha::kErrUnexpectedEof);
    EXPECT_EQ(drives.allNames(u"C:\\dest"), std::vector<std::string>{});

    RawMember packed{"bomb.bin", "", textLike(3000, 4), "-lh5-"};
    // Original size 0xFFFFFFFF from a few hundred bytes of data.
    member = withLevel2Field(level2Member(packed), 11, 0xFFFF);
    member = withLevel2Field(member, 13, 0xFFFF);
    EXPECT_EQ(extract(member + end()), lha::kErrBrokenData);
    EXPECT_EQ(drives.allNames(u"C:\\dest"), std::vector<std::string>{});
    expectNothingEscaped("declared size");
}

TEST_F(Malicious, garbageDataIsRefusedWithoutAFile)
{
    RawMember m{"noise.bin", "", textLike(20000, 6), "-lh5-"};
    std::string member = level2Member(m);
    const std::size_t header = member.size() - compressLh5(m.data).size();
    const std::string noise = randomBytes(member.size() - header, 77);
    member.replace(header, noise.size(), noise);
    const int code = extract(member + end());
    EXPECT_TRUE(code == lha::kErrBrokenData || code == lha::kErrFileCrc) << std::hex << code;
    EXPECT_EQ(drives.allNames(u"C:\\dest"), std::vector<std::string>{});
    expectNothingEscaped("garbage");
}

TEST_F(Malicious, randomDamageNeverEscapesCrashesOrLeavesTemporaryFiles)
{
    RawMember a{"a.txt", "dir\xFF", textLike(30000, 8), "-lh5-"};
    RawMember b{"b.bin", "", randomBytes(3000, 9), "-lh0-"};
    const std::string good = level2Member(a) + level1Member(b, 0x58210000) + end();
    std::mt19937 rng(99);
    int failures = 0;
    for (int round = 0; round < 150; ++round) {
        std::string bad = good;
        const int flips = 1 + static_cast<int>(rng() % 4);
        for (int k = 0; k < flips; ++k) {
            const std::size_t at = round % 2 ? rng() % 80 : rng() % bad.size();
            bad[at] = static_cast<char>(bad[at] ^ (1 << (rng() % 8)));
        }
        if (round % 7 == 0)
            bad.resize(rng() % bad.size());
        failures += extract(bad) != 0;
        expectNothingEscaped("round " + std::to_string(round));
        for (const std::string& name : drives.allNames(u"C:\\dest"))
            EXPECT_TRUE(name == "a.txt" || name == "b.bin" || name == "dir") << name;
        std::filesystem::remove_all(drives.host(u"C:\\dest"));
        drives.makeDir(u"C:\\dest");
    }
    EXPECT_GT(failures, 100);
}

TEST_F(Malicious, aHeaderWithABadCrcIsRefused)
{
    RawMember m{"x.txt", "", "data", "-lh0-"};
    std::string member = level2Member(m);
    member[16] ^= 1;
    EXPECT_EQ(extract(member + end()), lha::kErrHeaderCrc);
    EXPECT_EQ(drives.allNames(u"C:\\dest"), std::vector<std::string>{});
}

}
}

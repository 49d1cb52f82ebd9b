#include "lha/ErrorCodes.h"
#include "lha/Session.h"

#include "tests/lha/LhaTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace sorvik::test {
namespace {

namespace fs = std::filesystem;

// Archives our library makes, read by every independent LHA reader on
// Debian, and archives jlha makes, read by our library. Each tool that is
// missing skips its test with the reason.
class Interop : public LhaDrives {
protected:
    struct File {
        u16 stored;   // path below the base directory, "\"-separated
        std::string bytes;
    };

    void SetUp() override
    {
        LhaDrives::SetUp();
        files = {
            {u"text.txt", textLike(50000, 1)},
            {u"empty.dat", ""},
            {u"one.dat", "1"},
            {u"exact8k.txt", textLike(8192, 2)},
            {u"noise.bin", randomBytes(20000, 3)},
            {u"big.bin", textLike(3 << 20, 4) + randomBytes(1 << 20, 5)},
            {u"日本語の名前.txt", "中身は Shift_JIS ではなく任意のバイト列"},
            {u"資料\\表.txt", textLike(10000, 6)},
        };
        drives.makeDir(u"C:\\src\\資料");
        for (const File& f : files) {
            drives.writeBytes(u"C:\\src\\" + f.stored, f.bytes);
            ASSERT_EQ(unlha("u -x1 \"C:\\ours.lzh\" \"C:\\src\\\" \"" + toUtf8(f.stored) + "\""), 0) << report;
        }
    }

    enum class Names { Utf8, Cp932, Cp932SplitAt5C };

    // The host path a tool gives a stored path: the UTF-8 name, or the raw
    // code page 932 bytes for tools that do not convert names. 7-Zip on Linux
    // also takes every 0x5C byte for a separator, even the second byte of a
    // character such as 表 (0x95 0x5C): its limitation, not the archive's.
    static std::string hostName(const u16& stored, Names names)
    {
        u16 path = stored;
        for (char16_t& c : path)
            if (c == u'\\')
                c = u'/';
        if (names == Names::Utf8)
            return toUtf8(path);
        std::string bytes = *platform::encodeCp932(path);
        if (names == Names::Cp932SplitAt5C)
            for (char& c : bytes)
                if (c == '\\')
                    c = '/';
        return bytes;
    }

    void expectExtracted(const std::string& dir, Names names, const char* tool)
    {
        std::size_t count = 0;
        for (auto it = fs::recursive_directory_iterator(dir); it != fs::recursive_directory_iterator(); ++it)
            count += it->is_regular_file();
        EXPECT_EQ(count, files.size()) << tool;
        for (const File& f : files) {
            const std::string path = dir + "/" + hostName(f.stored, names);
            ASSERT_TRUE(fs::exists(path)) << tool << ": " << path;
            std::ifstream in(path, std::ios::binary);
            const std::string got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            EXPECT_TRUE(got == f.bytes) << tool << ": " << path << " differs";
        }
    }

    std::string freshDir(const char* name)
    {
        std::string dir = drives.hostD() + "/" + name;
        fs::create_directories(dir);
        return dir;
    }

    std::string ours() const { return drives.hostC() + "/ours.lzh"; }

    std::vector<File> files;
};

#ifdef _WIN32
// The readers are Linux programs; the Windows build's archives are compared
// byte for byte with the Linux build's instead (tools/data-files).
#define REQUIRE_TOOL(name) GTEST_SKIP() << (name) << " is a Linux program, not run from the Windows build";
#else
#define REQUIRE_TOOL(name)                                                                                             \
    if (!haveTool(name))                                                                                               \
        GTEST_SKIP() << (name) << " is not installed (tools/bootstrap.sh installs it)";
#endif

TEST_F(Interop, lhasaExtractsOurArchiveByteForByte)
{
    REQUIRE_TOOL("lhasa");
    const std::string dir = freshDir("lhasa");
    ASSERT_EQ(shell("cd " + shellQuote(dir) + " && lhasa xq " + shellQuote(ours())), 0);
    expectExtracted(dir, Names::Cp932, "lhasa");   // lhasa writes names as stored
    ASSERT_EQ(shell("lhasa t " + shellQuote(ours())), 0);
}

TEST_F(Interop, bsdtarExtractsOurArchiveByteForByte)
{
    REQUIRE_TOOL("bsdtar");
    const std::string dir = freshDir("bsdtar");
    ASSERT_EQ(shell("LC_ALL=C.UTF-8 bsdtar -xf " + shellQuote(ours()) + " -C " + shellQuote(dir)), 0);
    expectExtracted(dir, Names::Utf8, "bsdtar");   // converts from the code page extension
}

TEST_F(Interop, sevenZipExtractsOurArchiveByteForByte)
{
    REQUIRE_TOOL("7zz");
    const std::string dir = freshDir("7zz");
    ASSERT_EQ(shell("7zz x -y -o" + shellQuote(dir) + " " + shellQuote(ours())), 0);
    expectExtracted(dir, Names::Cp932SplitAt5C, "7zz");   // 7-Zip on Linux keeps the stored bytes
    ASSERT_EQ(shell("7zz t " + shellQuote(ours())), 0);
}

TEST_F(Interop, unarExtractsOurArchiveByteForByte)
{
    REQUIRE_TOOL("unar");
    const std::string dir = freshDir("unar");
    ASSERT_EQ(shell("unar -q -D -e shift_jis -o " + shellQuote(dir) + " " + shellQuote(ours())), 0);
    expectExtracted(dir, Names::Utf8, "unar");
}

TEST_F(Interop, jlhaExtractsOurArchiveByteForByte)
{
    REQUIRE_TOOL("jlha");
    const std::string dir = freshDir("jlha");
    // y: names from Shift_JIS.
    ASSERT_EQ(shell("cd " + shellQuote(dir) + " && jlha xqy " + shellQuote(ours())), 0);
    expectExtracted(dir, Names::Utf8, "jlha");
}

// Archives of every header level and method jlha writes, extracted by us.
TEST_F(Interop, weExtractWhatJlhaMakesAtEveryLevelAndMethod)
{
    REQUIRE_TOOL("jlha");
    const std::string src = drives.hostC() + "/src";
    int checked = 0;
    for (int level : {0, 1, 2}) {
        for (int method : {5, 6, 7}) {
            const std::string name = "j" + std::to_string(level) + std::to_string(method) + ".lzh";
            const std::string archive = drives.hostC() + "/" + name;
            // Only ASCII names: jlha's own name conversion is not under test.
            ASSERT_EQ(
                shell("cd " + shellQuote(src) + " && jlha a" + std::to_string(level) + "o" + std::to_string(method)
                    + "q " + shellQuote(archive) + " text.txt empty.dat one.dat exact8k.txt noise.bin big.bin"),
                0)
                << name;
            // What jlha wrote is what this case is about.
            MemorySource made(drives.readBytes(fromUtf8("C:\\" + name)));
            std::vector<lha::MemberHeader> headers;
            ASSERT_EQ(lha::readAllHeaders(made, headers), 0) << name;
            const std::string wanted = "-lh" + std::to_string(method) + "-";
            int compressed = 0;
            for (const lha::MemberHeader& h : headers) {
                EXPECT_EQ(h.level, level) << name;
                compressed += std::string(h.method.data(), 5) == wanted;
            }
            EXPECT_GE(compressed, 3) << name;
            const std::string dest = "D:\\" + name + "\\";
            ASSERT_EQ(unlha("x \"C:\\" + name + "\" \"" + dest + "\""), 0) << name << ": " << report;
            for (const File& f : files) {
                if (f.stored.find_first_not_of(u"abcdefghijklmnopqrstuvwxyz0123456789.") != u16::npos)
                    continue;
                EXPECT_TRUE(drives.readBytes(fromUtf8(dest) + f.stored) == f.bytes) << name << " " << toUtf8(f.stored);
                ++checked;
            }
        }
    }
    EXPECT_EQ(checked, 9 * 6);
}

}
}

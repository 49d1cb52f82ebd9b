#include "platform/DriveTable.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace sorvik::platform {
namespace {

DriveTable sampleTable()
{
    DriveTable t;
    t.add(u'C', "/", kDriveFixed);
    t.add(u'D', "/tmp/a", kDriveRamDisk);
    t.add(u'E', "/tmp/a/b/", kDriveRemovable);   // trailing "/" is dropped
    return t;
}

struct ToHostCase {
    const char16_t* win;
    std::optional<std::string> host;
};

// Linux host paths: "/" separated, names mapped byte for byte. The Windows
// forms follow below.
#ifndef _WIN32
TEST(DriveTableToHost, MapsWindowsPathsOntoDriveRoots)
{
    const ToHostCase cases[] = {
        {u"C:\\", "/"},
        {u"C:\\a\\b\\", "/a/b"},
        {u"c:\\etc\\hosts", "/etc/hosts"},
        {u"D:\\", "/tmp/a"},
        {u"d:\\x.txt", "/tmp/a/x.txt"},
        {u"D:\\dir\\sub\\", "/tmp/a/dir/sub"},
        {u"E:\\黑黑黑黑.ini", "/tmp/a/b/黑黑黑黑.ini"},
        {u"D:", "/tmp/a"},
        {u"D:\\a\\\\b", "/tmp/a/a/b"},
        {u"D:\\a\\.\\b\\..\\c", "/tmp/a/a/c"},
        {u"D:\\..\\..\\etc", "/tmp/a/etc"},   // never above the drive's root
        {u"name.txt", "name.txt"},
        {u"sub\\x.txt", "sub/x.txt"},
        {u"..\\x.txt", "../x.txt"},
        {u".", "."},
        {u"F:\\x", std::nullopt},                  // unknown letter
        {u"\\\\server\\share\\x", std::nullopt},   // UNC
        {u"\\x", std::nullopt},                    // no drive to root it on
        {u"", std::nullopt},
    };
    DriveTable t = sampleTable();
    for (const auto& c : cases) {
        SCOPED_TRACE(toUtf8(c.win));
        EXPECT_EQ(t.toHost(c.win), c.host);
    }
}
#endif

struct ToWinCase {
    const char* host;
    std::optional<u16> win;
};

// Linux host paths: "/" separated, names mapped byte for byte. The Windows
// forms follow below.
#ifndef _WIN32
TEST(DriveTableToWin, PicksTheDriveWithTheLongestRoot)
{
    const ToWinCase cases[] = {
        {"/", u"C:\\"},
        {"/etc/hosts", u"C:\\etc\\hosts"},
        {"/tmp", u"C:\\tmp"},
        {"/tmp/a", u"D:\\"},
        {"/tmp/a/", u"D:\\"},
        {"/tmp/a/x.txt", u"D:\\x.txt"},
        {"/tmp/ab", u"C:\\tmp\\ab"},   // not inside /tmp/a
        {"/tmp/a/b", u"E:\\"},
        {"/tmp/a/b/c/d", u"E:\\c\\d"},
        {"/tmp/a/bc", u"D:\\bc"},
        {"/tmp//a/./b/", u"E:\\"},
        {"relative/path", std::nullopt},
    };
    DriveTable t = sampleTable();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host);
        EXPECT_EQ(t.toWin(c.host), c.win);
    }
}

TEST(DriveTableToWin, GivesNothingOutsideAllDrives)
{
    DriveTable t;
    t.add(u'C', "/tmp/only");
    EXPECT_EQ(t.toWin("/etc"), std::nullopt);
    EXPECT_EQ(t.toWin("/tmp/only/x"), u16(u"C:\\x"));
}
#endif

TEST(DriveTable, FindsLettersInEitherCaseAndReplacesOnReAdd)
{
    DriveTable t = sampleTable();
    ASSERT_NE(t.find(u'd'), nullptr);
    EXPECT_EQ(t.find(u'd')->hostRoot, "/tmp/a");
    EXPECT_EQ(t.find(u'E')->hostRoot, "/tmp/a/b");
    EXPECT_EQ(t.find(u'Z'), nullptr);
    t.add(u'd', "/srv", kDriveRemote);
    EXPECT_EQ(t.drives().size(), 3u);
    EXPECT_EQ(t.find(u'D')->hostRoot, "/srv");
    EXPECT_EQ(t.find(u'D')->type, kDriveRemote);
}

struct NameCase {
    std::string host;
    u16 win;
};

// Linux host paths: "/" separated, names mapped byte for byte. The Windows
// forms follow below.
#ifndef _WIN32
TEST(HostNames, MapReversiblyOntoWindowsNames)
{
    const NameCase cases[] = {
        {"plain.txt", u"plain.txt"}, {"黑黑黑黑.ini", u"黑黑黑黑.ini"}, {"a\\b", u16(u"a") + kMappedBackslash + u"b"},
        {"emoji😀", u"emoji😀"},
        {"bad\xFF"
         "name",
            u"bad\xDCFF"
            "name"},
        {"latin1-\xE9t\xE9", u"latin1-\xDCE9t\xDCE9"}, {"cut\xE6\x97", u"cut\xDCE6\xDC97"},   // truncated sequence
        {"\xC0\xAF", u"\xDCC0\xDCAF"},                                                        // overlong "/"
        {"\xED\xA0\x80", u"\xDCED\xDCA0\xDC80"},                                              // encoded surrogate
        {"a\xEF\x81\x9C"
         "b",
            u"a\xDCEF\xDC81\xDC9C"
            "b"},   // a real U+F05C, apart from "a\\b"
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host);
        EXPECT_EQ(hostNameToWin(c.host), c.win);
        EXPECT_EQ(winNameToHost(c.win), c.host);
    }
}

TEST(HostNames, SurviveTheWholePathMappingBothWays)
{
    DriveTable t = sampleTable();
    for (std::string name : {"x\\y.txt", "\xFE\xFF", "ok"}) {
        SCOPED_TRACE(name);
        std::string host = "/tmp/a/dir/" + name;
        std::optional<u16> win = t.toWin(host);
        ASSERT_TRUE(win.has_value());
        EXPECT_EQ(win->find(u'\\', 3), 6u);   // only the real separator is a backslash
        EXPECT_EQ(t.toHost(*win), host);
    }
}

TEST(HostNames, LoneSurrogatesBecomeReplacementCharacters)
{
    EXPECT_EQ(winNameToHost(u16(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
    EXPECT_EQ(winNameToHost(u16(1, char16_t(0xDC10))), "\xEF\xBF\xBD");
}
#endif

#ifdef _WIN32
// Windows host paths are drive paths themselves, "/" separated as on Linux;
// the table may still put a letter on any directory, which is how the tests
// map theirs.
TEST(DriveTableToHost, MapsWindowsPathsOntoWindowsRoots)
{
    DriveTable t;
    t.add(u'C', "C:\\");
    t.add(u'D', "E:\\tmp\\a\\");
    t.add(u'E', "E:\\");
    const std::pair<const char16_t*, std::optional<std::string>> cases[] = {
        {u"C:\\", "C:/"},
        {u"C:\\a\\b\\", "C:/a/b"},
        {u"c:\\etc\\hosts", "C:/etc/hosts"},
        {u"d:\\x.txt", "E:/tmp/a/x.txt"},
        {u"D:\\..\\..\\x", "E:/tmp/a/x"},
        {u"D:\\a\\\\b", "E:/tmp/a/a/b"},
        {u"E:\\黑黑黑黑.ini", "E:/\xE9\xBB\x91\xE9\xBB\x91\xE9\xBB\x91\xE9\xBB\x91.ini"},
        {u"sub\\a.txt", "sub/a.txt"},
        {u"Q:\\x", std::nullopt},
        {u"\\\\server\\share", std::nullopt},
    };
    for (const auto& [win, host] : cases) {
        SCOPED_TRACE(toUtf8(win));
        EXPECT_EQ(t.toHost(win), host);
    }
}

TEST(DriveTableToWin, PicksTheLongestRootIgnoringTheDrivesLetterCase)
{
    DriveTable t;
    t.add(u'C', "C:\\");
    t.add(u'D', "C:\\tmp\\a");
    EXPECT_EQ(t.toWin("C:\\tmp\\a\\x.txt"), u16(u"D:\\x.txt"));
    EXPECT_EQ(t.toWin("c:\\Work\\b"), u16(u"C:\\Work\\b"));
    EXPECT_EQ(t.toWin("C:\\tmp\\ab"), u16(u"C:\\tmp\\ab"));
    EXPECT_EQ(t.toWin("F:\\x"), std::nullopt);
    EXPECT_EQ(t.toWin("/tmp"), std::nullopt);
}

TEST(HostNames, AreTheWindowsNamesThemselvesLoneSurrogatesIncluded)
{
    for (const u16& name : {u16(u"黑黑黑黑.ini"), u16(u"a\uF05Cb"), u16(u"x\xD800y"), u16(u"😀")}) {
        SCOPED_TRACE(toUtf8(name));
        EXPECT_EQ(hostNameToWin(winNameToHost(name)), name);
    }
    EXPECT_EQ(winNameToHost(u"黑.txt"), "\xE9\xBB\x91.txt");
}
#endif

}
}

// The Windows layer's own behaviour: native attributes, the system's copy,
// renames that never replace, and the code page the data files rely on.
#include "platform/FileSystem.h"
#include "platform/Launch.h"
#include "platform/Win32Files.h"
#include "tests/platform/FsTestSupport.h"
#include "tests/support/TempDrive.h"

#include <gtest/gtest.h>

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace sorvik::platform {
namespace {

using test::kindOf;
using test::valueOf;

class Win32FileSystemTest : public ::testing::Test {
protected:
    test::TempDrives drives;
    FileSystem& fs = drives.fs();

    DWORD systemAttributes(const u16& path) const
    {
        return GetFileAttributesW(test::hostFsPath(drives.host(path)).c_str());
    }
    void setSystemAttributes(const u16& path, DWORD attrs) const
    {
        ASSERT_TRUE(SetFileAttributesW(test::hostFsPath(drives.host(path)).c_str(), attrs));
    }
    FILETIME lastWrite(const u16& path) const
    {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        GetFileAttributesExW(test::hostFsPath(drives.host(path)).c_str(), GetFileExInfoStandard, &data);
        return data.ftLastWriteTime;
    }
};

// The data files are code page 932 on every system; under Wine the run sets
// a Japanese locale so that the ANSI code page, which Windows programs of the
// time read them with, is 932 too.
TEST(Win32CodePage, TheAnsiCodePageIs932)
{
    EXPECT_EQ(GetACP(), 932u) << "run with a Japanese system locale (LANG=ja_JP.UTF-8 under Wine)";
}

// Host paths are the system's UTF-16 names in UTF-8; a name Windows allows
// (a lone surrogate) must come back as the same name.
TEST(Win32HostNames, WideNamesGoToUtf8AndBack)
{
    EXPECT_EQ(narrowHost(L"a\u00E9\u9ED1"), "a\xC3\xA9\xE9\xBB\x91");
    EXPECT_EQ(narrowHost(std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}), "\xF0\x9F\x98\x80");
    EXPECT_EQ(narrowHost(std::wstring{L'x', wchar_t(0xD800), L'y'}), "x\xED\xA0\x80y");
    for (const std::wstring& name : {std::wstring(L"\u9ED1\u9ED1.ini"), std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)},
             std::wstring{L'x', wchar_t(0xDC00), wchar_t(0xD800)}, std::wstring(L"a\\b c")})
        EXPECT_EQ(wideHost(narrowHost(name)), name);
}

TEST_F(Win32FileSystemTest, AttributesAreTheSystemsOwnBits)
{
    drives.writeBytes(u"C:\\f.txt", "x");
    setSystemAttributes(u"C:\\f.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    // Wine keeps the archive bit on every file, so only the others are compared.
    const std::uint32_t kept = kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrDirectory;
    EXPECT_EQ(*fs.attributes(u"C:\\f.txt") & kept, std::uint32_t(kAttrHidden | kAttrSystem));

    ASSERT_TRUE(fs.setAttributes(u"C:\\f.txt", kAttrReadOnly | kAttrArchive));
    EXPECT_EQ(systemAttributes(u"C:\\f.txt") & 0x37u, DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    ASSERT_TRUE(fs.setAttributes(u"C:\\f.txt", 0));
    EXPECT_EQ(*fs.attributes(u"C:\\f.txt") & kept, 0u);
    drives.makeDir(u"C:\\d");
    EXPECT_EQ(*fs.attributes(u"C:\\d") & kAttrDirectory, std::uint32_t(kAttrDirectory));
}

TEST_F(Win32FileSystemTest, TheReadOnlyAttributeProtectsTheFile)
{
    drives.writeBytes(u"C:\\ro.txt", "keep");
    drives.writeBytes(u"C:\\src.txt", "new");
    setSystemAttributes(u"C:\\ro.txt", FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(kindOf(fs.remove(u"C:\\ro.txt")), ErrorKind::ReadOnly);
    EXPECT_EQ(kindOf(fs.writeFileAtomic(u"C:\\ro.txt", "x")), ErrorKind::ReadOnly);
    EXPECT_EQ(kindOf(fs.copyFile(u"C:\\src.txt", u"C:\\ro.txt", Replace::Existing)), ErrorKind::ReadOnly);
    EXPECT_EQ(kindOf(fs.moveFile(u"C:\\src.txt", u"C:\\ro.txt", Replace::Existing)), ErrorKind::ReadOnly);
    EXPECT_EQ(drives.readBytes(u"C:\\ro.txt"), "keep");
    EXPECT_EQ(drives.readBytes(u"C:\\src.txt"), "new");
}

TEST_F(Win32FileSystemTest, RenameAndMoveReplaceOnlyWhenAsked)
{
    drives.writeBytes(u"C:\\a.txt", "a");
    drives.writeBytes(u"C:\\b.txt", "b");
    EXPECT_EQ(kindOf(fs.rename(u"C:\\a.txt", u"C:\\b.txt")), ErrorKind::Exists);
    EXPECT_EQ(kindOf(fs.moveFile(u"C:\\a.txt", u"C:\\b.txt", Replace::Never)), ErrorKind::Exists);
    EXPECT_EQ(drives.readBytes(u"C:\\b.txt"), "b");
    ASSERT_TRUE(fs.moveFile(u"C:\\a.txt", u"D:\\b.txt", Replace::Never));
    drives.writeBytes(u"C:\\a.txt", "a2");
    ASSERT_TRUE(fs.moveFile(u"C:\\a.txt", u"C:\\b.txt", Replace::Existing));
    EXPECT_EQ(drives.readBytes(u"C:\\b.txt"), "a2");
    EXPECT_FALSE(drives.exists(u"C:\\a.txt"));
}

TEST_F(Win32FileSystemTest, TheSystemsCopyKeepsTimeAndAttributes)
{
    drives.writeBytes(u"C:\\src.txt", "bytes");
    drives.setTime(u"C:\\src.txt", 2001, 2, 3, 4, 5, 6);
    setSystemAttributes(u"C:\\src.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    ASSERT_TRUE(fs.copyFile(u"C:\\src.txt", u"D:\\dst.txt", Replace::Never));
    EXPECT_EQ(drives.readBytes(u"D:\\dst.txt"), "bytes");
    EXPECT_EQ(systemAttributes(u"D:\\dst.txt") & 0x37u, DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    const FILETIME a = lastWrite(u"C:\\src.txt"), b = lastWrite(u"D:\\dst.txt");
    EXPECT_EQ(CompareFileTime(&a, &b), 0);
    EXPECT_EQ(valueOf(fs.fileInfo(u"D:\\dst.txt")).value().lastWrite, (DateTime{2001, 2, 3, 4, 5, 6}));
    EXPECT_TRUE(drives.tempFilesIn(u"D:\\").empty());
}

TEST_F(Win32FileSystemTest, ARewrittenDataFileKeepsItsHiddenAttribute)
{
    drives.writeBytes(u"C:\\descript.ion", "old");
    setSystemAttributes(u"C:\\descript.ion", FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(fs.writeFileAtomic(u"C:\\descript.ion", "new"));
    EXPECT_EQ(drives.readBytes(u"C:\\descript.ion"), "new");
    EXPECT_NE(systemAttributes(u"C:\\descript.ion") & FILE_ATTRIBUTE_HIDDEN, 0u);
}

TEST_F(Win32FileSystemTest, ProgramsAreKnownByTheirExtension)
{
    for (const char16_t* name : {u"C:\\a.EXE", u"C:\\b.bat", u"C:\\c.cmd", u"C:\\d.com", u"C:\\e.sh", u"C:\\f.exe.txt"})
        drives.writeBytes(name, "x");
    EXPECT_TRUE(isProgramFile(fs, u"C:\\a.EXE"));
    EXPECT_TRUE(isProgramFile(fs, u"C:\\b.bat"));
    EXPECT_TRUE(isProgramFile(fs, u"C:\\c.cmd"));
    EXPECT_TRUE(isProgramFile(fs, u"C:\\d.com"));
    EXPECT_FALSE(isProgramFile(fs, u"C:\\e.sh"));
    EXPECT_FALSE(isProgramFile(fs, u"C:\\f.exe.txt"));
    EXPECT_FALSE(isProgramFile(fs, u"C:\\missing.exe"));
}

TEST_F(Win32FileSystemTest, StartingAMissingProgramSaysWhy)
{
    drives.writeBytes(u"C:\\doc.txt", "x");
    EXPECT_EQ(kindOf(startProgram(fs, u"C:\\missing.exe", u"C:\\doc.txt")), ErrorKind::NotFound);
}

TEST(Win32Drives, DetectGivesTheSystemsLettersAsTheirOwnRoots)
{
    const DriveTable table = DriveTable::detect();
    const Drive* c = table.find(u'C');
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->hostRoot, "C:/");
    EXPECT_EQ(c->type, kDriveFixed);
    EXPECT_EQ(table.toHost(u"C:\\windows"), std::optional<std::string>("C:/windows"));
}

}
}

#include "platform/FileSystem.h"
#include "tests/platform/FsTestSupport.h"
#include "tests/support/TempDrive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>
#ifndef _WIN32
#include <sys/xattr.h>
#endif

namespace sorvik::platform {
namespace {

using test::inChild;
using test::kindOf;
using test::valueOf;

class FileSafetyTest : public ::testing::Test {
protected:
    test::TempDrives drives;
    FileSystem& fs = drives.fs();
    FaultPlan plan;

    void TearDown() override { fs.setFaults(nullptr); }

    std::string host(const u16& path) const { return drives.host(path); }
    static std::string readHost(const std::string& path)
    {
        std::ifstream in(test::hostFsPath(path), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
#ifndef _WIN32
    bool isFifo(const u16& path) const
    {
        struct stat st {};
        return lstat(host(path).c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
    }
    bool xattrsSupported() const
    {
        drives.writeBytes(u"C:\\probe", "");
        bool ok = setxattr(host(u"C:\\probe").c_str(), "user.test", "1", 1, 0) == 0;
        unlink(host(u"C:\\probe").c_str());
        return ok;
    }
    std::string dosAttrib(const u16& path) const
    {
        char buf[64];
        ssize_t n = getxattr(host(path).c_str(), "user.DOSATTRIB", buf, sizeof buf);
        return std::string(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
    }
#endif
};

// Reading

// Linux host features: permission bits, links, pipes and extended attributes.
// The Windows layer's attributes are checked in Win32FileSystemTest.cpp.
#ifndef _WIN32
TEST_F(FileSafetyTest, ReadingAPipeIsRefusedAtOnce)
{
    ASSERT_EQ(mkfifo(host(u"C:\\pipe").c_str(), 0644), 0);
    EXPECT_TRUE(inChild([&] { return kindOf(fs.readFile(u"C:\\pipe")) == ErrorKind::NotRegular; }));
    EXPECT_TRUE(inChild([&] { return !fs.canOpenForRead(u"C:\\pipe"); }));
}

TEST_F(FileSafetyTest, ReadingALinkToAnEndlessDeviceIsRefusedAtOnce)
{
    ASSERT_EQ(symlink("/dev/zero", host(u"C:\\zero").c_str()), 0);
    fs.setFaults(&plan);
    EXPECT_TRUE(inChild([&] { return kindOf(fs.readFile(u"C:\\zero")) == ErrorKind::NotRegular; }));
    EXPECT_EQ(kindOf(fs.readFile(u"C:\\zero")), ErrorKind::NotRegular);
    EXPECT_EQ(plan.count(FsCall::Read), 0);
}
#endif

TEST_F(FileSafetyTest, ReadingStopsAtTheLimitWithoutReadingTheFile)
{
    drives.writeBytes(u"C:\\big", std::string(11, 'x'));
    fs.setFaults(&plan);
    EXPECT_EQ(kindOf(fs.readFile(u"C:\\big", 10)), ErrorKind::TooLarge);
    EXPECT_EQ(plan.count(FsCall::Read), 0);
    EXPECT_EQ(valueOf(fs.readFile(u"C:\\big", 11)), std::string(11, 'x'));
}

TEST_F(FileSafetyTest, ReadingTellsWhyItFailed)
{
    drives.writeBytes(u"C:\\a.txt", "abc");
    fs.setFaults(&plan);
    plan.failAt(FsCall::Read, 1, EIO, "a.txt");
    Result<std::string> bytes = fs.readFile(u"C:\\a.txt");
    ASSERT_FALSE(bytes);
    EXPECT_EQ(bytes.error(), (Error{ErrorKind::Other, EIO}));
    EXPECT_EQ(valueOf(fs.readFile(u"C:\\a.txt")), std::string("abc"));
}

// Atomic writes

// Linux host features: permission bits, links, pipes and extended attributes.
// The Windows layer's attributes are checked in Win32FileSystemTest.cpp.
#ifndef _WIN32
TEST_F(FileSafetyTest, AtomicWriteRefusesAPipeInTheFilesPlace)
{
    ASSERT_EQ(mkfifo(host(u"C:\\data.txt").c_str(), 0644), 0);
    EXPECT_TRUE(inChild([&] { return kindOf(fs.writeFileAtomic(u"C:\\data.txt", "x")) == ErrorKind::NotRegular; }));
    EXPECT_TRUE(isFifo(u"C:\\data.txt"));
    EXPECT_EQ(drives.tempFilesIn(u"C:\\"), std::vector<std::string>{});
}
#endif

TEST_F(FileSafetyTest, AtomicWriteRefusesTheReadOnlyAttributeAsReadOnly)
{
    drives.writeBytes(u"C:\\ro.ini", "old");
    ASSERT_EQ(chmod(host(u"C:\\ro.ini").c_str(), 0444), 0);
    Status written = fs.writeFileAtomic(u"C:\\ro.ini", "new");
    ASSERT_TRUE(written.failed());
    EXPECT_EQ(written.error(), (Error{ErrorKind::ReadOnly, EACCES}));
    EXPECT_EQ(drives.readBytes(u"C:\\ro.ini"), "old");
}

// Linux host features: permission bits, links, pipes and extended attributes.
// The Windows layer's attributes are checked in Win32FileSystemTest.cpp.
#ifndef _WIN32
// The file keeps its owner write bit (no read-only attribute) but belongs to
// someone else; the directory would let anyone replace it.
TEST_F(FileSafetyTest, AtomicWriteRefusesAFileTheSystemDoesNotLetUsWrite)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs a file of another user";
    drives.makeDir(u"C:\\shared");
    ASSERT_EQ(chmod(drives.hostC().c_str(), 0755), 0);
    ASSERT_EQ(chmod(host(u"C:\\shared").c_str(), 0777), 0);
    drives.writeBytes(u"C:\\shared\\theirs.ini", "old");
    ASSERT_EQ(chmod(host(u"C:\\shared\\theirs.ini").c_str(), 0644), 0);
    EXPECT_TRUE(test::asOrdinaryUser(
        [&] { return kindOf(fs.writeFileAtomic(u"C:\\shared\\theirs.ini", "new")) == ErrorKind::AccessDenied; }));
    EXPECT_EQ(drives.readBytes(u"C:\\shared\\theirs.ini"), "old");
    EXPECT_EQ(drives.allNames(u"C:\\shared"), std::vector<std::string>{"theirs.ini"});
}

TEST_F(FileSafetyTest, AtomicRewriteKeepsTheHiddenAttribute)
{
    if (!xattrsSupported())
        GTEST_SKIP() << "the temporary file system keeps no extended attributes";
    drives.writeBytes(u"C:\\descript.ion", "old");
    ASSERT_TRUE(fs.setAttributes(u"C:\\descript.ion", kAttrHidden | kAttrArchive));
    const std::string stored = dosAttrib(u"C:\\descript.ion");
    ASSERT_FALSE(stored.empty());

    ASSERT_TRUE(fs.writeFileAtomic(u"C:\\descript.ion", "new"));
    EXPECT_EQ(drives.readBytes(u"C:\\descript.ion"), "new");
    EXPECT_EQ(valueOf(fs.attributes(u"C:\\descript.ion")), kAttrHidden | kAttrArchive);
    EXPECT_EQ(dosAttrib(u"C:\\descript.ion"), stored);
}
#endif

TEST_F(FileSafetyTest, AtomicWriteFailingMidwayLeavesTheOldFileAndNoTemporary)
{
    drives.writeBytes(u"C:\\data.txt", "old");
    for (FsCall call : {FsCall::Write, FsCall::Sync, FsCall::Rename, FsCall::SetAttributes}) {
        SCOPED_TRACE(static_cast<int>(call));
        FaultPlan failing;
        failing.failAt(call, 1, ENOSPC);
        fs.setFaults(&failing);
        EXPECT_EQ(kindOf(fs.writeFileAtomic(u"C:\\data.txt", "new")), ErrorKind::DiskFull);
        EXPECT_EQ(drives.readBytes(u"C:\\data.txt"), "old");
        EXPECT_EQ(drives.tempFilesIn(u"C:\\"), std::vector<std::string>{});
    }
}

// Temporary files

TEST_F(FileSafetyTest, TemporaryFilesAreDotFilesNamedAfterTheProcess)
{
    drives.makeDir(u"C:\\dir");
    std::vector<std::string> seen;
    fs.setFaults(&plan);
    plan.beforeCall(FsCall::Rename, 1, [&] { seen = drives.tempFilesIn(u"C:\\dir"); });
    ASSERT_TRUE(fs.writeFileAtomic(u"C:\\dir\\data.txt", "x"));
    ASSERT_EQ(seen.size(), 1u);
    const std::regex form("\\.~sorvik-" + std::to_string(getpid()) + "-[0-9a-f]+\\.tmp");
    EXPECT_TRUE(std::regex_match(seen[0], form)) << seen[0];
    EXPECT_EQ(drives.allNames(u"C:\\dir"), std::vector<std::string>{"data.txt"});
}

TEST_F(FileSafetyTest, StaleTemporariesOfEndedProcessesAreRemovedOncePerDirectory)
{
    drives.makeDir(u"C:\\data");
    const std::string dead = ".~sorvik-" + std::to_string(test::deadPid()) + "-1a2b3c.tmp";
    const std::string ours = ".~sorvik-" + std::to_string(getpid()) + "-4d5e6f.tmp";
#ifdef _WIN32
    // No process runs on Windows for as long as the machine, as init does.
    const std::string running = ours;
#else
    const std::string running = ".~sorvik-1-777777.tmp";   // init runs as long as the machine
#endif
    for (const std::string& name : {dead, ours, running, std::string("unrelated.tmp"), std::string(".~sorvik-x.tmp")})
        drives.writeBytes(u"C:\\data\\" + fromUtf8(name), "t");

    ASSERT_TRUE(fs.writeFileAtomic(u"C:\\data\\settings.ini", "s"));
    std::vector<std::string> expected = {ours, ".~sorvik-x.tmp", "settings.ini", "unrelated.tmp"};
    if (running != ours)
        expected.push_back(running);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(drives.allNames(u"C:\\data"), expected);

    // The directory was cleaned: later writes into it do not scan it again.
    drives.writeBytes(u"C:\\data\\" + fromUtf8(dead), "t");
    ASSERT_TRUE(fs.writeFileAtomic(u"C:\\data\\settings.ini", "s2"));
    EXPECT_TRUE(drives.exists(u"C:\\data\\" + fromUtf8(dead)));

    // A copy into a directory cleans it too, once.
    FileSystem other(fs.drives());
    ASSERT_TRUE(other.copyFile(u"C:\\data\\settings.ini", u"C:\\data\\copy.ini", Replace::Never));
    EXPECT_FALSE(drives.exists(u"C:\\data\\" + fromUtf8(dead)));
    EXPECT_TRUE(drives.exists(u"C:\\data\\" + fromUtf8(ours)));
}

// Names

// Linux host features: permission bits, links, pipes and extended attributes.
// The Windows layer's attributes are checked in Win32FileSystemTest.cpp.
#ifndef _WIN32
TEST_F(FileSafetyTest, ABackslashAndARealPrivateUseCharacterStayTwoFiles)
{
    drives.makeDir(u"C:\\names");
    const std::string dir = host(u"C:\\names");
    const std::string backslash = "a\\b";
    const std::string privateUse
        = "a\xEF\x81\x9C"
          "b";
    for (const std::string& name : {backslash, privateUse}) {
        int fd = open((dir + "/" + name).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(write(fd, name.data(), name.size()), static_cast<ssize_t>(name.size()));
        close(fd);
    }
    auto entries = fs.listDirectory(u"C:\\names");
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 2u);
    EXPECT_NE((*entries)[0].name, (*entries)[1].name);
    for (const DirEntry& e : *entries) {
        SCOPED_TRACE(toUtf8(e.name));
        Result<std::string> bytes = fs.readFile(u"C:\\names\\" + e.name);
        ASSERT_TRUE(bytes);
        EXPECT_EQ(winNameToHost(e.name), *bytes);   // each name reads its own file
    }
    // A name written through the Windows side lands on its one host name.
    ASSERT_TRUE(fs.writeFileAtomic(u16(u"C:\\names\\a") + kMappedBackslash + u"b", "new"));
    EXPECT_EQ(readHost(dir + "/" + backslash), "new");
    EXPECT_EQ(readHost(dir + "/" + privateUse), privateUse);
}
#endif

// Removing and renaming

TEST_F(FileSafetyTest, RemoveSaysWhyItRefused)
{
    drives.writeBytes(u"C:\\ro.txt", "keep");
    ASSERT_EQ(chmod(host(u"C:\\ro.txt").c_str(), 0444), 0);
    Status removed = fs.remove(u"C:\\ro.txt");
    ASSERT_TRUE(removed.failed());
    EXPECT_EQ(removed.error(), (Error{ErrorKind::ReadOnly, EACCES}));
    EXPECT_EQ(kindOf(fs.remove(u"C:\\missing.txt")), ErrorKind::NotFound);

    drives.writeBytes(u"C:\\locked.txt", "keep");
    fs.setFaults(&plan);
    plan.failAt(FsCall::Unlink, 1, EACCES, "locked.txt");
    EXPECT_EQ(kindOf(fs.remove(u"C:\\locked.txt")), ErrorKind::AccessDenied);
    EXPECT_EQ(drives.readBytes(u"C:\\locked.txt"), "keep");
    EXPECT_TRUE(fs.remove(u"C:\\locked.txt"));
    EXPECT_FALSE(drives.exists(u"C:\\locked.txt"));
}

TEST_F(FileSafetyTest, RenameSaysWhyItRefused)
{
    drives.writeBytes(u"C:\\a.txt", "a");
    drives.writeBytes(u"C:\\b.txt", "b");
    EXPECT_EQ(kindOf(fs.rename(u"C:\\a.txt", u"C:\\b.txt")), ErrorKind::Exists);
    EXPECT_EQ(kindOf(fs.rename(u"C:\\gone.txt", u"C:\\c.txt")), ErrorKind::NotFound);
    EXPECT_EQ(kindOf(fs.rename(u"Q:\\a.txt", u"C:\\c.txt")), ErrorKind::NotFound);
    fs.setFaults(&plan);
    plan.failAt(FsCall::Rename, 1, EXDEV);
    EXPECT_EQ(kindOf(fs.rename(u"C:\\a.txt", u"C:\\c.txt")), ErrorKind::CrossDevice);
    EXPECT_EQ(drives.readBytes(u"C:\\a.txt"), "a");
    EXPECT_EQ(drives.readBytes(u"C:\\b.txt"), "b");
    ASSERT_TRUE(fs.rename(u"C:\\a.txt", u"C:\\A.TXT"));   // a change of case only
    EXPECT_EQ(drives.readBytes(u"C:\\A.TXT"), "a");
#ifdef _WIN32
    // Windows finds a name in any letter case; the entry carries the new one.
    EXPECT_EQ(drives.allNames(u"C:\\"), (std::vector<std::string>{"A.TXT", "b.txt"}));
#else
    EXPECT_FALSE(drives.exists(u"C:\\a.txt"));
#endif
}

TEST_F(FileSafetyTest, AnEntryVanishingWhileListedHasNoInfo)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows lists every entry with its facts in the one directory read, "
                    "so no entry is asked about after it and none can vanish in between";
#endif
    drives.writeBytes(u"C:\\stays.txt", "1");
    drives.writeBytes(u"C:\\goes.txt", "22");
    fs.setFaults(&plan);
    plan.beforeCall(
        FsCall::Stat, 1, [&] { unlink(host(u"C:\\goes.txt").c_str()); }, "goes.txt");
    auto entries = fs.listDirectoryWithInfo(u"C:\\");
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 2u);
    for (const ListedEntry& e : *entries) {
        SCOPED_TRACE(toUtf8(e.name));
        EXPECT_EQ(e.info.has_value(), e.name == u"stays.txt");
    }
}

}
}

#include "tests/platform/CopyFixture.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvik::platform {
namespace {

using test::kindOf;
using test::RecordingObserver;

class CopyFileTest : public test::CopyFixture {};

constexpr std::size_t kMiB = std::size_t(1) << 20;

// What is copied

// Linux host features: permission bits, links, pipes and extended attributes.
// The Windows layer's attributes are checked in Win32FileSystemTest.cpp.
#ifndef _WIN32
TEST_F(CopyFileTest, KeepsBytesLastWriteTimeAndPermissions)
{
    const std::string bytes = pattern(3 * kMiB + 17);
    drives.writeBytes(u"C:\\src.bin", bytes);
    ASSERT_EQ(chmod(host(u"C:\\src.bin").c_str(), 0640), 0);
    setTimes(u"C:\\src.bin", 981173106, 123456789);

    ASSERT_TRUE(fs.copyFile(u"C:\\src.bin", u"D:\\dst.bin", Replace::Never));
    EXPECT_EQ(drives.readBytes(u"D:\\dst.bin"), bytes);
    const struct stat dst = statOf(u"D:\\dst.bin");
    EXPECT_EQ(dst.st_mode & 07777, 0640u);
    EXPECT_EQ(dst.st_mtim.tv_sec, 981173106);
    EXPECT_EQ(dst.st_mtim.tv_nsec, 123456789);
    EXPECT_EQ(fs.fileInfo(u"D:\\dst.bin")->lastWrite, fs.fileInfo(u"C:\\src.bin")->lastWrite);
    EXPECT_EQ(drives.readBytes(u"C:\\src.bin"), bytes);
    EXPECT_TRUE(noTemporaries());
}

TEST_F(CopyFileTest, KeepsTheAttributes)
{
    if (!xattrsSupported())
        GTEST_SKIP() << "the temporary file system keeps no extended attributes";
    drives.writeBytes(u"C:\\sys.dat", "s");
    ASSERT_TRUE(fs.setAttributes(u"C:\\sys.dat", kAttrReadOnly | kAttrHidden | kAttrSystem));
    ASSERT_TRUE(fs.copyFile(u"C:\\sys.dat", u"D:\\sys.dat", Replace::Never));
    EXPECT_EQ(test::valueOf(fs.attributes(u"D:\\sys.dat")), kAttrReadOnly | kAttrHidden | kAttrSystem);
    EXPECT_EQ(statOf(u"D:\\sys.dat").st_mode & 07777, statOf(u"C:\\sys.dat").st_mode & 07777);
}

// A stick without extended attributes cannot keep them, which is no reason
// to fail; any other refusal is.
TEST_F(CopyFileTest, AttributesTheDestinationCannotHoldAreDroppedOtherFailuresFail)
{
    if (!xattrsSupported())
        GTEST_SKIP() << "the temporary file system keeps no extended attributes";
    drives.writeBytes(u"C:\\hidden.txt", "h");
    ASSERT_TRUE(fs.setAttributes(u"C:\\hidden.txt", kAttrHidden));
    drives.writeBytes(u"D:\\hidden.txt", "old");
    fs.setFaults(&plan);
    plan.failAt(FsCall::SetAttributes, 1, EIO);
    EXPECT_EQ(kindOf(fs.copyFile(u"C:\\hidden.txt", u"D:\\hidden.txt", Replace::Existing)), ErrorKind::Other);
    EXPECT_EQ(drives.readBytes(u"D:\\hidden.txt"), "old");
    EXPECT_TRUE(noTemporaries());

    plan.failAt(FsCall::SetAttributes, 2, ENOTSUP);
    ASSERT_TRUE(fs.copyFile(u"C:\\hidden.txt", u"D:\\hidden.txt", Replace::Existing));
    EXPECT_EQ(drives.readBytes(u"D:\\hidden.txt"), "h");
    EXPECT_EQ(test::valueOf(fs.attributes(u"D:\\hidden.txt")), kAttrArchive);
}

// An ordinary user cannot set attributes on a file without owner write
// permission, so the copy sets them before it makes the copy read-only.
TEST_F(CopyFileTest, KeepsHiddenOnAReadOnlyCopyOfAnOrdinaryUser)
{
    if (!xattrsSupported())
        GTEST_SKIP() << "the temporary file system keeps no extended attributes";
    drives.makeDir(u"C:\\mine");
    drives.writeBytes(u"C:\\mine\\ro.txt", "r");
    ASSERT_TRUE(fs.setAttributes(u"C:\\mine\\ro.txt", kAttrReadOnly | kAttrHidden));
    ASSERT_EQ(chmod(drives.hostC().c_str(), 0755), 0);
    if (geteuid() == 0) {
        ASSERT_EQ(chown(host(u"C:\\mine").c_str(), test::kNobody, test::kNobody), 0);
    }
    EXPECT_TRUE(test::asOrdinaryUser(
        [&] { return bool(fs.copyFile(u"C:\\mine\\ro.txt", u"C:\\mine\\copy.txt", Replace::Never)); }));
    EXPECT_EQ(test::valueOf(fs.attributes(u"C:\\mine\\copy.txt")), kAttrReadOnly | kAttrHidden);
}

TEST_F(CopyFileTest, FollowsALinkToItsFile)
{
    drives.writeBytes(u"C:\\real.txt", "real");
    ASSERT_EQ(symlink("real.txt", host(u"C:\\link.txt").c_str()), 0);
    ASSERT_TRUE(fs.copyFile(u"C:\\link.txt", u"D:\\copy.txt", Replace::Never));
    EXPECT_TRUE(S_ISREG(statOf(u"D:\\copy.txt", false).st_mode));
    EXPECT_EQ(drives.readBytes(u"D:\\copy.txt"), "real");
}
#endif

TEST_F(CopyFileTest, TellsTheObserverEveryChunk)
{
    if (!copyReportsChunks())
        GTEST_SKIP() << "the system's copy routine here reports a large copy as one chunk (Wine's CopyFileExW), "
                        "so nothing can be observed or injected between chunks";
    const std::string bytes = pattern(20 * kMiB + 5);
    drives.writeBytes(u"C:\\big.bin", bytes);
    RecordingObserver observer;
    ASSERT_TRUE(fs.copyFile(u"C:\\big.bin", u"D:\\big.bin", Replace::Never, &observer));
    EXPECT_EQ(observer.total(), static_cast<std::int64_t>(bytes.size()));
    EXPECT_GE(observer.chunks.size(), 3u);
    EXPECT_EQ(drives.readBytes(u"D:\\big.bin"), bytes);
}

// A new file has no old content to protect; a replacement must reach the
// disk before it takes the old file's place.
TEST_F(CopyFileTest, SyncsOnlyWhenItReplacesAFile)
{
    drives.writeBytes(u"C:\\src.txt", "new");
    fs.setFaults(&plan);
    ASSERT_TRUE(fs.copyFile(u"C:\\src.txt", u"D:\\dst.txt", Replace::Never));
    EXPECT_EQ(plan.count(FsCall::Sync), 0);
    ASSERT_TRUE(fs.copyFile(u"C:\\src.txt", u"D:\\dst.txt", Replace::Existing));
    EXPECT_EQ(plan.count(FsCall::Sync), 1);
}

// What is refused

TEST_F(CopyFileTest, NeverReplacesUnlessAsked)
{
    drives.writeBytes(u"C:\\src.txt", "new");
    drives.writeBytes(u"D:\\dst.txt", "old");
    EXPECT_EQ(kindOf(fs.copyFile(u"C:\\src.txt", u"D:\\dst.txt", Replace::Never)), ErrorKind::Exists);
    EXPECT_EQ(drives.readBytes(u"D:\\dst.txt"), "old");
    ASSERT_TRUE(fs.copyFile(u"C:\\src.txt", u"D:\\dst.txt", Replace::Existing));
    EXPECT_EQ(drives.readBytes(u"D:\\dst.txt"), "new");
    EXPECT_TRUE(noTemporaries());
}

// Linux host features: permission bits, links, pipes and extended attributes.
// The Windows layer's attributes are checked in Win32FileSystemTest.cpp.
#ifndef _WIN32
TEST_F(CopyFileTest, RefusesAReadOnlyDestinationAndLeavesIt)
{
    drives.writeBytes(u"C:\\src.txt", "new");
    drives.writeBytes(u"D:\\dst.txt", "old");
    ASSERT_EQ(chmod(host(u"D:\\dst.txt").c_str(), 0444), 0);
    const ino_t inode = statOf(u"D:\\dst.txt").st_ino;
    EXPECT_EQ(kindOf(fs.copyFile(u"C:\\src.txt", u"D:\\dst.txt", Replace::Existing)), ErrorKind::ReadOnly);
    EXPECT_EQ(drives.readBytes(u"D:\\dst.txt"), "old");
    EXPECT_EQ(statOf(u"D:\\dst.txt").st_ino, inode);
    EXPECT_EQ(statOf(u"D:\\dst.txt").st_mode & 07777, 0444u);
    EXPECT_TRUE(noTemporaries());
}
#endif

TEST_F(CopyFileTest, RefusesADirectoryAsDestination)
{
    drives.writeBytes(u"C:\\src.txt", "new");
    drives.makeDir(u"D:\\dir");
    for (Replace replace : {Replace::Never, Replace::Existing})
        EXPECT_EQ(kindOf(fs.copyFile(u"C:\\src.txt", u"D:\\dir", replace)), ErrorKind::IsDirectory);
    EXPECT_EQ(drives.allNames(u"D:\\dir"), std::vector<std::string>{});
    EXPECT_TRUE(noTemporaries());
}

// Linux host features: permission bits, links, pipes and extended attributes.
// The Windows layer's attributes are checked in Win32FileSystemTest.cpp.
#ifndef _WIN32
TEST_F(CopyFileTest, CopiesOnlyRegularFiles)
{
    drives.makeDir(u"C:\\dir");
    ASSERT_EQ(mkfifo(host(u"C:\\pipe").c_str(), 0644), 0);
    EXPECT_EQ(kindOf(fs.copyFile(u"C:\\missing", u"D:\\x", Replace::Never)), ErrorKind::NotFound);
    EXPECT_EQ(kindOf(fs.copyFile(u"C:\\dir", u"D:\\x", Replace::Never)), ErrorKind::IsDirectory);
    EXPECT_TRUE(test::inChild(
        [&] { return kindOf(fs.copyFile(u"C:\\pipe", u"D:\\x", Replace::Never)) == ErrorKind::NotRegular; }));
    EXPECT_EQ(drives.allNames(u"D:\\"), std::vector<std::string>{});

    // Nor is a pipe in the destination's place replaced or opened.
    drives.writeBytes(u"C:\\src.txt", "s");
    ASSERT_EQ(mkfifo(host(u"D:\\pipe").c_str(), 0644), 0);
    EXPECT_TRUE(test::inChild(
        [&] { return kindOf(fs.copyFile(u"C:\\src.txt", u"D:\\pipe", Replace::Existing)) == ErrorKind::NotRegular; }));
    EXPECT_TRUE(S_ISFIFO(statOf(u"D:\\pipe", false).st_mode));
}
#endif

// Onto itself

// Linux host features: permission bits, links, pipes and extended attributes.
// The Windows layer's attributes are checked in Win32FileSystemTest.cpp.
#ifndef _WIN32
TEST_F(CopyFileTest, OntoItselfThroughALinkLeavesTheFileWhole)
{
    drives.writeBytes(u"C:\\f.txt", "content");
    ASSERT_EQ(symlink("f.txt", host(u"C:\\link.txt").c_str()), 0);
    EXPECT_TRUE(fs.copyFile(u"C:\\f.txt", u"C:\\link.txt", Replace::Existing));
    EXPECT_TRUE(fs.copyFile(u"C:\\link.txt", u"C:\\f.txt", Replace::Existing));
    EXPECT_TRUE(fs.copyFile(u"C:\\f.txt", u"C:\\f.txt", Replace::Never));
    EXPECT_EQ(drives.readBytes(u"C:\\f.txt"), "content");
    EXPECT_TRUE(S_ISLNK(statOf(u"C:\\link.txt", false).st_mode));
    EXPECT_TRUE(noTemporaries());
}

TEST_F(CopyFileTest, OntoItselfThroughASecondPathLeavesTheFileWhole)
{
    drives.makeDir(u"C:\\dir");
    drives.writeBytes(u"C:\\dir\\f.txt", "content");
    ASSERT_EQ(symlink(host(u"C:\\dir").c_str(), host(u"D:\\alias").c_str()), 0);
    const ino_t inode = statOf(u"C:\\dir\\f.txt").st_ino;
    EXPECT_TRUE(fs.sameFile(u"C:\\dir\\f.txt", u"D:\\alias\\f.txt"));
    EXPECT_TRUE(fs.copyFile(u"C:\\dir\\f.txt", u"D:\\alias\\f.txt", Replace::Existing));
    EXPECT_EQ(drives.readBytes(u"C:\\dir\\f.txt"), "content");
    EXPECT_EQ(statOf(u"C:\\dir\\f.txt").st_ino, inode);
    EXPECT_EQ(drives.tempFilesIn(u"C:\\dir"), std::vector<std::string>{});
}
#endif

// Failures leave the old destination whole

TEST_F(CopyFileTest, CancelStopsAndLeavesTheOldDestination)
{
    if (!copyReportsChunks())
        GTEST_SKIP() << "the system's copy routine here reports a large copy as one chunk (Wine's CopyFileExW), "
                        "so nothing can be observed or injected between chunks";
    drives.writeBytes(u"C:\\big.bin", pattern(20 * kMiB));
    drives.writeBytes(u"D:\\big.bin", "old");
    RecordingObserver observer(2);
    EXPECT_EQ(kindOf(fs.copyFile(u"C:\\big.bin", u"D:\\big.bin", Replace::Existing, &observer)), ErrorKind::Cancelled);
    EXPECT_EQ(observer.chunks.size(), 2u);
    EXPECT_EQ(drives.readBytes(u"D:\\big.bin"), "old");
    EXPECT_TRUE(noTemporaries());
}

TEST_F(CopyFileTest, DiskFullAtAnyWriteLeavesTheOldDestination)
{
    if (!copyReportsChunks())
        GTEST_SKIP() << "the system's copy routine here reports a large copy as one chunk (Wine's CopyFileExW), "
                        "so nothing can be observed or injected between chunks";
    const std::string bytes = pattern(20 * kMiB + 5);
    drives.writeBytes(u"C:\\big.bin", bytes);
    const std::string old = pattern(1000, 7);
    drives.writeBytes(u"D:\\big.bin", old);

    fs.setFaults(&plan);
    ASSERT_TRUE(fs.copyFile(u"C:\\big.bin", u"D:\\probe.bin", Replace::Never));
    const int writes = plan.count(FsCall::Write, drives.hostD());
    ASSERT_GE(writes, 3);
    ASSERT_TRUE(fs.remove(u"D:\\probe.bin"));

    for (int nth : {1, (writes + 1) / 2, writes}) {
        SCOPED_TRACE(nth);
        FaultPlan full;
        full.failAt(FsCall::Write, nth, ENOSPC, drives.hostD());
        fs.setFaults(&full);
        Status copied = fs.copyFile(u"C:\\big.bin", u"D:\\big.bin", Replace::Existing);
        ASSERT_TRUE(copied.failed());
        EXPECT_EQ(copied.error(), (Error{ErrorKind::DiskFull, ENOSPC}));
        EXPECT_EQ(full.count(FsCall::Write, drives.hostD()), nth);   // stopped at the failure
        EXPECT_EQ(drives.readBytes(u"D:\\big.bin"), old);
        EXPECT_TRUE(noTemporaries());
    }
    EXPECT_EQ(drives.readBytes(u"C:\\big.bin"), bytes);
}

TEST_F(CopyFileTest, FailingAfterTheBytesLeavesTheOldDestination)
{
    drives.writeBytes(u"C:\\src.txt", "new");
    drives.writeBytes(u"D:\\dst.txt", "old");
    for (FsCall call : {FsCall::SetAttributes, FsCall::SetTimes, FsCall::Sync, FsCall::Rename}) {
        SCOPED_TRACE(static_cast<int>(call));
        FaultPlan failing;
        failing.failAt(call, 1, EIO);
        fs.setFaults(&failing);
        Status copied = fs.copyFile(u"C:\\src.txt", u"D:\\dst.txt", Replace::Existing);
        ASSERT_TRUE(copied.failed());
        EXPECT_EQ(copied.error(), (Error{ErrorKind::Other, EIO}));
        EXPECT_EQ(drives.readBytes(u"D:\\dst.txt"), "old");
        EXPECT_TRUE(noTemporaries());
    }
}

TEST_F(CopyFileTest, ASourceVanishingBeforeItOpensIsNotFound)
{
    drives.writeBytes(u"C:\\src.txt", "x");
    ASSERT_TRUE(fs.exists(u"C:\\src.txt"));
    fs.setFaults(&plan);
    plan.beforeCall(
        FsCall::Open, 1, [&] { unlink(host(u"C:\\src.txt").c_str()); }, "src.txt");
    EXPECT_EQ(kindOf(fs.copyFile(u"C:\\src.txt", u"D:\\dst.txt", Replace::Never)), ErrorKind::NotFound);
    EXPECT_EQ(drives.allNames(u"D:\\"), std::vector<std::string>{});
}

TEST_F(CopyFileTest, ASourceShrinkingMeanwhileIsCopiedAsFarAsItGoes)
{
    if (!copyReportsChunks())
        GTEST_SKIP() << "the system's copy routine here reports a large copy as one chunk (Wine's CopyFileExW), "
                        "so nothing can be observed or injected between chunks";
    const std::string bytes = pattern(20 * kMiB);
    drives.writeBytes(u"C:\\log.bin", bytes);
    fs.setFaults(&plan);
    plan.beforeCall(
        FsCall::Write, 2, [&] { ASSERT_EQ(truncate(host(u"C:\\log.bin").c_str(), 10 * kMiB), 0); }, drives.hostD());
    ASSERT_TRUE(fs.copyFile(u"C:\\log.bin", u"D:\\log.bin", Replace::Never));
    EXPECT_EQ(drives.readBytes(u"D:\\log.bin"), bytes.substr(0, 10 * kMiB));
}

TEST_F(CopyFileTest, NeverReplacesAFileThatAppearsDuringTheCopy)
{
    drives.writeBytes(u"C:\\src.txt", "new");
    fs.setFaults(&plan);
    plan.beforeCall(FsCall::Rename, 1, [&] { drives.writeBytes(u"D:\\dst.txt", "theirs"); });
    EXPECT_EQ(kindOf(fs.copyFile(u"C:\\src.txt", u"D:\\dst.txt", Replace::Never)), ErrorKind::Exists);
    EXPECT_EQ(drives.readBytes(u"D:\\dst.txt"), "theirs");
    EXPECT_TRUE(noTemporaries());
}

// Stands in for a Linux file system without RENAME_NOREPLACE; Windows renames
// never replace unless asked, so it has no such fallback.
#ifndef _WIN32
// Where the file system has no RENAME_NOREPLACE, a hard link still never
// replaces an existing name.
TEST_F(CopyFileTest, NeverReplacingWorksWithoutTheNoReplaceRename)
{
    drives.writeBytes(u"C:\\src.txt", "new");
    fs.setFaults(&plan);
    plan.failAt(FsCall::Rename, 1, EINVAL);
    ASSERT_TRUE(fs.copyFile(u"C:\\src.txt", u"D:\\dst.txt", Replace::Never));
    EXPECT_EQ(drives.readBytes(u"D:\\dst.txt"), "new");

    FaultPlan racing;
    racing.failAt(FsCall::Rename, 1, EINVAL);
    racing.beforeCall(FsCall::Rename, 2, [&] { drives.writeBytes(u"D:\\late.txt", "theirs"); });
    fs.setFaults(&racing);
    EXPECT_EQ(kindOf(fs.copyFile(u"C:\\src.txt", u"D:\\late.txt", Replace::Never)), ErrorKind::Exists);
    EXPECT_EQ(drives.readBytes(u"D:\\late.txt"), "theirs");
    EXPECT_TRUE(noTemporaries());
}
#endif

}
}

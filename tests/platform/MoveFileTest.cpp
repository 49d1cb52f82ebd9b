#include "tests/platform/CopyFixture.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvik::platform {
namespace {

using test::kindOf;
using test::RecordingObserver;

class MoveFileTest : public test::CopyFixture {
protected:
    // Makes the next rename report another file system, as between two disks.
    void acrossDevices() { plan.failAt(FsCall::Rename, 1, EXDEV, drives.hostC()); }
};

// Within one file system

// Linux host features: permission bits, links, pipes and extended attributes.
// The Windows layer's attributes are checked in Win32FileSystemTest.cpp.
#ifndef _WIN32
TEST_F(MoveFileTest, RenamesWithinAFileSystem)
{
    drives.writeBytes(u"C:\\a.txt", "a");
    drives.makeDir(u"C:\\dir");
    const ino_t inode = statOf(u"C:\\a.txt").st_ino;
    ASSERT_TRUE(fs.moveFile(u"C:\\a.txt", u"C:\\dir\\b.txt", Replace::Never));
    EXPECT_FALSE(drives.exists(u"C:\\a.txt"));
    EXPECT_EQ(drives.readBytes(u"C:\\dir\\b.txt"), "a");
    EXPECT_EQ(statOf(u"C:\\dir\\b.txt").st_ino, inode);
}
#endif

TEST_F(MoveFileTest, NeverReplacesUnlessAsked)
{
    drives.writeBytes(u"C:\\a.txt", "a");
    drives.writeBytes(u"C:\\b.txt", "b");
    EXPECT_EQ(kindOf(fs.moveFile(u"C:\\a.txt", u"C:\\b.txt", Replace::Never)), ErrorKind::Exists);
    EXPECT_EQ(drives.readBytes(u"C:\\a.txt"), "a");
    EXPECT_EQ(drives.readBytes(u"C:\\b.txt"), "b");
    ASSERT_TRUE(fs.moveFile(u"C:\\a.txt", u"C:\\b.txt", Replace::Existing));
    EXPECT_FALSE(drives.exists(u"C:\\a.txt"));
    EXPECT_EQ(drives.readBytes(u"C:\\b.txt"), "a");
}

TEST_F(MoveFileTest, NeverReplacesAFileThatAppearsMeanwhile)
{
    drives.writeBytes(u"C:\\a.txt", "a");
    fs.setFaults(&plan);
    plan.beforeCall(FsCall::Rename, 1, [&] { drives.writeBytes(u"C:\\b.txt", "theirs"); });
    EXPECT_EQ(kindOf(fs.moveFile(u"C:\\a.txt", u"C:\\b.txt", Replace::Never)), ErrorKind::Exists);
    EXPECT_EQ(drives.readBytes(u"C:\\a.txt"), "a");
    EXPECT_EQ(drives.readBytes(u"C:\\b.txt"), "theirs");
}

TEST_F(MoveFileTest, RefusesReadOnlyAndDirectoryDestinationsAndMissingSources)
{
    drives.writeBytes(u"C:\\a.txt", "a");
    drives.writeBytes(u"C:\\ro.txt", "ro");
    ASSERT_EQ(chmod(host(u"C:\\ro.txt").c_str(), 0444), 0);
    drives.makeDir(u"C:\\dir");
    EXPECT_EQ(kindOf(fs.moveFile(u"C:\\a.txt", u"C:\\ro.txt", Replace::Existing)), ErrorKind::ReadOnly);
    EXPECT_EQ(kindOf(fs.moveFile(u"C:\\a.txt", u"C:\\dir", Replace::Existing)), ErrorKind::IsDirectory);
    EXPECT_EQ(kindOf(fs.moveFile(u"C:\\gone.txt", u"C:\\new.txt", Replace::Never)), ErrorKind::NotFound);
    EXPECT_EQ(drives.readBytes(u"C:\\a.txt"), "a");
    EXPECT_EQ(drives.readBytes(u"C:\\ro.txt"), "ro");
    EXPECT_EQ(drives.allNames(u"C:\\dir"), std::vector<std::string>{});
    EXPECT_FALSE(drives.exists(u"C:\\new.txt"));
}

// Linux host features: permission bits, links, pipes and extended attributes.
// The Windows layer's attributes are checked in Win32FileSystemTest.cpp.
#ifndef _WIN32
TEST_F(MoveFileTest, OntoItselfKeepsTheFile)
{
    drives.makeDir(u"C:\\dir");
    drives.writeBytes(u"C:\\dir\\f.txt", "content");
    ASSERT_EQ(symlink("f.txt", host(u"C:\\dir\\link.txt").c_str()), 0);
    ASSERT_EQ(symlink(host(u"C:\\dir").c_str(), host(u"C:\\alias").c_str()), 0);
    for (Replace replace : {Replace::Never, Replace::Existing}) {
        EXPECT_TRUE(fs.moveFile(u"C:\\dir\\f.txt", u"C:\\dir\\f.txt", replace));
        EXPECT_TRUE(fs.moveFile(u"C:\\dir\\f.txt", u"C:\\alias\\f.txt", replace));
        EXPECT_TRUE(fs.moveFile(u"C:\\dir\\f.txt", u"C:\\dir\\link.txt", replace));
        EXPECT_TRUE(fs.moveFile(u"C:\\dir\\link.txt", u"C:\\dir\\f.txt", replace));
    }
    EXPECT_EQ(drives.readBytes(u"C:\\dir\\f.txt"), "content");
    EXPECT_TRUE(S_ISREG(statOf(u"C:\\dir\\f.txt", false).st_mode));
    EXPECT_TRUE(S_ISLNK(statOf(u"C:\\dir\\link.txt", false).st_mode));
}
#endif

// Across file systems

// Linux host features: permission bits, links, pipes and extended attributes.
// The Windows layer's attributes are checked in Win32FileSystemTest.cpp.
#ifndef _WIN32
TEST_F(MoveFileTest, AcrossDevicesCopiesSyncsAndThenRemovesTheSource)
{
    const std::string bytes = pattern(9 << 20);
    drives.writeBytes(u"C:\\src.bin", bytes);
    ASSERT_EQ(chmod(host(u"C:\\src.bin").c_str(), 0604), 0);
    setTimes(u"C:\\src.bin", 1000000000, 5);
    fs.setFaults(&plan);
    acrossDevices();
    RecordingObserver observer;

    ASSERT_TRUE(fs.moveFile(u"C:\\src.bin", u"D:\\dst.bin", Replace::Never, &observer));
    EXPECT_FALSE(drives.exists(u"C:\\src.bin"));
    EXPECT_EQ(drives.readBytes(u"D:\\dst.bin"), bytes);
    EXPECT_EQ(statOf(u"D:\\dst.bin").st_mode & 07777, 0604u);
    EXPECT_EQ(statOf(u"D:\\dst.bin").st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(statOf(u"D:\\dst.bin").st_mtim.tv_nsec, 5);
    EXPECT_EQ(observer.total(), static_cast<std::int64_t>(bytes.size()));
    EXPECT_EQ(plan.count(FsCall::Sync, ".~sorvik-"), 1);   // a new file too, before the source goes
    EXPECT_TRUE(noTemporaries());
}
#endif

TEST_F(MoveFileTest, AcrossDevicesAFailedCopyKeepsTheSourceAndMakesNoDestination)
{
    if (!copyReportsChunks())
        GTEST_SKIP() << "the system's copy routine here reports a large copy as one chunk (Wine's CopyFileExW), "
                        "so nothing can be observed or injected between chunks";
    const std::string bytes = pattern(20 << 20);
    drives.writeBytes(u"C:\\src.bin", bytes);
    fs.setFaults(&plan);
    acrossDevices();
    plan.failAt(FsCall::Write, 2, ENOSPC, drives.hostD());
    EXPECT_EQ(kindOf(fs.moveFile(u"C:\\src.bin", u"D:\\dst.bin", Replace::Never)), ErrorKind::DiskFull);
    EXPECT_EQ(drives.readBytes(u"C:\\src.bin"), bytes);
    EXPECT_FALSE(drives.exists(u"D:\\dst.bin"));
    EXPECT_TRUE(noTemporaries());
}

TEST_F(MoveFileTest, AcrossDevicesAFailedSyncKeepsTheSourceAndTheOldDestination)
{
    drives.writeBytes(u"C:\\src.txt", "new");
    drives.writeBytes(u"D:\\dst.txt", "old");
    fs.setFaults(&plan);
    acrossDevices();
    plan.failAt(FsCall::Sync, 1, EIO);
    EXPECT_EQ(kindOf(fs.moveFile(u"C:\\src.txt", u"D:\\dst.txt", Replace::Existing)), ErrorKind::Other);
    EXPECT_EQ(drives.readBytes(u"C:\\src.txt"), "new");
    EXPECT_EQ(drives.readBytes(u"D:\\dst.txt"), "old");
    EXPECT_TRUE(noTemporaries());
}

TEST_F(MoveFileTest, AcrossDevicesACancelKeepsTheSource)
{
    drives.writeBytes(u"C:\\src.bin", pattern(20 << 20));
    fs.setFaults(&plan);
    acrossDevices();
    RecordingObserver observer(1);
    EXPECT_EQ(kindOf(fs.moveFile(u"C:\\src.bin", u"D:\\dst.bin", Replace::Never, &observer)), ErrorKind::Cancelled);
    EXPECT_EQ(drives.readBytes(u"C:\\src.bin").size(), std::size_t(20) << 20);
    EXPECT_FALSE(drives.exists(u"D:\\dst.bin"));
    EXPECT_TRUE(noTemporaries());
}

TEST_F(MoveFileTest, AcrossDevicesASourceThatCannotBeRemovedIsReportedAndBothStay)
{
    drives.writeBytes(u"C:\\src.txt", "data");
    fs.setFaults(&plan);
    acrossDevices();
    plan.failAt(FsCall::Unlink, 1, EACCES, "src.txt");
    Status moved = fs.moveFile(u"C:\\src.txt", u"D:\\dst.txt", Replace::Never);
    ASSERT_TRUE(moved.failed());
    EXPECT_EQ(moved.error(), (Error{ErrorKind::AccessDenied, EACCES}));
    EXPECT_EQ(drives.readBytes(u"C:\\src.txt"), "data");
    EXPECT_EQ(drives.readBytes(u"D:\\dst.txt"), "data");
}

// Linux host features: permission bits, links, pipes and extended attributes.
// The Windows layer's attributes are checked in Win32FileSystemTest.cpp.
#ifndef _WIN32
TEST_F(MoveFileTest, AcrossDevicesALinkIsNotMoved)
{
    drives.writeBytes(u"C:\\real.txt", "real");
    ASSERT_EQ(symlink("real.txt", host(u"C:\\link.txt").c_str()), 0);
    fs.setFaults(&plan);
    acrossDevices();
    EXPECT_EQ(kindOf(fs.moveFile(u"C:\\link.txt", u"D:\\link.txt", Replace::Never)), ErrorKind::NotRegular);
    EXPECT_TRUE(S_ISLNK(statOf(u"C:\\link.txt", false).st_mode));
    EXPECT_EQ(drives.readBytes(u"C:\\real.txt"), "real");
    EXPECT_EQ(drives.allNames(u"D:\\"), std::vector<std::string>{});
}
#endif

TEST_F(MoveFileTest, AcrossDevicesTheRulesOfTheDestinationStillHold)
{
    drives.writeBytes(u"C:\\src.txt", "new");
    drives.writeBytes(u"D:\\ro.txt", "old");
    ASSERT_EQ(chmod(host(u"D:\\ro.txt").c_str(), 0444), 0);
    drives.writeBytes(u"D:\\other.txt", "other");
    fs.setFaults(&plan);
    plan.failAlways(FsCall::Rename, EXDEV, drives.hostC());
    EXPECT_EQ(kindOf(fs.moveFile(u"C:\\src.txt", u"D:\\ro.txt", Replace::Existing)), ErrorKind::ReadOnly);
    EXPECT_EQ(kindOf(fs.moveFile(u"C:\\src.txt", u"D:\\other.txt", Replace::Never)), ErrorKind::Exists);
    EXPECT_EQ(drives.readBytes(u"D:\\ro.txt"), "old");
    EXPECT_EQ(drives.readBytes(u"D:\\other.txt"), "other");
    ASSERT_TRUE(fs.moveFile(u"C:\\src.txt", u"D:\\other.txt", Replace::Existing));
    EXPECT_EQ(drives.readBytes(u"D:\\other.txt"), "new");
    EXPECT_FALSE(drives.exists(u"C:\\src.txt"));
}

// Linux host features: permission bits, links, pipes and extended attributes.
// The Windows layer's attributes are checked in Win32FileSystemTest.cpp.
#ifndef _WIN32
// A real second file system, where the machine has one: shared memory.
TEST_F(MoveFileTest, MovesBetweenRealFileSystems)
{
    std::string shm = "/dev/shm/sorvik-test-XXXXXX";
    struct stat shmStat {
    }, tmpStat{};
    if (stat("/dev/shm", &shmStat) != 0 || stat(drives.hostC().c_str(), &tmpStat) != 0
        || shmStat.st_dev == tmpStat.st_dev || !mkdtemp(shm.data()))
        GTEST_SKIP() << "no second file system to move to";
    struct Cleanup {
        std::string dir;
        ~Cleanup() { std::filesystem::remove_all(dir); }
    } cleanup{shm};
    DriveTable table = fs.drives();
    table.add(u'E', shm, kDriveRamDisk);
    fs.setDrives(table);

    const std::string bytes = pattern(3 << 20);
    drives.writeBytes(u"C:\\src.bin", bytes);
    setTimes(u"C:\\src.bin", 1200000000, 0);
    ASSERT_TRUE(fs.moveFile(u"C:\\src.bin", u"E:\\dst.bin", Replace::Never));
    EXPECT_FALSE(drives.exists(u"C:\\src.bin"));
    EXPECT_EQ(drives.readBytes(u"E:\\dst.bin"), bytes);
    EXPECT_EQ(statOf(u"E:\\dst.bin").st_mtim.tv_sec, 1200000000);
    ASSERT_TRUE(fs.copyFile(u"E:\\dst.bin", u"C:\\back.bin", Replace::Never));
    EXPECT_EQ(drives.readBytes(u"C:\\back.bin"), bytes);
}
#endif

}
}

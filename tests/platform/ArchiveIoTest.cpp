#include "platform/ArchiveIo.h"
#include "platform/FileSystem.h"
#include "tests/platform/FsTestSupport.h"
#include "tests/support/TempDrive.h"

#include <gtest/gtest.h>

#include <cerrno>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

// The archiver's file services decide at the moment of the rename what the
// archiver checked earlier: something put in the target's place meanwhile is
// left as it is, and no temporary file stays behind.
namespace sorvik::platform {
namespace {

using test::kindOf;

class ArchiveIoTest : public ::testing::Test {
protected:
    test::TempDrives drives;
    FaultPlan plan;
    ArchiveIo io{&plan};

    void SetUp() override { drives.makeDir(u"D:\\out"); }

    std::unique_ptr<DirHandle> out()
    {
        auto dir = io.openDirectory(drives.host(u"D:\\out"), CreateDir::No);
        EXPECT_TRUE(dir);
        return dir ? std::move(*dir) : nullptr;
    }
    // A finished temporary file holding `bytes`.
    std::unique_ptr<TempOutput> temp(DirHandle& dir, const std::string& bytes)
    {
        auto t = dir.createTemp();
        EXPECT_TRUE(t);
        if (!t)
            return nullptr;
        EXPECT_TRUE((*t)->write(bytes.data(), bytes.size()));
        return std::move(*t);
    }
};

TEST_F(ArchiveIoTest, aReadOnlyFileAppearingAtTheTargetIsLeftAndTheTemporaryRemoved)
{
    auto dir = out();
    auto t = temp(*dir, "new");
    drives.writeBytes(u"D:\\out\\a.txt", "old");
    ASSERT_TRUE(drives.fs().setAttributes(u"D:\\out\\a.txt", kAttrReadOnly));
    EXPECT_EQ(kindOf(t->commit("a.txt", std::nullopt, SyncMode::WhenReplacing)), ErrorKind::ReadOnly);
    EXPECT_EQ(drives.readBytes(u"D:\\out\\a.txt"), "old");
    EXPECT_TRUE(drives.tempFilesIn(u"D:\\out").empty());
    EXPECT_EQ(plan.count(FsCall::Rename), 0);
    ASSERT_TRUE(drives.fs().setAttributes(u"D:\\out\\a.txt", 0));
}

TEST_F(ArchiveIoTest, aDirectoryAtTheTargetIsLeftAndTheTemporaryRemoved)
{
    auto dir = out();
    auto t = temp(*dir, "new");
    drives.makeDir(u"D:\\out\\a.txt");
    drives.writeBytes(u"D:\\out\\a.txt\\inside", "kept");
    EXPECT_EQ(kindOf(t->commit("a.txt", std::nullopt, SyncMode::Always)), ErrorKind::IsDirectory);
    EXPECT_EQ(drives.readBytes(u"D:\\out\\a.txt\\inside"), "kept");
    EXPECT_TRUE(drives.tempFilesIn(u"D:\\out").empty());
    EXPECT_EQ(plan.count(FsCall::Rename), 0);   // refused before, not by the rename
}

#ifndef _WIN32
TEST_F(ArchiveIoTest, aLinkAtTheTargetIsLeftAndNothingWrittenThroughIt)
{
    drives.writeBytes(u"D:\\sentinel", "sentinel");
    auto dir = out();
    auto t = temp(*dir, "new");
    const std::string link = drives.host(u"D:\\out\\a.txt");
    ASSERT_EQ(symlink(drives.host(u"D:\\sentinel").c_str(), link.c_str()), 0);
    EXPECT_EQ(kindOf(t->commit("a.txt", std::nullopt, SyncMode::WhenReplacing)), ErrorKind::NotRegular);
    struct stat st {};
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(drives.readBytes(u"D:\\sentinel"), "sentinel");
    EXPECT_TRUE(drives.tempFilesIn(u"D:\\out").empty());
}
#endif

TEST_F(ArchiveIoTest, aNewFileWaitsForTheDiskOnlyWhenAskedAReplacementAlways)
{
    auto dir = out();
    ASSERT_TRUE(temp(*dir, "one")->commit("new.txt", std::nullopt, SyncMode::WhenReplacing));
    EXPECT_EQ(plan.count(FsCall::Sync), 0);
    ASSERT_TRUE(temp(*dir, "two")->commit("new.txt", std::nullopt, SyncMode::WhenReplacing));
    EXPECT_EQ(plan.count(FsCall::Sync), 1);
    ASSERT_TRUE(temp(*dir, "three")->commit("other.txt", std::nullopt, SyncMode::Always));
    EXPECT_EQ(plan.count(FsCall::Sync), 2);
    EXPECT_EQ(drives.readBytes(u"D:\\out\\new.txt"), "two");
    EXPECT_EQ(drives.readBytes(u"D:\\out\\other.txt"), "three");
    EXPECT_TRUE(drives.tempFilesIn(u"D:\\out").empty());
}

TEST_F(ArchiveIoTest, aFailedStepOfACommitRemovesTheTemporaryAtOnce)
{
    auto dir = out();
    drives.writeBytes(u"D:\\out\\a.txt", "old");
    for (FsCall call : {FsCall::Stat, FsCall::SetTimes, FsCall::Sync, FsCall::Rename}) {
        FaultPlan faults;
        ArchiveIo failing(&faults);
        auto d = failing.openDirectory(drives.host(u"D:\\out"), CreateDir::No);
        ASSERT_TRUE(d);
        auto t = temp(**d, "new");
        faults.failAt(call, 1, EIO);
        EXPECT_FALSE(t->commit("a.txt", std::int64_t{1600000000}, SyncMode::WhenReplacing)) << static_cast<int>(call);
        EXPECT_TRUE(drives.tempFilesIn(u"D:\\out").empty()) << static_cast<int>(call);
        EXPECT_EQ(drives.readBytes(u"D:\\out\\a.txt"), "old") << static_cast<int>(call);
        EXPECT_FALSE(t->commit("a.txt", std::nullopt, SyncMode::WhenReplacing)) << "a failed commit is final";
    }
}

TEST_F(ArchiveIoTest, aMissingSubdirectoryIsMadeOnlyWhenAsked)
{
    auto dir = out();
    EXPECT_FALSE(dir->child("sub", CreateDir::No));
    EXPECT_EQ(plan.count(FsCall::MakeDir), 0);
    EXPECT_FALSE(drives.exists(u"D:\\out\\sub"));
    auto sub = dir->child("sub", CreateDir::IfMissing);
    ASSERT_TRUE(sub);
    EXPECT_EQ(plan.count(FsCall::MakeDir), 1);
    EXPECT_TRUE(drives.exists(u"D:\\out\\sub"));
    ASSERT_TRUE(dir->child("sub", CreateDir::IfMissing));
    EXPECT_EQ(plan.count(FsCall::MakeDir), 1);   // there already
    drives.writeBytes(u"D:\\out\\file", "x");
    EXPECT_FALSE(dir->child("file", CreateDir::IfMissing));
    EXPECT_EQ(plan.count(FsCall::MakeDir), 1);   // a file in the way is no missing directory
}

TEST_F(ArchiveIoTest, aNamedDirectoryIsMadeLevelByLevelBelowWhatExists)
{
    const int before = plan.count(FsCall::MakeDir);
    EXPECT_FALSE(io.openDirectory(drives.host(u"D:\\out\\a\\b"), CreateDir::No));
    EXPECT_EQ(plan.count(FsCall::MakeDir), before);
    ASSERT_TRUE(io.openDirectory(drives.host(u"D:\\out\\a\\b\\c"), CreateDir::IfMissing));
    EXPECT_EQ(plan.count(FsCall::MakeDir), before + 3);
    EXPECT_TRUE(drives.exists(u"D:\\out\\a\\b\\c"));
}

}
}

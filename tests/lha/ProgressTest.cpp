#include "lha/Progress.h"
#include "lha/ErrorCodes.h"
#include "lha/Unlha.h"

#include "tests/lha/LhaTestSupport.h"

#include <gtest/gtest.h>

namespace sorvik::test {
namespace {

// Records what the archiver tells and stops it once `stopAfter` bytes are done.
class RecordingProgress : public lha::Progress {
public:
    void begin(int members, std::uint64_t bytes) override
    {
        ++begins;
        totalMembers = members;
        totalBytes = bytes;
    }
    void startMember(u16view name, std::uint64_t) override { names.emplace_back(name); }
    bool advanced(std::uint64_t bytes) override
    {
        doneBytes += bytes;
        return doneBytes < stopAfter;
    }
    void memberDone() override { ++doneMembers; }

    std::uint64_t stopAfter = UINT64_MAX;
    int begins = 0;
    int totalMembers = -1;
    std::uint64_t totalBytes = 0;
    std::uint64_t doneBytes = 0;
    int doneMembers = 0;
    std::vector<u16> names;
};

class ArchiverProgress : public LhaDrives {
protected:
    void SetUp() override
    {
        LhaDrives::SetUp();
        lha::setProgress(&progress);
        drives.makeDir(u"C:\\src");
        // Several of the encoder's read chunks, so a stop can land in the middle.
        drives.writeBytes(u"C:\\src\\big.txt", textLike(3 << 20, 7));
        drives.writeBytes(u"C:\\src\\small.txt", "small");
    }
    void TearDown() override
    {
        lha::setProgress(nullptr);
        LhaDrives::TearDown();
    }
    RecordingProgress progress;
};

TEST_F(ArchiverProgress, packTellsTheFileAndEveryByteOnce)
{
    ASSERT_EQ(unlha("u \"C:\\arc.lzh\" \"C:\\src\\\" \"big.txt\""), 0) << report;
    EXPECT_EQ(progress.begins, 1);
    EXPECT_EQ(progress.totalMembers, 1);
    EXPECT_EQ(progress.totalBytes, 3u << 20);
    EXPECT_EQ(progress.doneBytes, 3u << 20);
    EXPECT_EQ(progress.doneMembers, 1);
    EXPECT_EQ(progress.names, std::vector<u16>{u"big.txt"});
}

TEST_F(ArchiverProgress, anIncompressibleFileIsCountedOnceThoughReadTwice)
{
    drives.writeBytes(u"C:\\src\\noise.bin", randomBytes(1 << 20, 3));
    ASSERT_EQ(unlha("u \"C:\\arc.lzh\" \"C:\\src\\\" \"noise.bin\""), 0) << report;
    EXPECT_EQ(progress.doneBytes, 1u << 20);
}

TEST_F(ArchiverProgress, stoppingAPackLeavesTheArchiveAsItWasAndNoTemporaryFile)
{
    ASSERT_EQ(unlha("u \"C:\\arc.lzh\" \"C:\\src\\\" \"small.txt\""), 0) << report;
    const std::string before = drives.readBytes(u"C:\\arc.lzh");
    progress = RecordingProgress();
    progress.stopAfter = 1;
    EXPECT_EQ(unlha("u \"C:\\arc.lzh\" \"C:\\src\\\" \"big.txt\""), lha::kErrUserCancel);
    EXPECT_NE(report.find("big.txt"), std::string::npos) << report;
    EXPECT_LT(progress.doneBytes, 3u << 20) << "it stopped before the end";
    EXPECT_EQ(progress.doneMembers, 0);
    EXPECT_EQ(drives.readBytes(u"C:\\arc.lzh"), before);
    EXPECT_TRUE(drives.tempFilesIn(u"C:\\").empty());
}

TEST_F(ArchiverProgress, stoppingANewArchiveCreatesNone)
{
    progress.stopAfter = 1;
    EXPECT_EQ(unlha("u \"C:\\arc.lzh\" \"C:\\src\\\" \"big.txt\""), lha::kErrUserCancel);
    EXPECT_FALSE(drives.exists(u"C:\\arc.lzh"));
    EXPECT_TRUE(drives.tempFilesIn(u"C:\\").empty());
}

class ExtractProgress : public ArchiverProgress {
protected:
    void SetUp() override
    {
        ArchiverProgress::SetUp();
        RawMember first{"first.txt", "", textLike(10000, 1), "-lh5-", 1600000000};
        RawMember dir{"", "docs\xFF", "", "-lhd-", 1600000000};
        RawMember big{"big.txt", "docs\xFF", textLike(3 << 20, 2), "-lh5-", 1600000000};
        RawMember last{"last.txt", "", "stored", "-lh0-", 1600000000};
        drives.writeBytes(u"C:\\arc.lzh",
            level2Member(first) + level2Member(dir) + level2Member(big) + level2Member(last) + std::string(1, '\0'));
    }
};

TEST_F(ExtractProgress, unpackTellsTheTotalsOfTheFilesBeforeTheFirst)
{
    ASSERT_EQ(unlha("x \"C:\\arc.lzh\" \"D:\\out\\\""), 0) << report;
    EXPECT_EQ(progress.begins, 1);
    EXPECT_EQ(progress.totalMembers, 3) << "directories are not counted";
    EXPECT_EQ(progress.totalBytes, 10000u + (3u << 20) + 6u);
    EXPECT_EQ(progress.doneBytes, progress.totalBytes);
    EXPECT_EQ(progress.doneMembers, 3);
    EXPECT_EQ(progress.names, (std::vector<u16>{u"first.txt", u"docs\\big.txt", u"last.txt"}));
}

TEST_F(ExtractProgress, aKeptFileCountsAsDone)
{
    drives.makeDir(u"D:\\out");
    drives.writeBytes(u"D:\\out\\first.txt", "newer on disk");
    drives.setTime(u"D:\\out\\first.txt", 2030, 1, 1, 0, 0, 0);
    ASSERT_EQ(unlha("x \"C:\\arc.lzh\" \"D:\\out\\\""), 0) << report;
    EXPECT_EQ(drives.readBytes(u"D:\\out\\first.txt"), "newer on disk");
    EXPECT_EQ(progress.doneMembers, 3);
    EXPECT_EQ(progress.doneBytes, progress.totalBytes);
}

TEST_F(ExtractProgress, stoppingKeepsTheFilesDoneAndRemovesTheHalfWrittenOne)
{
    progress.stopAfter = 10000 + 1;   // inside the big member
    EXPECT_EQ(unlha("x \"C:\\arc.lzh\" \"D:\\out\\\""), lha::kErrUserCancel);
    EXPECT_EQ(drives.readBytes(u"D:\\out\\first.txt"), textLike(10000, 1));
    EXPECT_FALSE(drives.exists(u"D:\\out\\docs\\big.txt"));
    EXPECT_FALSE(drives.exists(u"D:\\out\\last.txt")) << "nothing after the stop";
    EXPECT_TRUE(drives.tempFilesIn(u"D:\\out\\docs").empty());
    EXPECT_EQ(progress.doneMembers, 1);
}

TEST_F(ExtractProgress, withoutAProgressNothingIsAskedAndAllIsExtracted)
{
    lha::setProgress(nullptr);
    ASSERT_EQ(unlha("x \"C:\\arc.lzh\" \"D:\\out\\\""), 0) << report;
    EXPECT_EQ(progress.begins, 0);
    EXPECT_EQ(drives.readBytes(u"D:\\out\\last.txt"), "stored");
}

}
}

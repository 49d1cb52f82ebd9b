#include "lha/ErrorCodes.h"
#include "lha/Header.h"
#include "lha/Session.h"
#include "lha/Unlha.h"

#include "tests/lha/LhaTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <sys/stat.h>

namespace sorvik::test {
namespace {

using platform::FsCall;

class Update : public LhaDrives {
protected:
    void SetUp() override
    {
        LhaDrives::SetUp();
        drives.makeDir(u"C:\\src\\sub");
        drives.writeBytes(u"C:\\src\\a.txt", textLike(40000, 1));
        drives.writeBytes(u"C:\\src\\b.txt", textLike(30000, 2));
        drives.writeBytes(u"C:\\src\\sub\\f.txt", "in a subdirectory");
        drives.setTime(u"C:\\src\\a.txt", 2024, 5, 1, 12, 0, 0);
        drives.setTime(u"C:\\src\\b.txt", 2024, 5, 1, 12, 0, 0);
    }

    int add(const std::string& file, bool relative = true)
    {
        return unlha(std::string("u ") + (relative ? "-x1 " : "") + "\"C:\\arc.lzh\" \"C:\\src\\\" \"" + file + "\"");
    }

    std::string memberBytes(const lha::MemberHeader& h)
    {
        return drives.readBytes(u"C:\\arc.lzh").substr(h.offset, h.endOffset() - h.offset);
    }
};

TEST_F(Update, createsAMissingArchiveThatExtractsToTheSameBytes)
{
    ASSERT_EQ(add("a.txt"), 0) << report;
    const auto m = members();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].path, "a.txt");
    EXPECT_EQ(std::string(m[0].method.data(), 5), "-lh5-");
    EXPECT_LT(m[0].compressedSize, 40000u / 2);
    EXPECT_EQ(m[0].level, 2);
    ASSERT_EQ(unlha("x \"C:\\arc.lzh\" \"D:\\out\\\""), 0) << report;
    EXPECT_EQ(drives.readBytes(u"D:\\out\\a.txt"), drives.readBytes(u"C:\\src\\a.txt"));
    EXPECT_TRUE(drives.tempFilesIn(u"C:\\").empty());
}

TEST_F(Update, storesThePathRelativeToTheBaseOnlyWithX1)
{
    ASSERT_EQ(add("sub\\f.txt"), 0) << report;
    ASSERT_EQ(add("sub\\f.txt", false), 0) << report;
    const auto m = members();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].path,
        "sub\xFF"
        "f.txt");   // directory in extension 0x02
    EXPECT_EQ(m[1].path, "f.txt");
}

TEST_F(Update, replacesAMemberOnlyWithANewerFile)
{
    ASSERT_EQ(add("a.txt"), 0);
    ASSERT_EQ(add("b.txt"), 0);
    const std::string before = drives.readBytes(u"C:\\arc.lzh");

    drives.writeBytes(u"C:\\src\\a.txt", "changed but older");
    drives.setTime(u"C:\\src\\a.txt", 2023, 1, 1, 0, 0, 0);
    EXPECT_EQ(add("a.txt"), 0);
    EXPECT_EQ(drives.readBytes(u"C:\\arc.lzh"), before);
    EXPECT_NE(report.find("a.txt"), std::string::npos) << report;

    drives.setTime(u"C:\\src\\a.txt", 2024, 5, 1, 12, 0, 0);   // same time: still kept
    EXPECT_EQ(add("a.txt"), 0);
    EXPECT_EQ(drives.readBytes(u"C:\\arc.lzh"), before);

    const std::string oldB = memberBytes(members()[1]);
    drives.setTime(u"C:\\src\\a.txt", 2025, 1, 1, 0, 0, 0);
    ASSERT_EQ(add("a.txt"), 0) << report;
    const auto m = members();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].path, "a.txt");
    EXPECT_EQ(m[0].originalSize, 17u);
    EXPECT_EQ(memberBytes(m[1]), oldB);   // the untouched member, byte for byte
    ASSERT_EQ(unlha("x \"C:\\arc.lzh\" \"D:\\out\\\""), 0) << report;
    EXPECT_EQ(drives.readBytes(u"D:\\out\\a.txt"), "changed but older");
}

TEST_F(Update, matchesMemberNamesIgnoringCase)
{
    drives.writeBytes(u"C:\\src\\README.TXT", "old");
    drives.setTime(u"C:\\src\\README.TXT", 2020, 1, 1, 0, 0, 0);
    ASSERT_EQ(add("README.TXT"), 0);
    drives.writeBytes(u"C:\\src\\readme.txt", "new");
    drives.setTime(u"C:\\src\\readme.txt", 2021, 1, 1, 0, 0, 0);
    ASSERT_EQ(add("readme.txt"), 0);
    const auto m = members();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].path, "readme.txt");
}

TEST_F(Update, storesEmptyAndIncompressibleFilesUncompressed)
{
    drives.writeBytes(u"C:\\src\\empty", "");
    drives.writeBytes(u"C:\\src\\noise", randomBytes(70000, 3));
    ASSERT_EQ(add("empty"), 0);
    ASSERT_EQ(add("noise"), 0);
    const auto m = members();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(std::string(m[0].method.data(), 5), "-lh0-");
    EXPECT_EQ(m[0].compressedSize, 0u);
    EXPECT_EQ(std::string(m[1].method.data(), 5), "-lh0-");
    EXPECT_EQ(m[1].compressedSize, 70000u);
    EXPECT_EQ(m[1].dataCrc, crcOf(randomBytes(70000, 3)));
}

TEST_F(Update, storesJapaneseNamesInCodePage932)
{
    drives.makeDir(u"C:\\src\\資料");
    drives.writeBytes(u"C:\\src\\資料\\表.txt", "hyou");
    ASSERT_EQ(add("資料\\表.txt"), 0) << report;
    const auto m = members();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].path, *platform::encodeCp932(u"資料") + "\xFF" + *platform::encodeCp932(u"表.txt"));
}

TEST_F(Update, refusesANameCodePage932CannotHold)
{
    // The bytes 0x85 0x40 hold no character: the name decodes with U+FFFD,
    // which no stored name can carry.
    drives.writeBytes(u"C:\\src\\\uFFFD.txt", "no such character");
    char buffer[512];
    EXPECT_EQ(Unlha(nullptr, "u -x1 \"C:\\arc.lzh\" \"C:\\src\\\" \"\x85\x40.txt\"", buffer, sizeof buffer),
        lha::kErrInvalidPath);
    EXPECT_FALSE(drives.exists(u"C:\\arc.lzh"));
}

TEST_F(Update, refusesAMissingFileAndParentComponents)
{
    EXPECT_EQ(add("nothing.txt"), lha::kErrNotExist);
    EXPECT_EQ(add("..\\a.txt"), lha::kErrInvalidPath);
    EXPECT_FALSE(drives.exists(u"C:\\arc.lzh"));
}

TEST_F(Update, refusesAReadOnlyArchiveAndLeavesIt)
{
    ASSERT_EQ(add("a.txt"), 0);
    const std::string before = drives.readBytes(u"C:\\arc.lzh");
    ASSERT_EQ(chmod(drives.host(u"C:\\arc.lzh").c_str(), 0444), 0);
    EXPECT_EQ(add("b.txt"), lha::kErrReadOnly);
    EXPECT_EQ(drives.readBytes(u"C:\\arc.lzh"), before);
    EXPECT_TRUE(drives.tempFilesIn(u"C:\\").empty());
}

// How many writes a successful update makes to its temporary archive.
int writesOfOneUpdate(TempDrives& drives, const std::function<int()>& run)
{
    const std::string before = drives.readBytes(u"C:\\arc.lzh");
    platform::FaultPlan counting;
    lha::setFaults(&counting);
    EXPECT_EQ(run(), 0);
    lha::setFaults(nullptr);
    const int writes = counting.count(FsCall::Write, ".~sorvik-");
    drives.writeBytes(u"C:\\arc.lzh", before);
    return writes;
}

TEST_F(Update, aFullDiskAtAnyWriteLeavesTheOldArchiveWhole)
{
    // Big enough for several chunks of compressed output and a copied member.
    drives.writeBytes(u"C:\\src\\big.txt", textLike(3 << 20, 7) + randomBytes(1 << 20, 8));
    ASSERT_EQ(add("a.txt"), 0);
    ASSERT_EQ(add("b.txt"), 0);
    const std::string before = drives.readBytes(u"C:\\arc.lzh");
    const int writes = writesOfOneUpdate(drives, [&] { return add("big.txt"); });
    ASSERT_GE(writes, 6);
    for (int nth : {1, writes / 2, writes}) {
        platform::FaultPlan plan;
        plan.failAt(FsCall::Write, nth, ENOSPC, ".~sorvik-");
        lha::setFaults(&plan);
        EXPECT_EQ(add("big.txt"), lha::kErrDiskSpace) << "write " << nth << ": " << report;
        lha::setFaults(nullptr);
        EXPECT_EQ(drives.readBytes(u"C:\\arc.lzh"), before) << "write " << nth;
        EXPECT_TRUE(drives.tempFilesIn(u"C:\\").empty()) << "write " << nth;
    }
}

TEST_F(Update, aFailedRenameOrSyncLeavesTheOldArchiveWhole)
{
    ASSERT_EQ(add("a.txt"), 0);
    const std::string before = drives.readBytes(u"C:\\arc.lzh");
    for (FsCall call : {FsCall::Rename, FsCall::Sync}) {
        platform::FaultPlan plan;
        plan.failAlways(call, EIO);
        lha::setFaults(&plan);
        EXPECT_EQ(add("b.txt"), lha::kErrCannotWrite);
        lha::setFaults(nullptr);
        EXPECT_EQ(drives.readBytes(u"C:\\arc.lzh"), before);
        EXPECT_TRUE(drives.tempFilesIn(u"C:\\").empty());
    }
}

TEST_F(Update, aTemporaryFileThatCannotBeMadeIsReported)
{
    faults.failAlways(FsCall::Open, EACCES, ".~sorvik-");
    EXPECT_EQ(add("a.txt"), lha::kErrTempOpen);
    EXPECT_FALSE(drives.exists(u"C:\\arc.lzh"));
}

TEST_F(Update, refusesToRewriteSomethingThatIsNoArchive)
{
    drives.writeBytes(u"C:\\arc.lzh", "just some text, not an archive at all");
    EXPECT_EQ(add("a.txt"), lha::kErrNotArchive);
    EXPECT_EQ(drives.readBytes(u"C:\\arc.lzh"), "just some text, not an archive at all");
}

TEST_F(Update, writesTheReportIntoTheBufferCutAtItsSize)
{
    const auto cmd = *platform::encodeCp932(u"u -x1 \"C:\\arc.lzh\" \"C:\\src\\\" \"a.txt\"");
    char small[6];
    std::memset(small, 'Z', sizeof small);
    ASSERT_EQ(Unlha(nullptr, cmd.c_str(), small, sizeof small), 0);
    EXPECT_EQ(std::strlen(small), 5u);
    EXPECT_EQ(std::string(small), "a.txt");
    // A command that is no form at all still answers in the buffer.
    char buffer[256];
    EXPECT_EQ(Unlha(nullptr, "l \"C:\\arc.lzh\"", buffer, sizeof buffer), lha::kErrCommandName);
    EXPECT_NE(std::string(buffer).find("0x801C"), std::string::npos);
}

TEST_F(Update, checkArchiveTellsArchivesFromOtherFiles)
{
    ASSERT_EQ(add("a.txt"), 0);
    EXPECT_NE(UnlhaCheckArchive("C:\\arc.lzh", 0), 0);
    EXPECT_NE(UnlhaCheckArchive("C:\\arc.lzh", 2), 0);
    EXPECT_EQ(UnlhaCheckArchive("C:\\src\\a.txt", 0), 0);
    EXPECT_EQ(UnlhaCheckArchive("C:\\missing.lzh", 0), 0);
    // Damaged data passes the quick check of the headers but not the full one.
    std::string bytes = drives.readBytes(u"C:\\arc.lzh");
    bytes[bytes.size() - 20] ^= 0x55;
    drives.writeBytes(u"C:\\bad.lzh", bytes);
    EXPECT_NE(UnlhaCheckArchive("C:\\bad.lzh", 0), 0);
    EXPECT_EQ(UnlhaCheckArchive("C:\\bad.lzh", 2), 0);
}

}
}

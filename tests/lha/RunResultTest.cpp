// The archiver's typed entry point: the code with the member and the reason
// that gave it, the notes, and the same report through Unlha.

#include "lha/ErrorCodes.h"
#include "lha/Run.h"

#include "tests/lha/LhaTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace sorvik::test {
namespace {

using platform::FsCall;

class RunResultTest : public LhaDrives {
protected:
    // `name` stored, then its CRC made wrong: the data decodes, to bytes
    // whose CRC is not the stored one.
    static std::string damagedMember(const std::string& name)
    {
        RawMember m{name, "", textLike(3000, 5), "-lh5-"};
        return withLevel2Field(level2Member(m), 21, crcOf(m.data) ^ 0x0101);
    }
    static std::string goodMember(const std::string& name)
    {
        return level2Member(RawMember{name, "", "good", "-lh0-"});
    }
    static std::string end() { return std::string(1, '\0'); }
    // The last line of the text report.
    std::string lastReportLine() const
    {
        std::string text = report;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        const std::size_t start = text.find_last_of('\n');
        return start == std::string::npos ? text : text.substr(start + 1);
    }
};

TEST_F(RunResultTest, aDamagedArchiveNamesTheFirstDamagedMemberAndWhy)
{
    drives.writeBytes(u"C:\\arc.lzh",
        goodMember("a.txt") + damagedMember("b.txt") + damagedMember("c.txt") + goodMember("d.txt") + end());
    const lha::RunResult r = lha::run(u"x \"C:\\arc.lzh\" \"D:\\out\\\"");
    EXPECT_EQ(r.code, lha::kErrFileCrc);
    EXPECT_EQ(r.member, u"b.txt");
    EXPECT_EQ(r.reason, u"CRC が一致しません");
    EXPECT_FALSE(r.error.has_value()) << "the data is at fault, not a system call";
    ASSERT_EQ(r.notes.size(), 2u);
    EXPECT_EQ(r.notes[0].kind, lha::NoteKind::Failed);
    EXPECT_EQ(r.notes[0].name, u"b.txt");
    EXPECT_EQ(r.notes[1].name, u"c.txt");
    EXPECT_EQ(r.notes[1].code, lha::kErrFileCrc);
    EXPECT_EQ(r.lines, (std::vector<u16>{lha::noteLine(r.notes[0]), lha::noteLine(r.notes[1])}));
    EXPECT_EQ(drives.allNames(u"D:\\out"), (std::vector<std::string>{"a.txt", "d.txt"}));
}

TEST_F(RunResultTest, aFailedSystemCallGivesItsErrorWithTheMember)
{
    drives.writeBytes(u"C:\\arc.lzh", goodMember("a.txt") + end());
    faults.failAt(FsCall::Write, 1, ENOSPC, ".~sorvik-");
    const lha::RunResult r = lha::run(u"x \"C:\\arc.lzh\" \"D:\\out\\\"");
    EXPECT_EQ(r.code, lha::kErrDiskSpace);
    EXPECT_EQ(r.member, u"a.txt");
    EXPECT_EQ(r.reason, u"ディスクの空きが足りません");
    ASSERT_TRUE(r.error.has_value());
    EXPECT_EQ(r.error->kind, platform::ErrorKind::DiskFull);
    EXPECT_EQ(r.error->code, ENOSPC);
}

TEST_F(RunResultTest, aMissingArchiveIsTheFailureItself)
{
    const lha::RunResult r = lha::run(u"x \"C:\\none.lzh\" \"D:\\out\\\"");
    EXPECT_EQ(r.code, lha::kErrArchiveOpen);
    EXPECT_EQ(r.member, u"C:\\none.lzh");
    ASSERT_TRUE(r.error.has_value());
    EXPECT_EQ(r.error->kind, platform::ErrorKind::NotFound);
}

TEST_F(RunResultTest, successHasNoFailureAndTheReportLinesOfWhatWasDone)
{
    drives.makeDir(u"C:\\src");
    drives.writeBytes(u"C:\\src\\a.txt", "text");
    const lha::RunResult r = lha::run(u"u \"C:\\arc.lzh\" \"C:\\src\\\" \"a.txt\"");
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.member.empty());
    EXPECT_TRUE(r.reason.empty());
    EXPECT_FALSE(r.error.has_value());
    EXPECT_TRUE(r.notes.empty());
    EXPECT_EQ(r.lines, std::vector<u16>{u"a.txt: 追加しました"});
}

TEST_F(RunResultTest, unlhaReportsWhatTheTypedResultSays)
{
    drives.writeBytes(u"C:\\arc.lzh", damagedMember("b.txt") + end());
    const lha::RunResult r = lha::run(u"e \"C:\\arc.lzh\" \"D:\\one\\\"");
    ASSERT_EQ(unlha("e \"C:\\arc.lzh\" \"D:\\two\\\""), r.code);
    EXPECT_EQ(lastReportLine(), toUtf8(lha::noteLine({lha::NoteKind::Failed, r.member, r.reason, r.code})));
    EXPECT_EQ(lastReportLine(), "b.txt: CRC が一致しません (0x800C)");
}

TEST_F(RunResultTest, aLineOfAnotherFormIsRefusedAsACommand)
{
    const lha::RunResult r = lha::run(u"l \"C:\\arc.lzh\"");
    EXPECT_EQ(r.code, lha::kErrCommandName);
    EXPECT_EQ(r.member, u"コマンド");
    EXPECT_FALSE(r.error.has_value());
}

}
}

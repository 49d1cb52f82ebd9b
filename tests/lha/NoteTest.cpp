// What the archiver tells its caller besides the result code: every failure
// with the member and the reason, and every member it left alone on purpose.

#include "lha/ErrorCodes.h"
#include "lha/Progress.h"
#include "lha/Unlha.h"

#include "tests/lha/LhaTestSupport.h"

#include <gtest/gtest.h>

namespace sorvik::test {
namespace {

using lha::NoteKind;

class NoteRecorder : public lha::Progress {
public:
    void begin(int, std::uint64_t) override {}
    void startMember(u16view, std::uint64_t) override {}
    bool advanced(std::uint64_t) override { return true; }
    void memberDone() override {}
    void told(const lha::Note& note) override { notes.push_back(note); }
    std::vector<lha::Note> notes;
};

class Notes : public LhaDrives {
protected:
    void SetUp() override
    {
        LhaDrives::SetUp();
        lha::setProgress(&recorder);
    }
    void TearDown() override
    {
        lha::setProgress(nullptr);
        LhaDrives::TearDown();
    }
    NoteRecorder recorder;
};

std::string end()
{
    return std::string(1, '\0');
}

TEST_F(Notes, extractionTellsTheNewerFileItKeptAndTheLinkItSkipped)
{
    RawMember a{"a.txt", "", "from the archive", "-lh0-", 1600000000};
    RawMember link{"l.txt", "", "a.txt", "-lh0-", 1600000000, 0xA1FF};
    RawMember b{"b.txt", "", "bee", "-lh0-", 1600000000};
    drives.writeBytes(u"C:\\arc.lzh", level2Member(a) + level2Member(link) + level2Member(b) + end());
    drives.makeDir(u"D:\\out");
    drives.writeBytes(u"D:\\out\\a.txt", "newer on disk");
    drives.setTime(u"D:\\out\\a.txt", 2030, 1, 1, 0, 0, 0);

    ASSERT_EQ(unlha("x \"C:\\arc.lzh\" \"D:\\out\\\""), 0) << report << "; leaving them alone is no failure";
    ASSERT_EQ(recorder.notes.size(), 2u) << report;
    EXPECT_EQ(recorder.notes[0].kind, NoteKind::KeptNewerFile);
    EXPECT_EQ(recorder.notes[0].name, u"a.txt");
    EXPECT_EQ(recorder.notes[0].reason, u"既存のファイルの方が新しいので残しました");
    EXPECT_EQ(recorder.notes[0].code, lha::kErrMoreFresh);
    EXPECT_EQ(recorder.notes[1].kind, NoteKind::SkippedLink);
    EXPECT_EQ(recorder.notes[1].name, u"l.txt");
    EXPECT_EQ(recorder.notes[1].reason, u"リンクは展開しません");
    EXPECT_EQ(drives.readBytes(u"D:\\out\\a.txt"), "newer on disk");
    EXPECT_EQ(drives.readBytes(u"D:\\out\\b.txt"), "bee");
}

TEST_F(Notes, updateTellsTheMemberItKeptBecauseTheArchiveIsAsNew)
{
    drives.makeDir(u"C:\\src");
    drives.writeBytes(u"C:\\src\\a.txt", "text");
    ASSERT_EQ(unlha("u \"C:\\arc.lzh\" \"C:\\src\\\" \"a.txt\""), 0) << report;
    EXPECT_TRUE(recorder.notes.empty());
    ASSERT_EQ(unlha("u \"C:\\arc.lzh\" \"C:\\src\\\" \"a.txt\""), 0) << report;
    ASSERT_EQ(recorder.notes.size(), 1u);
    EXPECT_EQ(recorder.notes[0].kind, NoteKind::KeptNewerMember);
    EXPECT_EQ(recorder.notes[0].name, u"a.txt");
    EXPECT_EQ(recorder.notes[0].reason, u"書庫の方が新しいか同じなので更新しません");
}

// A NUL byte in a stored name used to end the report's text right there.
TEST_F(Notes, aNulByteInAMemberNameIsShownAndTheReasonGiven)
{
    RawMember bad{std::string("bad\0name.txt", 12), "", "x", "-lh0-"};
    RawMember fine{"fine.txt", "", "fine", "-lh0-"};
    drives.writeBytes(u"C:\\arc.lzh", level2Member(bad) + level2Member(fine) + end());

    EXPECT_EQ(unlha("x \"C:\\arc.lzh\" \"D:\\out\\\""), lha::kErrInvalidPath);
    EXPECT_NE(report.find("bad<00>name.txt: 名前に制御文字があります (0x8049)"), std::string::npos) << report;
    ASSERT_EQ(recorder.notes.size(), 1u);
    EXPECT_EQ(recorder.notes[0].kind, NoteKind::Failed);
    EXPECT_EQ(recorder.notes[0].name, u"bad<00>name.txt");
    EXPECT_EQ(recorder.notes[0].reason, u"名前に制御文字があります");
    EXPECT_EQ(recorder.notes[0].code, lha::kErrInvalidPath);
    EXPECT_EQ(drives.allNames(u"D:\\out"), std::vector<std::string>{"fine.txt"});
}

TEST_F(Notes, eachRefusedNameSaysWhy)
{
    RawMember up{"..\\up.txt", "", "x", "-lh0-"};
    RawMember control{
        "a\x01"
        "b.txt",
        "", "x", "-lh0-"};
    drives.writeBytes(u"C:\\arc.lzh", level2Member(up) + level2Member(control) + end());
    EXPECT_EQ(unlha("x \"C:\\arc.lzh\" \"D:\\out\\\""), lha::kErrInvalidPath);
    ASSERT_EQ(recorder.notes.size(), 2u);
    EXPECT_EQ(recorder.notes[0].name, u"..\\up.txt");
    EXPECT_EQ(recorder.notes[0].reason, u"展開先の外を指す名前です");
    EXPECT_EQ(recorder.notes[1].name, u"a<01>b.txt");
    EXPECT_EQ(recorder.notes[1].reason, u"名前に制御文字があります");
}

}
}

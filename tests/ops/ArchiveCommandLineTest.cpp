#include "ops/ArchiveCommandLine.h"

#include "lha/ErrorCodes.h"

#include <gtest/gtest.h>

namespace sorvik {
namespace {

TEST(ArchiveCommandLine, proposedNamesKeepTheCaseUpToTheFirstDot)
{
    EXPECT_EQ(proposedArchiveName(u"report.txt"), u"report.LZH");
    EXPECT_EQ(proposedArchiveName(u"Memo.Txt"), u"Memo.LZH");
    EXPECT_EQ(proposedArchiveName(u"a.b.c"), u"a.LZH");
    EXPECT_EQ(proposedArchiveName(u".profile"), u".LZH");
    EXPECT_EQ(proposedArchiveName(u"Makefile"), u"Makefile.LZH");
    EXPECT_EQ(proposedArchiveName(u"資料.doc"), u"資料.LZH");
}

TEST(ArchiveCommandLine, packLinesQuoteEveryValue)
{
    const u16 withDirs = compressCommandLine(u"D:\\arc\\Memo.LZH", u"C:\\work\\", u"Memo.Txt", true);
    EXPECT_EQ(withDirs, u"u -x1 \"D:\\arc\\Memo.LZH\" \"C:\\work\\\" \"Memo.Txt\"");
    EXPECT_EQ(withDirs.size(), 45u);
    EXPECT_EQ(compressCommandLine(u"D:\\arc\\Memo.LZH", u"C:\\work\\", u"Memo.Txt", false),
        u"u \"D:\\arc\\Memo.LZH\" \"C:\\work\\\" \"Memo.Txt\"");
    EXPECT_EQ(compressCommandLine(u"D:\\my arc\\", u"C:\\a b\\", u"c d.txt", false),
        u"u \"D:\\my arc\\\" \"C:\\a b\\\" \"c d.txt\"")
        << "an emptied archive name passes the directory alone";
}

TEST(ArchiveCommandLine, unpackLinesPickXOrE)
{
    EXPECT_EQ(extractCommandLine(u"C:\\work\\old.lzh", u"D:\\out\\", true), u"x \"C:\\work\\old.lzh\" \"D:\\out\\\"");
    EXPECT_EQ(extractCommandLine(u"C:\\work\\old.lzh", u"D:\\out\\", false), u"e \"C:\\work\\old.lzh\" \"D:\\out\\\"");
}

TEST(ArchiveCommandLine, resultsAreShownAsSigned16BitNumbers)
{
    EXPECT_EQ(signed16(0x8006), -32762);
    EXPECT_EQ(signed16(0x801C), -32740);
    EXPECT_EQ(signed16(0), 0);
    EXPECT_EQ(signed16(1), 1);
}

using lha::Note;
using lha::NoteKind;

TEST(ArchiverMessage, aCleanRunSaysNothing)
{
    EXPECT_EQ(archiverMessage(u"展開失敗 :", u"次のﾌｧｲﾙは展開しませんでした", 0, {}), u"");
}

TEST(ArchiverMessage, membersLeftAloneAreListedWithTheirReasonsWhenAllElseWent)
{
    const std::vector<Note> notes = {
        {NoteKind::KeptNewerFile, u"a.txt", u"既存のファイルの方が新しいので残しました", lha::kErrMoreFresh},
        {NoteKind::SkippedLink, u"docs\\link", u"リンクは展開しません", 0},
    };
    EXPECT_EQ(archiverMessage(u"展開失敗 :", u"次のﾌｧｲﾙは展開しませんでした", 0, notes),
        u"次のﾌｧｲﾙは展開しませんでした\r\n"
        u"a.txt : 既存のファイルの方が新しいので残しました\r\n"
        u"docs\\link : リンクは展開しません");
}

TEST(ArchiverMessage, aFailureShowsTheCodeThenEveryFailureThenWhatWasLeftAlone)
{
    const std::vector<Note> notes = {
        {NoteKind::Failed, u"bad<00>name.txt", u"名前に制御文字があります", lha::kErrInvalidPath},
        {NoteKind::KeptNewerFile, u"a.txt", u"既存のファイルの方が新しいので残しました", lha::kErrMoreFresh},
        {NoteKind::Failed, u"b.txt", u"CRC が一致しません", lha::kErrFileCrc},
    };
    EXPECT_EQ(archiverMessage(u"展開失敗 :", u"次のﾌｧｲﾙは展開しませんでした", lha::kErrInvalidPath, notes),
        u"展開失敗 :-32695\r\n"
        u"bad<00>name.txt: 名前に制御文字があります (0x8049)\r\n"
        u"b.txt: CRC が一致しません (0x800C)\r\n"
        u"次のﾌｧｲﾙは展開しませんでした\r\n"
        u"a.txt : 既存のファイルの方が新しいので残しました");
}

TEST(ArchiverMessage, aStopTheUserAskedForSaysNothing)
{
    const std::vector<Note> notes = {{NoteKind::Failed, u"a.txt", u"中止しました", lha::kErrUserCancel}};
    EXPECT_EQ(archiverMessage(u"展開失敗 :", u"x", lha::kErrUserCancel, notes), u"");
}

TEST(ArchiverMessage, aLongListEndsInACount)
{
    std::vector<Note> notes;
    notes.reserve(25);
    for (int i = 0; i < 25; ++i)
        notes.push_back({NoteKind::SkippedLink, u"l" + fromUtf8(std::to_string(i)), u"リンクは展開しません", 0});
    const u16 text = archiverMessage(u"展開失敗 :", u"次のﾌｧｲﾙは展開しませんでした", 0, notes);
    EXPECT_NE(text.find(u"l19 : "), u16::npos);
    EXPECT_EQ(text.find(u"l20 : "), u16::npos);
    EXPECT_TRUE(text.ends_with(u"\r\nほか5件")) << toUtf8(text);
}

}
}

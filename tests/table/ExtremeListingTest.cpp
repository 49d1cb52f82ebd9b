#include "app/Form1Model.h"
#include "ops/Delete.h"
#include "platform/Ui.h"
#include "tests/support/ExtremeFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

namespace sorvik {
namespace {

// More files than the 16-bit table can hold: 33,000, so the listing passes
// both 32,766 (what the table holds) and 32,767 (the largest 16-bit row).
constexpr int kHuge = 33000;

u16 numbered(int i)
{
    char name[16];
    std::snprintf(name, sizeof name, "f%05d", i);
    return fromUtf8(name);
}

class ExtremeListingTest : public test::FastProgramFixture {
protected:
    void SetUp() override
    {
        FastProgramFixture::SetUp();
        test::makeEmptyFiles(drives.host(u"C:\\work"), kHuge);
    }

    int countHostFiles() const
    {
        int n = 0;
        for (const std::string& name : drives.allNames(u"C:\\work"))
            n += name[0] == 'f';
        return n;
    }
};

TEST_F(ExtremeListingTest, theListingHoldsEveryFileAndTheTableItsFirst32766InOrder)
{
    Form1Model& m = loadModel();
    ASSERT_EQ(m.File1.files().size(), std::size_t(kHuge)) << "the listing itself cuts nothing";
    std::set<u16> distinct;
    for (const ListedFile& f : m.File1.files())
        distinct.insert(f.name);
    EXPECT_EQ(distinct.size(), std::size_t(kHuge));

    ASSERT_EQ(m.Grid1.fileCount(), FileTable::kMaxFiles);
    EXPECT_EQ(m.Grid1.rows(), FileTable::kMaxFiles + 2);
    EXPECT_EQ(m.fileCountText(), u"32766");
    int wrong = 0;
    for (int r = 1; r <= m.Grid1.fileCount(); ++r)
        wrong += m.Grid1.fileName(r) != numbered(r - 1);
    EXPECT_EQ(wrong, 0) << "every row holds the next name in order";
    EXPECT_EQ(m.Grid1.cell(FileTable::kMaxFiles, 3), u"0 ");
    EXPECT_TRUE(m.Grid1.cell(FileTable::kMaxFiles + 1, 0).empty()) << "the trailing row stays empty";

    ASSERT_EQ(ui.messages().size(), 1u) << "the cut is told, not silent";
    EXPECT_NE(ui.messages()[0].find(u"32766"), u16::npos);
    EXPECT_NE(ui.messages()[0].find(u"33000"), u16::npos);
}

TEST_F(ExtremeListingTest, eachSortOrderFillsTheTableFromItsOwnEnd)
{
    // Three files that differ in size and date from the 33,000 empty ones.
    drives.writeBytes(u"C:\\work\\big1", std::string(100, 'x'));
    drives.writeBytes(u"C:\\work\\big2", std::string(300, 'x'));
    drives.writeBytes(u"C:\\work\\big3", std::string(200, 'x'));
    drives.setTime(u"C:\\work\\big1", 2030, 1, 1, 0, 0, 0);
    drives.setTime(u"C:\\work\\big2", 2031, 1, 1, 0, 0, 0);
    drives.setTime(u"C:\\work\\big3", 2029, 1, 1, 0, 0, 0);
    Form1Model& m = loadModel();
    ASSERT_EQ(m.File1.files().size(), std::size_t(kHuge + 3));

    m.RefreshFileTable(u'V');
    ASSERT_EQ(m.Grid1.fileCount(), FileTable::kMaxFiles);
    EXPECT_EQ(m.Grid1.fileName(1), u"big2");
    EXPECT_EQ(m.Grid1.fileName(2), u"big3");
    EXPECT_EQ(m.Grid1.fileName(3), u"big1");

    m.RefreshFileTable(u'D');
    EXPECT_EQ(m.Grid1.fileName(1), u"big2");
    EXPECT_EQ(m.Grid1.fileName(2), u"big1");
    EXPECT_EQ(m.Grid1.fileName(3), u"big3");

    m.RefreshFileTable(u'N');
    EXPECT_EQ(m.Grid1.fileName(1), numbered(kHuge - 1));
    EXPECT_EQ(m.Grid1.fileName(FileTable::kMaxFiles), numbered(kHuge - FileTable::kMaxFiles));

    m.RefreshFileTable(u'v');
    bool bigShown = false;
    for (int r = 1; r <= m.Grid1.fileCount(); ++r)
        bigShown |= m.Grid1.fileName(r).starts_with(u"big");
    EXPECT_FALSE(bigShown) << "ascending by size, the largest are past the limit";
    EXPECT_EQ(m.Grid1.cell(FileTable::kMaxFiles, 3), u"0 ");
    EXPECT_EQ(ui.messages().size(), 1u) << "told once for the directory, whatever the order";
}

TEST_F(ExtremeListingTest, cursorMarksAndSavedPositionsReachTheLastRows)
{
    Form1Model& m = loadModel();
    const int last = FileTable::kMaxFiles;           // 32,766: the last file row
    const int trailing = FileTable::kMaxFiles + 1;   // 32,767: the largest 16-bit row
    ASSERT_TRUE(m.Grid1.setCursor(last, 0));
    EXPECT_TRUE(m.Grid1.onFileRowInColumn0());
    EXPECT_EQ(m.Grid1.fileName(m.Grid1.row()), numbered(last - 1));
    ASSERT_TRUE(m.Grid1.setCursor(trailing, 0));
    EXPECT_EQ(m.Grid1.row(), trailing);
    EXPECT_FALSE(m.Grid1.isFileRow(trailing));
    EXPECT_FALSE(m.Grid1.setCursor(trailing + 1, 0)) << "no row past the trailing one";
    EXPECT_EQ(m.Grid1.row(), trailing);

    // A position at the end survives a push, a move elsewhere and a pop.
    m.Grid1.setCursor(last, 4);
    m.Grid1.setScroll(last - 20, 2);
    const TablePosition saved = m.Grid1.position();
    EXPECT_EQ(saved.row, last);
    m.PushTablePosition();
    m.Grid1.setCursor(1, 0);
    m.Grid1.setScroll(1, 0);
    m.PopTablePosition();
    EXPECT_EQ(m.Grid1.position(), saved);

    m.Grid1.setCursor(last, 0);
    m.toggleMarkAtCursor();
    m.Grid1.setCursor(last, 0);
    EXPECT_EQ(m.CountMarkedRows(), 1);
    EXPECT_EQ(m.Grid1.row(), last) << "counting puts the cursor back";
    for (int r = 1; r < last; ++r)
        m.Grid1.toggleMark(r);
    m.Grid1.setCursor(1, 0);
    EXPECT_EQ(m.CountMarkedRows(), FileTable::kMaxFiles);
}

TEST_F(ExtremeListingTest, deletingAShownFileBringsTheFirstHiddenOneIntoTheTable)
{
    Form1Model& m = loadModel();
    const int last = FileTable::kMaxFiles;
    m.Grid1.setCursor(last, 0);
    m.toggleMarkAtCursor();
    ui = platform::ScriptedUi({true});
    EXPECT_EQ(DeleteFiles(m), CommandResult::Done);
    EXPECT_FALSE(drives.exists(u"C:\\work\\" + numbered(last - 1)));
    EXPECT_EQ(countHostFiles(), kHuge - 1) << "only the marked file went";
    ASSERT_EQ(m.Grid1.fileCount(), FileTable::kMaxFiles);
    EXPECT_EQ(m.Grid1.fileName(last), numbered(last)) << "the next name moves up into the last row";
    EXPECT_EQ(m.Grid1.fileName(last - 1), numbered(last - 2));
}

}
}

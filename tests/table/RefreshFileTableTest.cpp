#include "app/DataFiles.h"
#include "app/Form1Model.h"
#include "platform/Ui.h"
#include "tests/support/ModelFixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace sorvik {
namespace {

class RefreshFileTableTest : public test::ProgramFixture {
protected:
    Form1Model& load() { return loadModel(); }

    std::vector<u16> names() const { return test::fileNamesOf(model->Grid1); }

    void file(const u16& name, std::size_t size, int year, int month = 1)
    {
        drives.writeBytes(u"C:\\work\\" + name, std::string(size, 'x'));
        drives.setTime(u"C:\\work\\" + name, year, month, 1, 12, 0, 0);
    }
};

TEST_F(RefreshFileTableTest, fillsHeadingFileRowsAndTrailingRow)
{
    drives.writeBytes(u"C:\\work\\readme.txt", std::string(1234567, 'a'));
    drives.setTime(u"C:\\work\\readme.txt", 2005, 1, 5, 7, 8, 9);
    drives.writeBytes(u"C:\\work\\empty.dat", "");
    drives.makeDir(u"C:\\work\\subdir");
    Form1Model& m = load();

    ASSERT_EQ(m.Grid1.rows(), 4);
    EXPECT_EQ(m.Grid1.cell(0, 0), u"ファイル名");
    EXPECT_EQ(m.Grid1.cell(0, 4), u"概要");
    EXPECT_EQ(m.Grid1.cell(1, 0), u" empty.dat");
    EXPECT_EQ(m.Grid1.cell(1, 3), u"0 ");
    EXPECT_EQ(m.Grid1.cell(2, 0), u" readme.txt");
    EXPECT_EQ(m.Grid1.cell(2, 1), u" ");
    EXPECT_EQ(m.Grid1.cell(2, 2), u"05/01/05 07:08:09");
    EXPECT_EQ(m.Grid1.cell(2, 3), u"1,234,567 ");
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(m.Grid1.cell(3, c), u"") << "trailing row column " << c;
    EXPECT_EQ(m.fileCountText(), u"2");
    EXPECT_EQ(m.CurrentDir, u"C:\\work\\");
    EXPECT_EQ(m.Grid1.row(), 1);
    EXPECT_EQ(m.Grid1.col(), 0);
}

TEST_F(RefreshFileTableTest, emptyDirectoryKeepsHeadingAndTrailingRow)
{
    Form1Model& m = load();
    EXPECT_EQ(m.Grid1.rows(), 2);
    EXPECT_EQ(m.fileCountText(), u"0");
    EXPECT_EQ(m.Grid1.row(), 1);
}

TEST_F(RefreshFileTableTest, sixOrdersByNameDateAndSize)
{
    file(u"b.txt", 5, 2005);
    file(u"A.txt", 999999, 1999);
    file(u"c.txt", 0, 2010);
    file(u"d.txt", 1000, 2003);
    Form1Model& m = load();
    using V = std::vector<u16>;
    m.RefreshFileTable(u'n');
    EXPECT_EQ(names(), (V{u"A.txt", u"b.txt", u"c.txt", u"d.txt"}));
    m.RefreshFileTable(u'N');
    EXPECT_EQ(names(), (V{u"d.txt", u"c.txt", u"b.txt", u"A.txt"}));
    // Two-digit years: 99/ sorts after 03/, 05/ and 10/.
    m.RefreshFileTable(u'd');
    EXPECT_EQ(names(), (V{u"d.txt", u"b.txt", u"c.txt", u"A.txt"}));
    m.RefreshFileTable(u'D');
    EXPECT_EQ(names(), (V{u"A.txt", u"c.txt", u"b.txt", u"d.txt"}));
    m.RefreshFileTable(u'v');
    EXPECT_EQ(names(), (V{u"c.txt", u"b.txt", u"d.txt", u"A.txt"}));
    m.RefreshFileTable(u'V');
    EXPECT_EQ(names(), (V{u"A.txt", u"d.txt", u"b.txt", u"c.txt"}));
}

TEST_F(RefreshFileTableTest, refreshDropsMarksAndReturnsToNameOrder)
{
    file(u"a", 3, 2001);
    file(u"b", 1, 2002);
    Form1Model& m = load();
    m.RefreshFileTable(u'v');
    m.Grid1.setCursor(1, 0);
    m.toggleMarkAtCursor();
    EXPECT_EQ(m.CountMarkedRows(), 1);
    m.RefreshFileTable(u'n');
    EXPECT_EQ(m.CountMarkedRows(), 0);
    EXPECT_EQ(names(), (std::vector<u16>{u"a", u"b"}));
}

TEST_F(RefreshFileTableTest, listsOnlyFilesAndHonoursAttributeSwitches)
{
    drives.writeBytes(u"C:\\work\\.hidden", "h");
    drives.writeBytes(u"C:\\work\\locked", "r");
    std::filesystem::permissions(drives.host(u"C:\\work\\locked"), std::filesystem::perms::owner_read);
    drives.writeBytes(u"C:\\work\\plain", "p");
    Form1Model& m = load();
    EXPECT_EQ(names(), (std::vector<u16>{u"locked", u"plain"}));
    EXPECT_EQ(m.Grid1.cell(1, 1), u"R");
    m.displayKinds.ShowHidden = 1;
    m.displayKinds.ShowReadOnly = 0;
    m.ApplyDisplayKinds();
    m.RefreshFileTable(u'n');
    EXPECT_EQ(names(), (std::vector<u16>{u".hidden", u"plain"}));
    EXPECT_EQ(m.Grid1.cell(1, 1), u"H");
}

// Backslashes and undecodable bytes in names, and links, are Linux host names.
#ifndef _WIN32
TEST_F(RefreshFileTableTest, backslashAndNonShiftJisNamesListAndKeepTheirNames)
{
    drives.writeBytes(u"C:\\work\\a", "1");
    std::ofstream(drives.host(u"C:\\work") + "/back\\slash.txt") << "x";
    std::ofstream(drives.host(u"C:\\work") + "/emoji\xF0\x9F\x98\x80.txt") << "y";
    Form1Model& m = load();
    ASSERT_EQ(m.Grid1.fileCount(), 3);
    bool sawBackslash = false;
    for (int r = 1; r <= 3; ++r) {
        const u16 name = m.Grid1.fileName(r);
        EXPECT_EQ(name.find(u'\\'), u16::npos) << "a file name in a Windows path holds no backslash";
        if (name.find(platform::kMappedBackslash) != u16::npos) {
            sawBackslash = true;
            EXPECT_EQ(m.Grid1.cell(r, 3), u"1 ") << "the mapped name still reaches the file";
        }
    }
    EXPECT_TRUE(sawBackslash);
    EXPECT_EQ(m.Grid1.cell(3, 0), u" emoji\U0001F600.txt");
    EXPECT_EQ(m.Grid1.cell(3, 3), u"1 ");
}

TEST_F(RefreshFileTableTest, anEntryThatCannotBeAskedAboutIsListedWithEmptyCellsAndSortsFirst)
{
    // A link to nothing: the directory names it, but asking about it fails,
    // as for a file that vanished after the directory was read.
    file(u"a.txt", 3, 2001);
    std::filesystem::create_symlink("/nonexistent/target", drives.host(u"C:\\work") + "/gone.txt");
    Form1Model& m = load();
    ASSERT_EQ(m.Grid1.fileCount(), 2);
    EXPECT_EQ(m.Grid1.cell(2, 0), u" gone.txt");
    EXPECT_EQ(m.Grid1.cell(2, 1), u"");
    EXPECT_EQ(m.Grid1.cell(2, 2), u"");
    EXPECT_EQ(m.Grid1.cell(2, 3), u"");
    m.RefreshFileTable(u'v');
    EXPECT_EQ(m.Grid1.fileName(1), u"gone.txt");
    m.RefreshFileTable(u'd');
    EXPECT_EQ(m.Grid1.fileName(1), u"gone.txt");
    EXPECT_TRUE(ui.messages().empty());
}
#endif

TEST_F(RefreshFileTableTest, unreadableDirectoryGivesAnEmptyTableWithoutMessages)
{
    file(u"a", 1, 2001);
    Form1Model& m = load();
    std::filesystem::remove_all(drives.host(u"C:\\work"));
    m.RefreshFileTable(u'n');
    EXPECT_EQ(m.Grid1.rows(), 2);
    EXPECT_EQ(m.fileCountText(), u"0");
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(RefreshFileTableTest, renamesOldGuardFileInTheWorkingDirectoryWithoutReplacing)
{
    Form1Model& m = load();   // the working directory is now C:\prog\SYSDAT
    drives.writeBytes(u"C:\\prog\\SYSDAT\\zDontDEL.DTB", "old");
    m.RefreshFileTable(u'n');
    EXPECT_FALSE(drives.exists(u"C:\\prog\\SYSDAT\\zDontDEL.DTB"));
    EXPECT_EQ(drives.readBytes(u"C:\\prog\\SYSDAT\\黑黑黑黑.DTB"), "old");

    drives.writeBytes(u"C:\\prog\\SYSDAT\\zDontDEL.DTB", "second");
    m.RefreshFileTable(u'n');
    EXPECT_EQ(drives.readBytes(u"C:\\prog\\SYSDAT\\黑黑黑黑.DTB"), "old");
    EXPECT_EQ(drives.readBytes(u"C:\\prog\\SYSDAT\\zDontDEL.DTB"), "second");
}

TEST_F(RefreshFileTableTest, pushRefreshPopRestoresRowAndColumnNumbers)
{
    for (char c = 'a'; c <= 'e'; ++c)
        file(u16(1, char16_t(c)), std::size_t('f' - c), 2001);
    Form1Model& m = load();
    m.Grid1.setCursor(2, 3);
    m.PushTablePosition();
    m.RefreshFileTable(u'v');
    m.PopTablePosition();
    EXPECT_EQ(m.Grid1.row(), 2);
    EXPECT_EQ(m.Grid1.col(), 3);
    EXPECT_EQ(m.Grid1.fileName(2), u"d") << "the same row number, not the same file";
    EXPECT_EQ(m.positions.depth(), 0);
}

TEST_F(RefreshFileTableTest, spaceMarksAndMovesDownExceptOnTheLastFileRow)
{
    file(u"a", 1, 2001);
    file(u"b", 1, 2001);
    Form1Model& m = load();
    m.toggleMarkAtCursor();
    EXPECT_EQ(m.Grid1.cell(1, 0), u"*a");
    EXPECT_EQ(m.Grid1.row(), 2);
    m.toggleMarkAtCursor();
    EXPECT_EQ(m.Grid1.row(), 2);
    EXPECT_EQ(m.CountMarkedRows(), 2);
    m.toggleMarkAtCursor();
    EXPECT_EQ(m.Grid1.cell(2, 0), u" b");
    m.Grid1.setCursor(3, 0);
    m.toggleMarkAtCursor();
    EXPECT_EQ(m.Grid1.row(), 3);
    EXPECT_EQ(m.Grid1.cell(3, 0), u"");
}

TEST_F(RefreshFileTableTest, columnWidthsNeverGoBelowZeroAndColumn4FillsTheRest)
{
    Form1Model& m = load();
    m.Grid1.setTableWidth(10065);
    m.Grid1.setCursor(1, 1);
    for (int i = 0; i < 20; ++i)
        m.changeCursorColumnWidth(-50);
    EXPECT_EQ(m.Grid1.columnWidth(1), 0);
    EXPECT_EQ(m.Grid1.columnWidth(4), 10065 - 2000 - 0 - 2200 - 1400 - 357);
    m.changeCursorColumnWidth(50);
    EXPECT_EQ(m.Grid1.columnWidth(1), 50);
    EXPECT_EQ(m.Grid1.columnWidth(4), 10065 - 2000 - 50 - 2200 - 1400 - 357);
}

TEST_F(RefreshFileTableTest, moreFilesThanTheTableHoldsKeepsTheFirstInSortOrderAndSaysSoOnce)
{
    const std::string dir = drives.host(u"C:\\work");
    const int total = FileTable::kMaxFiles + 3;
    for (int i = 0; i < total; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/f%05d", i);
        std::ofstream(dir + name);
    }
    Form1Model& m = load();
    EXPECT_EQ(m.Grid1.fileCount(), FileTable::kMaxFiles);
    EXPECT_EQ(m.Grid1.rows(), FileTable::kMaxFiles + 2);
    EXPECT_EQ(m.Grid1.fileName(1), u"f00000");
    EXPECT_EQ(m.Grid1.fileName(FileTable::kMaxFiles), u"f32765");
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_NE(ui.messages()[0].find(u"32769"), u16::npos) << "the message names the whole count";

    m.RefreshFileTable(u'N');
    EXPECT_EQ(m.Grid1.fileName(1), u"f32768") << "descending keeps the first of its own order";
    EXPECT_EQ(ui.messages().size(), 1u) << "not again for the same directory";
}

}
}

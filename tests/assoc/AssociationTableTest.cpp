#include "assoc/AssociationTable.h"
#include "platform/DataFileNames.h"
#include "tests/support/Cp932.h"
#include "tests/support/TempDrive.h"

#include <gtest/gtest.h>

namespace sorvik {
namespace {

using test::TempDrives;
using test::cp932;

TEST(AssociationTableTest, readsOneEntryPerLineInFileOrder)
{
    TempDrives drives;
    drives.makeDir(u"C:\\SYSDAT");
    drives.writeBytes(u"C:\\SYSDAT\\黑黑黑黑.txt", cp932(u"*.TXT,C:\\EDIT\\EDITOR.EXE\r\n*.*,C:\\VIEW\\表示.EXE\r\n"));
    AssociationTable table;
    table.AssocTableLoad(drives.fs(), u"C:\\SYSDAT\\");
    ASSERT_EQ(table.count(), 2);
    EXPECT_EQ(table.entries()[0], (AssociationEntry{u"*.TXT", u"C:\\EDIT\\EDITOR.EXE"}));
    EXPECT_EQ(table.entries()[1], (AssociationEntry{u"*.*", u"C:\\VIEW\\表示.EXE"}));
}

TEST(AssociationTableTest, anAbsentFileLeavesTheTableEmpty)
{
    TempDrives drives;
    AssociationTable table;
    table.loadText(u"*.A,C:\\a.exe\r\n");
    ASSERT_EQ(table.count(), 1);
    table.AssocTableLoad(drives.fs(), u"C:\\SYSDAT\\");
    EXPECT_EQ(table.count(), 0) << "emptied first, then nothing to read";
}

TEST(AssociationTableTest, readsFieldsAsTheDescriptionFileDoes)
{
    AssociationTable table;
    // Lone LF, blank lines, spaces before a field, a quoted path, no last line end.
    table.loadText(u"  *.DOC,\"C:\\Program Files\\Word\\w.exe\"\n\n*.LOG, C:\\v.exe\r\n\"*.CSV\",C:\\c.exe");
    ASSERT_EQ(table.count(), 3);
    EXPECT_EQ(table.entries()[0], (AssociationEntry{u"*.DOC", u"C:\\Program Files\\Word\\w.exe"}));
    EXPECT_EQ(table.entries()[1], (AssociationEntry{u"*.LOG", u"C:\\v.exe"}));
    EXPECT_EQ(table.entries()[2], (AssociationEntry{u"*.CSV", u"C:\\c.exe"}));
}

TEST(AssociationTableTest, aCommaInTheProgramPathStaysInThePath)
{
    AssociationTable table;
    table.loadText(u"*.TXT,C:\\a,b\\ed.exe\r\n*.LOG,C:\\v.exe\r\n");
    ASSERT_EQ(table.count(), 2);
    EXPECT_EQ(table.entries()[0].ProgramPath, u"C:\\a,b\\ed.exe");
    EXPECT_EQ(table.entries()[1], (AssociationEntry{u"*.LOG", u"C:\\v.exe"})) << "the next entry is not shifted";
}

TEST(AssociationTableTest, aLineWithoutProgramKeepsItsPatternAndShiftsNothing)
{
    AssociationTable table;
    table.loadText(u"*.TXT\r\n*.LOG,C:\\v.exe\r\n");
    ASSERT_EQ(table.count(), 2);
    EXPECT_EQ(table.entries()[0], (AssociationEntry{u"*.TXT", u""}));
    EXPECT_EQ(table.entries()[1], (AssociationEntry{u"*.LOG", u"C:\\v.exe"}));
}

TEST(AssociationTableTest, invalidBytesDoNotLoseTheOtherEntries)
{
    TempDrives drives;
    drives.makeDir(u"C:\\SYSDAT");
    drives.writeBytes(u"C:\\SYSDAT\\黑黑黑黑.txt", "*.A,C:\\\x81\r\n*.B,C:\\b.exe\r\n");
    AssociationTable table;
    table.AssocTableLoad(drives.fs(), u"C:\\SYSDAT");
    ASSERT_EQ(table.count(), 2);
    EXPECT_EQ(table.entries()[1], (AssociationEntry{u"*.B", u"C:\\b.exe"}));
}

TEST(AssociationTableTest, theFirstMatchingEntryWinsLetterCaseAside)
{
    AssociationTable table;
    table.loadText(u"*.TXT,C:\\first.exe\r\n*.*,C:\\second.exe\r\nREADME*,C:\\third.exe\r\n");
    ASSERT_NE(table.firstMatch(u"README.TXT"), nullptr);
    EXPECT_EQ(table.firstMatch(u"README.TXT")->ProgramPath, u"C:\\first.exe");
    EXPECT_EQ(table.firstMatch(u"readme.txt")->ProgramPath, u"C:\\first.exe");
    EXPECT_EQ(table.firstMatch(u"notes.md")->ProgramPath, u"C:\\second.exe");
    EXPECT_EQ(table.firstMatch(u"README")->ProgramPath, u"C:\\third.exe") << "*.* wants a dot";
    EXPECT_EQ(table.firstMatch(u"Makefile"), nullptr);
}

TEST(AssociationTableTest, aPatternStoredInLowerCaseStillMatches)
{
    AssociationTable table;
    table.loadText(u"*.txt,C:\\e.exe\r\n");
    ASSERT_NE(table.firstMatch(u"MEMO.TXT"), nullptr);
    EXPECT_EQ(table.firstMatch(u"MEMO.TXT.BAK"), nullptr);
}

}
}

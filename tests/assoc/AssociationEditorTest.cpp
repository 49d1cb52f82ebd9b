#include "assoc/AssociationEditor.h"
#include "platform/Faults.h"
#include "tests/support/Cp932.h"
#include "tests/support/ModelFixture.h"

#include <cerrno>

namespace sorvik::test {
namespace {

const std::u16string kFile = u"C:\\prog\\SYSDAT\\黑黑黑黑.txt";

class AssociationEditorTest : public DrivesFixture {
protected:
    void SetUp() override
    {
        DrivesFixture::SetUp();
        drives.makeDir(u"C:\\prog\\SYSDAT");
    }

    AssociationEditor& openWith(std::u16string_view fileText, std::u16string_view pattern = u"*.txt")
    {
        if (!fileText.empty())
            drives.writeBytes(kFile, cp932(fileText));
        editor = std::make_unique<AssociationEditor>(drives.fs(), u"C:\\prog\\SYSDAT\\");
        editor->open(pattern);
        return *editor;
    }

    std::unique_ptr<AssociationEditor> editor;
    const u16 program = u"ed.exe";
};

TEST_F(AssociationEditorTest, opensWithTheFileLinesAndTheUpperCasedPattern)
{
    AssociationEditor& e = openWith(u"*.TXT,C:\\EDIT\\EDITOR.EXE\r\n*.*,C:\\VIEW\\V.EXE\r\n", u"*.txt");
    EXPECT_EQ(e.lines(), (std::vector<u16>{u"*.TXT,C:\\EDIT\\EDITOR.EXE", u"*.*,C:\\VIEW\\V.EXE"}));
    EXPECT_EQ(e.initialText1(), u"*.TXT");
    EXPECT_FALSE(e.AssocChanged());
    EXPECT_EQ(e.selected(), -1);
}

TEST_F(AssociationEditorTest, browsesTheProgramDirectoryOfTheLineForTheExtension)
{
    EXPECT_EQ(openWith(u"*.DOC,C:\\W\\w.exe\r\n*.TXT,C:\\EDIT\\EDITOR.EXE\r\n", u"*.TXT").browseDirectory(),
        u16(u"C:\\EDIT\\"));
    // A line for the extension without a "\" does not count; the first line's directory then.
    EXPECT_EQ(openWith(u"*.DOC,C:\\W\\w.exe\r\n*.TXT,EDITOR.EXE\r\n", u"*.TXT").browseDirectory(), u16(u"C:\\W\\"));
    EXPECT_EQ(openWith(u"*.DOC,w.exe\r\n", u"*.TXT").browseDirectory(), std::nullopt);
    EXPECT_EQ(openWith(u"*.TXT,C:\\E\\e.exe\r\n", u"*.").browseDirectory(), u16(u"C:\\E\\"))
        << "no line for the empty extension";
}

TEST_F(AssociationEditorTest, aNewPatternGoesOnTopAndTheFileIsWrittenOnClose)
{
    AssociationEditor& e = openWith(u"*.DOC,C:\\W\\w.exe\r\n");
    ASSERT_EQ(e.addOrReplace(u"*.txt", u"C:\\EDIT", &program), 0);
    EXPECT_TRUE(e.AssocChanged());
    EXPECT_TRUE(e.saveOnClose());
    EXPECT_EQ(drives.readBytes(kFile), "*.txt,C:\\EDIT\\ed.exe\r\n*.DOC,C:\\W\\w.exe\r\n")
        << "the pattern as typed, lower case and all";
    EXPECT_TRUE(drives.tempFilesIn(u"C:\\prog\\SYSDAT").empty());
}

TEST_F(AssociationEditorTest, theSamePatternInOtherLetterCaseIsReplacedInPlace)
{
    AssociationEditor& e = openWith(u"*.DOC,C:\\W\\w.exe\r\n*.TXT,C:\\OLD\\o.exe\r\n*.LOG,C:\\L\\l.exe\r\n");
    e.select(2);
    ASSERT_EQ(e.addOrReplace(u"*.Txt", u"C:\\NEW\\", &program), 1);
    EXPECT_EQ(e.selected(), 2);
    EXPECT_TRUE(e.saveOnClose());
    EXPECT_EQ(drives.readBytes(kFile), cp932(u"*.DOC,C:\\W\\w.exe\r\n*.Txt,C:\\NEW\\ed.exe\r\n*.LOG,C:\\L\\l.exe\r\n"));
}

TEST_F(AssociationEditorTest, anInsertKeepsTheSelectionOnItsLine)
{
    AssociationEditor& e = openWith(u"*.DOC,C:\\W\\w.exe\r\n");
    e.select(0);
    e.addOrReplace(u"*.TXT", u"C:\\E", &program);
    EXPECT_EQ(e.selected(), 1);
    EXPECT_EQ(e.lines()[1], u"*.DOC,C:\\W\\w.exe");
}

TEST_F(AssociationEditorTest, addRefusesProgramExtensionsNoProgramAndAnEmptyPattern)
{
    const std::string before = cp932(u"*.DOC,C:\\W\\w.exe\r\n");
    AssociationEditor& e = openWith(u"*.DOC,C:\\W\\w.exe\r\n");
    EXPECT_EQ(e.addOrReplace(u"*.exe", u"C:\\E", &program), std::nullopt);
    EXPECT_EQ(e.addOrReplace(u"*.BaT", u"C:\\E", &program), std::nullopt);
    EXPECT_EQ(e.addOrReplace(u"*.TXT", u"C:\\E", nullptr), std::nullopt);
    EXPECT_EQ(e.addOrReplace(u"", u"C:\\E", &program), std::nullopt);
    EXPECT_EQ(ui.messages(),
        (std::vector<u16>{u"この拡張子は関連づけ出来ません", u"この拡張子は関連づけ出来ません",
            u"ﾌｧｲﾙ名を選択して下さい", u"拡張子の指定が不正です"}));
    EXPECT_FALSE(e.AssocChanged());
    EXPECT_EQ(e.lines().size(), 1u);
    EXPECT_TRUE(e.saveOnClose());
    EXPECT_EQ(drives.readBytes(kFile), before);
}

TEST_F(AssociationEditorTest, aLineShiftJisCannotHoldIsRefusedNeverWrittenGarbled)
{
    const std::string before = cp932(u"*.DOC,C:\\W\\w.exe\r\n");
    AssociationEditor& e = openWith(u"*.DOC,C:\\W\\w.exe\r\n");
    const u16 emoji = u"😀.exe";
    EXPECT_EQ(e.addOrReplace(u"*.TXT", u"C:\\E", &emoji), std::nullopt);
    EXPECT_EQ(e.addOrReplace(u"*.한", u"C:\\E", &program), std::nullopt);
    ASSERT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(ui.messages()[0], u"*.TXT,C:\\E\\😀.exe\r\nこの行には関連づけﾌｧｲﾙに書けない文字があります");
    EXPECT_FALSE(e.AssocChanged());
    EXPECT_TRUE(e.saveOnClose());
    EXPECT_EQ(drives.readBytes(kFile), before);
}

TEST_F(AssociationEditorTest, deleteAsksWithTheLineAndRemovesOnYes)
{
    AssociationEditor& e = openWith(u"*.TXT,C:\\EDIT\\EDITOR.EXE\r\n*.DOC,C:\\W\\w.exe\r\n");
    ui = platform::ScriptedUi({false, true});
    e.select(0);
    EXPECT_FALSE(e.deleteSelected());
    EXPECT_EQ(e.lines().size(), 2u);
    EXPECT_FALSE(e.AssocChanged()) << "No changes nothing";
    EXPECT_TRUE(e.deleteSelected());
    EXPECT_EQ(ui.questions(), (std::vector<u16>(2, u"*.TXT,C:\\EDIT\\EDITOR.EXE削除します")));
    EXPECT_EQ(e.lines(), std::vector<u16>{u"*.DOC,C:\\W\\w.exe"});
    EXPECT_EQ(e.selected(), -1);
    EXPECT_TRUE(e.saveOnClose());
    EXPECT_EQ(drives.readBytes(kFile), "*.DOC,C:\\W\\w.exe\r\n");
}

TEST_F(AssociationEditorTest, deleteWithoutASelectedLineIsRefused)
{
    AssociationEditor& e = openWith(u"*.TXT,C:\\E\\e.exe\r\n");
    EXPECT_FALSE(e.deleteSelected());
    EXPECT_EQ(ui.messages(), std::vector<u16>{u"削除する拡張子を選択して下さい"});
    EXPECT_TRUE(ui.questions().empty());
}

TEST_F(AssociationEditorTest, deletingEveryLineLeavesTheFileAsItWas)
{
    const std::string before = cp932(u"*.TXT,C:\\E\\e.exe\r\n");
    AssociationEditor& e = openWith(u"*.TXT,C:\\E\\e.exe\r\n");
    e.select(0);
    ASSERT_TRUE(e.deleteSelected());
    EXPECT_TRUE(e.AssocChanged());
    EXPECT_TRUE(e.saveOnClose());
    EXPECT_EQ(drives.readBytes(kFile), before) << "an empty list is never written";
}

TEST_F(AssociationEditorTest, closingWithoutAChangeDoesNotTouchTheFile)
{
    // LF line ends, which a write would turn into CR LF.
    drives.writeBytes(kFile, "*.TXT,C:\\E\\e.exe\n");
    drives.setTime(kFile, 2001, 2, 3, 4, 5, 6);
    AssociationEditor& e = openWith(u"");
    EXPECT_EQ(e.lines().size(), 1u);
    EXPECT_TRUE(e.saveOnClose());
    EXPECT_EQ(drives.readBytes(kFile), "*.TXT,C:\\E\\e.exe\n");
    EXPECT_EQ(drives.fs().fileInfo(kFile)->lastWrite.year, 2001);
}

TEST_F(AssociationEditorTest, theFirstSaveCreatesTheFile)
{
    AssociationEditor& e = openWith(u"");
    EXPECT_TRUE(e.lines().empty());
    e.addOrReplace(u"*.TXT", u"C:\\E\\", &program);
    EXPECT_TRUE(e.saveOnClose());
    EXPECT_EQ(drives.readBytes(kFile), "*.TXT,C:\\E\\ed.exe\r\n");
}

TEST_F(AssociationEditorTest, aFailedWriteIsToldAndLeavesTheOldFileWhole)
{
    const std::string before = cp932(u"*.TXT,C:\\E\\e.exe\r\n");
    AssociationEditor& e = openWith(u"*.TXT,C:\\E\\e.exe\r\n");
    e.addOrReplace(u"*.DOC", u"C:\\W", &program);
    platform::FaultPlan faults;
    faults.failAlways(platform::FsCall::Write, ENOSPC);
    drives.fs().setFaults(&faults);
    EXPECT_FALSE(e.saveOnClose());
    drives.fs().setFaults(nullptr);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0], kFile + u"に書き込めません\r\nディスクの空きが足りません");
    EXPECT_EQ(drives.readBytes(kFile), before);
    EXPECT_TRUE(drives.tempFilesIn(u"C:\\prog\\SYSDAT").empty());
    EXPECT_TRUE(e.AssocChanged()) << "still to be written";
    EXPECT_TRUE(e.saveOnClose()) << "a second try, once the disk has room";
    EXPECT_EQ(drives.readBytes(kFile), "*.DOC,C:\\W\\ed.exe\r\n*.TXT,C:\\E\\e.exe\r\n");
}

TEST_F(AssociationEditorTest, aLineReadWithBadBytesIsNotWrittenGarbled)
{
    drives.writeBytes(kFile, "*.A,C:\\\x81\r\n");
    editor = std::make_unique<AssociationEditor>(drives.fs(), u"C:\\prog\\SYSDAT\\");
    editor->open(u"*.B");
    editor->addOrReplace(u"*.B", u"C:\\E", &program);
    EXPECT_FALSE(editor->saveOnClose());
    EXPECT_EQ(drives.readBytes(kFile), "*.A,C:\\\x81\r\n");
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_NE(ui.messages()[0].find(kUnencodableLineMessage), u16::npos);
}

TEST_F(AssociationEditorTest, linePartsForTheListClicks)
{
    EXPECT_EQ(AssociationEditor::patternOf(u"*.TXT,C:\\E\\e.exe"), u"*.TXT");
    EXPECT_EQ(AssociationEditor::programOf(u"*.TXT,C:\\a,b\\e.exe"), u"C:\\a,b\\e.exe");
    EXPECT_EQ(AssociationEditor::programDirOf(u"*.TXT,C:\\a,b\\e.exe"), u16(u"C:\\a,b\\"));
    EXPECT_EQ(AssociationEditor::programDirOf(u"*.TXT,e.exe"), std::nullopt);
    EXPECT_EQ(AssociationEditor::patternOf(u"nocomma"), u"nocomma");
    EXPECT_EQ(AssociationEditor::programOf(u"nocomma"), u"");
}

}
}

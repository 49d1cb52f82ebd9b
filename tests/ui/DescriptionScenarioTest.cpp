#include "tests/ui/Form1Fixture.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace sorvik::test {
namespace {

// Shift_JIS bytes of the texts the tests write.
const std::string kSjisMemo = "\x83\x81\x83\x82";                                                // メモ
const std::string kSjisExecutable = "Sorvik \x8e\xc0\x8d\x73\x83\x74\x83\x40\x83\x43\x83\x8b";   // Sorvik 実行ファイル

class DescriptionScenario : public Form1Fixture {
protected:
    void SetUp() override
    {
        Form1Fixture::SetUp();
        drives.writeBytes(u"C:\\work\\a.txt", "a");
        drives.writeBytes(u"C:\\work\\b.txt", "b");
        drives.makeDir(u"C:\\other");
        drives.writeBytes(u"C:\\other\\c.txt", "c");
    }

    // Moves the cursor to column 4 of the current row.
    void toDescriptionColumn()
    {
        for (int i = 0; i < 4; ++i)
            press(Qt::Key_Right);
        ASSERT_EQ(table().col(), 4);
    }

    // Types like an input method would: key events that carry their text.
    void type(const QString& text)
    {
        for (QChar c : text) {
            const int key = c.unicode() < 128 ? QChar(c).toUpper().unicode() : 0;
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
            QApplication::sendEvent(QApplication::focusWidget(), &press);
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
            QApplication::sendEvent(QApplication::focusWidget(), &release);
        }
        QApplication::processEvents();
    }

    std::string centralFile() { return drives.readBytes(u"C:\\prog\\SYSDAT\\SorvikDP.txt"); }
};

TEST_F(DescriptionScenario, enterStoresTheTextAndReturnsToColumnFourOfTheSameRow)
{
    Form1& f = start();
    toDescriptionColumn();
    press(Qt::Key_Return);
    ASSERT_EQ(focused(), f.text1());
    type(QStringLiteral("メモ"));
    press(Qt::Key_Return);
    EXPECT_EQ(focused(), f.grid());
    EXPECT_EQ(table().row(), 1);
    EXPECT_EQ(table().col(), 4);
    EXPECT_EQ(table().cell(1, 4), u"メモ");
    EXPECT_TRUE(f.text1()->text().isEmpty());
    const u16* stored = model().descriptions.lookup(u"C:\\WORK\\A.TXT");
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(*stored, u"メモ");
    EXPECT_TRUE(model().descriptions.ComentsChanged);

    press(Qt::Key_Down);
    press(Qt::Key_Return);
    EXPECT_EQ(focused(), f.text1()) << "ready for the next row's description after one Down";
}

TEST_F(DescriptionScenario, editStartsWithTheCellTextSelected)
{
    Form1& f = start();
    model().Grid1.setCell(1, 4, u"old text");
    toDescriptionColumn();
    press(Qt::Key_Return);
    EXPECT_EQ(f.text1()->text(), QStringLiteral("old text"));
    EXPECT_EQ(f.text1()->selectedText(), QStringLiteral("old text"));
    type(QStringLiteral("new"));
    EXPECT_EQ(f.text1()->text(), QStringLiteral("new")) << "typing replaces the selection";
}

TEST_F(DescriptionScenario, escDiscardsWithoutClosingTheWindow)
{
    Form1& f = start();
    bool ended = false;
    f.onEnded = [&] { ended = true; };
    toDescriptionColumn();
    press(Qt::Key_Return);
    type(QStringLiteral("thrown away"));
    press(Qt::Key_Escape);
    EXPECT_FALSE(ended);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(focused(), f.grid());
    EXPECT_EQ(table().cell(1, 4), u"");
    EXPECT_EQ(table().col(), 4);
    EXPECT_EQ(model().descriptions.lookup(u"C:\\work\\a.txt"), nullptr);
    EXPECT_TRUE(f.text1()->text().isEmpty());
    press(Qt::Key_Escape);
    EXPECT_TRUE(ended) << "back on the table Esc quits again";
}

TEST_F(DescriptionScenario, digitsAndJAreTypedIntoTheField)
{
    Form1& f = start();
    int jumps = 0;
    f.commands().add(CommandId::OpenJumpFolder, [&](CommandContext&) {
        ++jumps;
        return CommandResult::Failed;
    });
    model().FilterList[1] = u"*.none";
    toDescriptionColumn();
    press(Qt::Key_Return);
    type(QStringLiteral("J1"));
    EXPECT_EQ(f.text1()->text(), QStringLiteral("J1"));
    EXPECT_EQ(jumps, 0);
    EXPECT_EQ(table().fileCount(), 2) << "the filter was not applied";
}

TEST_F(DescriptionScenario, unchangedTextStoresNothing)
{
    start();
    toDescriptionColumn();
    const bool changedBefore = model().descriptions.ComentsChanged;
    press(Qt::Key_Return);
    press(Qt::Key_Return);
    EXPECT_EQ(model().descriptions.ComentsChanged, changedBefore);
    EXPECT_EQ(model().descriptions.lookup(u"C:\\work\\a.txt"), nullptr);
    EXPECT_EQ(table().col(), 4);
}

TEST_F(DescriptionScenario, enterOnTheTrailingRowDoesNothing)
{
    Form1& f = start();
    toDescriptionColumn();
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    ASSERT_EQ(table().row(), 3);
    press(Qt::Key_Return);
    EXPECT_EQ(focused(), f.grid());
    EXPECT_EQ(table().cell(3, 4), u"");
}

TEST_F(DescriptionScenario, clickInTheTableEmptiesTheField)
{
    Form1& f = start();
    f.text1()->setText(QStringLiteral("left over"));
    QTest::mouseClick(f.grid()->viewport(), Qt::LeftButton, Qt::NoModifier,
        f.grid()->visualRect(f.grid()->model()->index(1, 0)).center());
    EXPECT_TRUE(f.text1()->text().isEmpty());
}

TEST_F(DescriptionScenario, descriptionsSurviveDirectoryChangesAndARestart)
{
    Form1& f = start();
    toDescriptionColumn();
    press(Qt::Key_Return);
    type(QStringLiteral("メモ"));
    press(Qt::Key_Return);

    // Leave for another directory: the central file receives the record.
    ASSERT_TRUE(model().setTreePath(u"C:\\other"));
    EXPECT_NE(centralFile().find("C:\\work\\a.txt," + kSjisMemo + "\r\n"), std::string::npos);
    ASSERT_TRUE(model().setTreePath(u"C:\\work"));
    EXPECT_EQ(table().cell(1, 4), u"メモ");
    (void)f;
    closeForm();

    start(u"C:\\");
    ASSERT_TRUE(model().setTreePath(u"C:\\work"));
    EXPECT_EQ(table().cell(1, 4), u"メモ");
}

// Longer than QLineEdit holds by default (32,767 characters).
class LongDescriptionScenario : public DescriptionScenario {
protected:
    void SetUp() override
    {
        DescriptionScenario::SetUp();
        while (longText.size() < 40000)
            longText += u"長い説明 with ASCII, ";
        longText.resize(40000);
        longLine = "C:\\work\\a.txt," + platform::encodeCp932(longText).value() + "\r\n";
        drives.makeDir(u"C:\\prog\\SYSDAT");
        drives.writeBytes(u"C:\\prog\\SYSDAT\\SorvikDP.txt", longLine + "C:\\work\\b.txt,short\r\n");
    }

    u16 longText;
    std::string longLine;
};

TEST_F(LongDescriptionScenario, survivesAnEditConfirmedUnchanged)
{
    Form1& f = start();
    ASSERT_EQ(table().cell(1, 4), longText);
    toDescriptionColumn();
    press(Qt::Key_Return);
    ASSERT_EQ(focused(), f.text1());
    EXPECT_EQ(f.text1()->text().size(), 40000);
    EXPECT_EQ(f.text1()->selectedText().size(), 40000) << "all of it is selected";
    press(Qt::Key_Return);
    EXPECT_EQ(table().cell(1, 4), longText);

    // Another record changes, so the file is written again.
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    type(QStringLiteral("changed"));
    press(Qt::Key_Return);
    ASSERT_TRUE(model().setTreePath(u"C:\\other"));
    EXPECT_EQ(centralFile(), longLine + "C:\\work\\b.txt,changed\r\n");
}

TEST_F(LongDescriptionScenario, takesTextTypedOntoItsEnd)
{
    Form1& f = start();
    toDescriptionColumn();
    press(Qt::Key_Return);
    press(Qt::Key_End);
    type(QStringLiteral("!"));
    EXPECT_EQ(f.text1()->text().size(), 40001);
    press(Qt::Key_Return);
    ASSERT_TRUE(model().setTreePath(u"C:\\other"));
    EXPECT_EQ(centralFile(), "C:\\work\\b.txt,short\r\n" + longLine.substr(0, longLine.size() - 2) + "!\r\n");
}

TEST_F(DescriptionScenario, firstRunShowsAndThenWritesTheBuiltInRecords)
{
    drives.writeBytes(u"C:\\prog\\sorvik", "binary");
    start(u"C:\\prog");
    EXPECT_EQ(table().cell(1, 0), u" sorvik");
    EXPECT_EQ(table().cell(1, 4), u"Sorvik 実行ファイル");
    ASSERT_TRUE(model().setTreePath(u"C:\\work"));
    const std::string expected =
        "C:\\prog\\sorvik," + kSjisExecutable + "\r\n"
        "C:\\prog\\sorvik.txt,Sorvik \x90\xe0\x96\xbe\xcc\xa7\xb2\xd9\r\n"
        "C:\\prog\\\xfc\x4b\xfc\x4b\xfc\x4bHP.txt,SorVIK \x8e\x67\x97\x70\x96\x40\x90\xe0\x96\xbe\x83\x74\x83\x40\x83\x43\x83\x8b\r\n"
        "C:\\prog\\SYSDAT\\SorvikDP.txt,\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xcc\x90\xe0\x96\xbe\x83\x66\x81\x5b\x83\x5e\r\n"
        "C:\\prog\\SYSDAT\\\xfc\x4b\xfc\x4b\xfc\x4b\xfc\x4b.ini,SorVIK \x8f\x89\x8a\xfa\x90\xdd\x92\xe8\x83\x74\x83\x40\x83\x43\x83\x8b\r\n";
    EXPECT_EQ(centralFile(), expected);
}

}
}

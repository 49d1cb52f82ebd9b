#include "tests/ui/Form1Fixture.h"

#include <QLabel>
#include <QListWidget>

#include <QPushButton>
#include <filesystem>

namespace sorvik::test {
namespace {

class KeyboardScenario : public Form1Fixture {
protected:
    void SetUp() override
    {
        Form1Fixture::SetUp();
        drives.makeDir(u"C:\\work\\docs");
        drives.makeDir(u"C:\\work\\zeta");
        drives.writeBytes(u"C:\\work\\big.dat", std::string(3000, 'b'));
        drives.writeBytes(u"C:\\work\\a.txt", "a");
        drives.writeBytes(u"C:\\work\\mid.txt", std::string(200, 'm'));
        drives.writeBytes(u"C:\\work\\docs\\one.txt", "1");
        drives.makeDir(u"D:\\music");
        drives.writeBytes(u"D:\\song.wav", "s");
    }

    std::vector<u16> names() { return fileNamesOf(table()); }
};

TEST_F(KeyboardScenario, walksTableTreeDriveButtonsAndBack)
{
    Form1& f = start();
    press(Qt::Key_Down);
    press(Qt::Key_Right);
    EXPECT_EQ(table().row(), 2);
    EXPECT_EQ(table().col(), 1);
    press(Qt::Key_Left);   // column 1 -> 0
    press(Qt::Key_Left);   // column 0 -> tree
    ASSERT_EQ(focused(), f.dirTree());

    // Up from C:\work reaches the root, the next Up goes to the drive buttons.
    press(Qt::Key_Up);
    EXPECT_TRUE(model().Dir1.selectedIsRoot());
    press(Qt::Key_Up);
    ASSERT_EQ(focused(), f.driveButtons()->button(0));
    EXPECT_EQ(f.driveButtons()->backColor(0), kChosenDriveColor);
    EXPECT_EQ(f.findChild<QLabel*>("Label2")->text(), QStringLiteral("ﾄﾞﾗｲﾌﾞ注目"));
    EXPECT_EQ(model().CurrentDir, u"C:\\work\\") << "the drive listed already stays as it is";

    press(Qt::Key_Down);
    ASSERT_EQ(focused(), f.dirTree());
    press(Qt::Key_Right);
    ASSERT_EQ(focused(), f.grid());
    EXPECT_EQ(table().row(), 2) << "back at the remembered cell";
    EXPECT_EQ(table().col(), 0);
}

TEST_F(KeyboardScenario, ctrlArrowsMoveAlongDriveButtonsAndChooseTheDrive)
{
    Form1& f = start();
    f.cmdHddSetFocus();
    ASSERT_EQ(focused(), f.driveButtons()->button(0));
    press(Qt::Key_Right, Qt::ControlModifier);
    ASSERT_EQ(focused(), f.driveButtons()->button(1));
    EXPECT_EQ(model().CurrentDir, u"D:\\");
    EXPECT_EQ(f.driveButtons()->backColor(1), kChosenDriveColor);
    EXPECT_EQ(f.driveButtons()->backColor(0), kBaseBackColor);
    EXPECT_EQ(f.label4()->text(), QStringLiteral("1"));
    press(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(focused(), f.driveButtons()->button(1)) << "the last button keeps the focus";
    press(Qt::Key_J, Qt::ControlModifier);
    EXPECT_EQ(focused(), f.driveButtons()->button(0));
    press(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(focused(), f.driveButtons()->button(0));
    EXPECT_EQ(model().CurrentDir, u"C:\\work\\") << "C: shows the directory last listed there";
}

TEST_F(KeyboardScenario, driveButtonsStandInARowWithTheirTypeStrips)
{
    Form1& f = start();
    DriveButtons* b = f.driveButtons();
    ASSERT_EQ(b->count(), 2);
    EXPECT_EQ(b->button(0)->text(), QStringLiteral("C"));
    EXPECT_EQ(b->button(1)->text(), QStringLiteral("D"));
    EXPECT_EQ(b->button(0)->x(), 8);    // 120 twips
    EXPECT_EQ(b->button(1)->x(), 30);   // 450 twips
    EXPECT_EQ(b->button(0)->width(), 21);
    EXPECT_EQ(b->strip(0)->y(), b->button(0)->y() - 3);
    EXPECT_EQ(b->stripColor(0), 0x808080u) << "fixed";
    EXPECT_EQ(b->stripColor(1), 0xFF0000u) << "removable";
    // The command row follows the last button: 450 + 315 + 15 twips.
    EXPECT_EQ(f.findChild<QLabel*>("Label2")->x(), 52);
}

TEST_F(KeyboardScenario, enterInTheTreeOpensTheSelectedDirectory)
{
    Form1& f = start();
    press(Qt::Key_Left);
    ASSERT_EQ(focused(), f.dirTree());
    press(Qt::Key_Down);   // C:\work\docs
    EXPECT_EQ(model().Dir1.selectedPath(), u"C:\\work\\docs");
    EXPECT_EQ(model().CurrentDir, u"C:\\work\\") << "selection alone opens nothing";
    press(Qt::Key_Return);
    EXPECT_EQ(model().CurrentDir, u"C:\\work\\docs\\");
    EXPECT_EQ(f.label4()->text(), QStringLiteral("1"));
    EXPECT_EQ(table().row(), 1);
    EXPECT_EQ(table().cell(1, 0), u" one.txt");
    EXPECT_EQ(f.dirTree()->count(), 3);
    press(Qt::Key_Right);
    ASSERT_EQ(focused(), f.grid());
    EXPECT_EQ(table().row(), 1);
}

TEST_F(KeyboardScenario, sortsWithSAndShiftSByTheCursorColumn)
{
    start();
    using V = std::vector<u16>;
    EXPECT_EQ(names(), (V{u"a.txt", u"big.dat", u"mid.txt"}));
    press(Qt::Key_Right);
    press(Qt::Key_Right);
    press(Qt::Key_Right);   // size column
    press(Qt::Key_S);
    EXPECT_EQ(names(), (V{u"a.txt", u"mid.txt", u"big.dat"}));
    EXPECT_EQ(table().col(), 3) << "the cursor keeps its cell";
    press(Qt::Key_S, Qt::ShiftModifier);
    EXPECT_EQ(names(), (V{u"big.dat", u"mid.txt", u"a.txt"}));
    press(Qt::Key_Right);   // description column: no sort
    press(Qt::Key_S);
    EXPECT_EQ(names(), (V{u"big.dat", u"mid.txt", u"a.txt"}));
    press(Qt::Key_Home);
    press(Qt::Key_S, Qt::ShiftModifier);
    EXPECT_EQ(names(), (V{u"mid.txt", u"big.dat", u"a.txt"}));
}

TEST_F(KeyboardScenario, spaceMarksAndLettersDoNotJumpToMatchingNames)
{
    start();
    press(Qt::Key_Space);
    EXPECT_EQ(table().cell(1, 0), u"*a.txt");
    EXPECT_EQ(table().row(), 2);
    press(Qt::Key_Space);
    press(Qt::Key_Space);   // last file row: marks and stays
    EXPECT_EQ(table().row(), 3);
    EXPECT_EQ(model().CountMarkedRows(), 3);
    press(Qt::Key_B);
    press(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(table().row(), 3);
    press(Qt::Key_Down);
    EXPECT_EQ(table().row(), 4) << "the trailing row";
    press(Qt::Key_Space);
    EXPECT_EQ(table().row(), 4);
    EXPECT_EQ(table().cell(4, 0), u"");
}

TEST_F(KeyboardScenario, ctrlKeysStandForArrowsAndChangeColumnWidths)
{
    Form1& f = start();
    press(Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(table().row(), 2);
    press(Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(table().row(), 1);
    press(Qt::Key_L, Qt::ControlModifier);
    press(Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(table().col(), 2);
    press(Qt::Key_J, Qt::ControlModifier);
    EXPECT_EQ(table().col(), 1);
    EXPECT_EQ(focused(), f.grid());
    const int before = table().columnWidth(1);
    const int col4 = table().columnWidth(4);
    press(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(table().columnWidth(1), before + 50);
    EXPECT_EQ(table().columnWidth(4), col4 - 50);
    for (int i = 0; i < 15; ++i)
        press(Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(table().columnWidth(1), 0);
    press(Qt::Key_J, Qt::ControlModifier);
    press(Qt::Key_J, Qt::ControlModifier);
    EXPECT_EQ(focused(), f.dirTree());
}

TEST_F(KeyboardScenario, closingAndRestartingOpensTheSameDirectoryAndGeometry)
{
    Form1& f = start();
    f.resize(780, 540);   // within the offscreen screen of 800 x 600
    QApplication::processEvents();
    press(Qt::Key_Left);
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    ASSERT_EQ(model().CurrentDir, u"C:\\work\\docs\\");
    const QSize size = f.size();
    closeForm();

    Form1& again = start(u"C:\\work");
    EXPECT_EQ(model().CurrentDir, u"C:\\work\\docs\\");
    EXPECT_EQ(again.size(), size);
}

TEST_F(KeyboardScenario, digitsAndJumpKeysReachTheirEntryPoints)
{
    Form1& f = start();
    int jumps = 0, registrations = 0, helps = 0;
    f.commands().add(CommandId::OpenJumpFolder, [&](CommandContext&) {
        ++jumps;
        return CommandResult::Failed;
    });
    f.commands().add(CommandId::RegisterJumpFolder, [&](CommandContext&) {
        ++registrations;
        return CommandResult::Done;
    });
    f.commands().add(CommandId::Help, [&](CommandContext&) {
        ++helps;
        return CommandResult::Done;
    });
    model().FilterList[3] = u"*.txt";
    press(Qt::Key_5);
    EXPECT_EQ(table().fileCount(), 3) << "an empty entry changes nothing";
    press(Qt::Key_3);
    EXPECT_EQ(table().fileCount(), 2);
    press(Qt::Key_J);
    press(Qt::Key_J, Qt::ShiftModifier);
    press(Qt::Key_F1);
    EXPECT_EQ(jumps, 1);
    EXPECT_EQ(registrations, 1);
    EXPECT_EQ(helps, 1);
}

TEST_F(KeyboardScenario, altAcceleratorsReachTheirButtonsFromTheTable)
{
    Form1& f = start();
    int filter = 0, kinds = 0, associations = 0;
    QObject::connect(f.findChild<QPushButton*>("Command1"), &QPushButton::clicked, [&] { ++filter; });
    QObject::connect(f.findChild<QPushButton*>("cmdHiddn"), &QPushButton::clicked, [&] { ++kinds; });
    QObject::connect(
        f.findChild<QPushButton*>(QStringLiteral("cmd関連")), &QPushButton::clicked, [&] { ++associations; });
    // Only the road from the key to the button counts here, not the dialogs behind the buttons.
    for (CommandId id : {CommandId::FilterSettings, CommandId::DisplayKinds, CommandId::Associations})
        f.commands().add(id, [](CommandContext&) { return CommandResult::Done; });
    press(Qt::Key_F, Qt::AltModifier);
    press(Qt::Key_G, Qt::AltModifier);
    press(Qt::Key_R, Qt::AltModifier);
    // A mnemonic presses its button with a short animated click.
    EXPECT_TRUE(QTest::qWaitFor([&] { return filter && kinds && associations; }, 5000));
    QCoreApplication::processEvents();   // a second click, if any, would land here
    EXPECT_EQ(filter, 1);
    EXPECT_EQ(kinds, 1);
    EXPECT_EQ(associations, 1);
}

TEST_F(KeyboardScenario, statusLabelFollowsTheFocusAndItsDoubleClickMovesIt)
{
    Form1& f = start();
    auto* label = f.findChild<QLabel*>("Label2");
    EXPECT_EQ(label->text(), QStringLiteral("テーブル注目"));
    press(Qt::Key_Left);
    EXPECT_EQ(label->text(), QStringLiteral("ﾃﾞｨﾚｸﾄﾘ注目"));
    QTest::mouseDClick(label, Qt::LeftButton);
    EXPECT_EQ(focused(), f.grid());
    QTest::mouseDClick(label, Qt::LeftButton);
    EXPECT_EQ(focused(), f.driveButtons()->button(0));
    EXPECT_EQ(label->text(), QStringLiteral("ﾄﾞﾗｲﾌﾞ注目"));
    QTest::mouseDClick(label, Qt::LeftButton);
    EXPECT_EQ(focused(), f.dirTree());
}

TEST_F(KeyboardScenario, aDriveWithoutMediumTakesTheFocusButChangesNothing)
{
    Form1& f = start();
    std::filesystem::remove_all(drives.hostD());
    f.cmdHddSetFocus();
    press(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(focused(), f.driveButtons()->button(1));
    EXPECT_EQ(model().CurrentDir, u"C:\\work\\");
    EXPECT_EQ(table().fileCount(), 3);
    EXPECT_NE(f.driveButtons()->backColor(1), kChosenDriveColor) << "not painted as the chosen drive";
    EXPECT_TRUE(ui.messages().empty());
    press(Qt::Key_Down);
    EXPECT_EQ(focused(), f.dirTree());
    EXPECT_EQ(model().Dir1.path(), u"C:\\work");
}

}
}

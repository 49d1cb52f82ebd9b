#include "tests/support/DialogKeys.h"
#include "tests/ui/Form1Fixture.h"
#include "ui/QtUi.h"

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <filesystem>

namespace sorvik::test {
namespace {

class FileCommandScenario : public Form1Fixture {
protected:
    void SetUp() override
    {
        Form1Fixture::SetUp();
        platform::clearDialogHooks();
        drives.makeDir(u"C:\\dest");
        drives.writeBytes(u"C:\\work\\a.txt", "alpha");
        drives.writeBytes(u"C:\\work\\b.txt", "beta");
        drives.writeBytes(u"C:\\work\\c.txt", "gamma");
    }
    void TearDown() override
    {
        EXPECT_EQ(platform::dialogsLeftOpen(), 0) << "a dialog was left open by its test";
        platform::clearDialogHooks();
        Form1Fixture::TearDown();
    }

    std::vector<std::string> hostNames() const
    {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(drives.host(u"C:\\work")))
            if (e.is_regular_file())
                out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }

    void goToRow(int row)
    {
        while (table().row() < row)
            press(Qt::Key_Down);
    }
};

TEST_F(FileCommandScenario, copyMarkedFilesThroughTheDialogsKeys)
{
    start();
    press(Qt::Key_Space);   // a.txt, cursor to b.txt
    press(Qt::Key_Down);
    press(Qt::Key_Space);   // c.txt
    model().Grid1.setCell(1, 4, u"説明 a");
    QString caption, label1, label2, label7, command1;
    bool text2Visible = true, frameVisible = false, option1 = false;
    platform::queueDialogHook([&](QDialog& d) {
        caption = d.windowTitle();
        label1 = d.findChild<QLabel*>("Label1")->text();
        label7 = d.findChild<QLabel*>("Label7")->text();
        command1 = d.findChild<QPushButton*>("Command1")->text();
        text2Visible = d.findChild<QLineEdit*>("Text2")->isVisible();
        frameVisible = d.findChild<QGroupBox*>("Frame1")->isVisible();
        option1 = d.findChild<QRadioButton*>("Option1")->isChecked();
        EXPECT_EQ(focusName(), QStringLiteral("Command1")) << "Enter right away runs the operation";
        chooseDestInDialog();
        label2 = d.findChild<QLabel*>("Label2")->text();
        key(Qt::Key_Return);
    });
    press(Qt::Key_C);

    EXPECT_EQ(caption, QStringLiteral("ﾌｧｲﾙの複写"));
    EXPECT_EQ(label1, QStringLiteral("C:\\work\\"));
    EXPECT_EQ(label2, QStringLiteral("C:\\dest"));
    EXPECT_EQ(label7, QStringLiteral("選択ﾌｧｲﾙの複写"));
    EXPECT_EQ(command1, QStringLiteral("複写"));
    EXPECT_FALSE(text2Visible);
    EXPECT_TRUE(frameVisible);
    EXPECT_TRUE(option1);
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\a.txt"), "alpha");
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\c.txt"), "gamma");
    EXPECT_FALSE(drives.exists(u"C:\\dest\\b.txt"));
    EXPECT_EQ(model().CountMarkedRows(), 0) << "refreshed: the marks are gone";
    EXPECT_EQ(table().row(), 3) << "the cursor is back on its row";
    ASSERT_NE(model().descriptions.lookup(u"C:\\dest\\a.txt"), nullptr);
    press(Qt::Key_Down);
    EXPECT_EQ(focused(), form->grid()) << "the keys go to the table again";
}

TEST_F(FileCommandScenario, moveTheCurrentEntryAndItLeavesTheListing)
{
    start();
    goToRow(2);   // b.txt
    QString text2, label7;
    bool frameVisible = true;
    platform::queueDialogHook([&](QDialog& d) {
        text2 = d.findChild<QLineEdit*>("Text2")->text();
        label7 = d.findChild<QLabel*>("Label7")->text();
        frameVisible = d.findChild<QGroupBox*>("Frame1")->isVisible();
        EXPECT_EQ(d.windowTitle(), QStringLiteral("ﾌｧｲﾙの移動"));
        chooseDestInDialog();
        key(Qt::Key_Return);
    });
    press(Qt::Key_M);
    EXPECT_EQ(text2, QStringLiteral("b.txt"));
    EXPECT_EQ(label7, QStringLiteral("b.txt"));
    EXPECT_FALSE(frameVisible);
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\b.txt"), "beta");
    EXPECT_FALSE(drives.exists(u"C:\\work\\b.txt"));
    EXPECT_EQ(table().fileCount(), 2);
}

TEST_F(FileCommandScenario, enterRightAwayCopiesOntoItselfAfterTheQuestionAndHarmsNothing)
{
    start();
    platform::queueDialogHook([](QDialog&) { key(Qt::Key_Return); });
    ui = platform::ScriptedUi({true});
    press(Qt::Key_C);
    EXPECT_EQ(ui.questions().size(), 1u);
    EXPECT_EQ(drives.readBytes(u"C:\\work\\a.txt"), "alpha");
}

TEST_F(FileCommandScenario, theDialogsCancelKeys)
{
    start();
    QString typed;
    platform::queueDialogHook([&](QDialog& d) {
        auto* text2 = d.findChild<QLineEdit*>("Text2");
        text2->setFocus();
        text2->selectAll();
        QTest::keyClicks(text2, QStringLiteral("qQ"));
        typed = text2->text();
        EXPECT_TRUE(d.isVisible()) << "Q is text in Text2";
        key(Qt::Key_Escape);
    });
    platform::queueDialogHook([&](QDialog&) {
        key(Qt::Key_Left);
        key(Qt::Key_Left);    // Dir1 on C:\work
        key(Qt::Key_Up);      // the root, selected only
        key(Qt::Key_Right);   // File1: the directory was not opened
        EXPECT_EQ(focusName(), QStringLiteral("File1"));
        key(Qt::Key_Left);
        key(Qt::Key_Q);
    });
    platform::queueDialogHook([&](QDialog& d) {
        auto* file1 = d.findChild<QListWidget*>("File1");
        key(Qt::Key_Left);
        EXPECT_EQ(file1->count(), 3) << "still the source directory's files";
        key(Qt::Key_Return);   // nothing selected: Text2 stays
        EXPECT_EQ(d.findChild<QLineEdit*>("Text2")->text(), QStringLiteral("a.txt"));
        key(Qt::Key_Down);
        file1->currentItem()->setSelected(true);
        key(Qt::Key_Return);
        EXPECT_EQ(d.findChild<QLineEdit*>("Text2")->text(), file1->currentItem()->text());
        key(Qt::Key_Right);
        key(Qt::Key_Q);   // on Command1
    });
    press(Qt::Key_C);
    EXPECT_EQ(typed, QStringLiteral("qQ"));
    press(Qt::Key_C);
    press(Qt::Key_M);
    EXPECT_EQ(platform::shownDialogs().size(), 3u);
    EXPECT_EQ(hostNames(), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
    EXPECT_TRUE(drives.exists(u"C:\\work\\a.txt"));
}

TEST_F(FileCommandScenario, theListWithTheFocusIsPaleYellowAndTheDialogSitsOverTheWindow)
{
    Form1& f = start();
    std::vector<QString> yellowAfter;
    QPoint offset;
    QSize size;
    platform::queueDialogHook([&](QDialog& d) {
        auto yellow = [&d] {
            QString out;
            for (const char* name : {"Drive1", "Dir1", "File1"})
                if (d.findChild<QWidget*>(name)->styleSheet().contains(QStringLiteral("rgb(255,255,192)")))
                    out += QString::fromLatin1(name);
            return out;
        };
        offset = d.frameGeometry().topLeft() - f.frameGeometry().topLeft();
        size = d.frameGeometry().size();
        key(Qt::Key_Left);
        yellowAfter.push_back(yellow());   // File1
        key(Qt::Key_Left);
        yellowAfter.push_back(yellow());   // Dir1
        key(Qt::Key_Up);
        key(Qt::Key_Up);   // at the root: to Drive1
        yellowAfter.push_back(yellow());
        key(Qt::Key_Down);   // back to Dir1
        key(Qt::Key_Right);
        key(Qt::Key_Right);   // File1 to Command1: no list is highlighted
        yellowAfter.push_back(yellow());
        EXPECT_EQ(focusName(), QStringLiteral("Command1"));
        key(Qt::Key_Escape);
    });
    press(Qt::Key_C);
    EXPECT_EQ(yellowAfter, (std::vector<QString>{"File1", "Dir1", "Drive1", ""}));
    EXPECT_EQ(offset.x(), (f.frameGeometry().width() - size.width()) / 2);
    EXPECT_EQ(offset.y(), int((f.frameGeometry().height() - size.height()) * 0.4));
    EXPECT_FALSE(drives.exists(u"C:\\dest\\a.txt"));
}

TEST_F(FileCommandScenario, aProtectedFileStopsTheCommandBeforeTheDialog)
{
    drives.writeBytes(u"C:\\work\\黑黑黑黑.ini", "settings");
    start();
    goToRow(4);
    ASSERT_EQ(table().fileName(4), u"黑黑黑黑.ini");
    press(Qt::Key_M);
    EXPECT_TRUE(platform::shownDialogs().empty());
    EXPECT_EQ(ui.messages(), std::vector<u16>{u"黑黑黑黑.INI\r\nこのファイルは移動出来ません"});
}

TEST_F(FileCommandScenario, deleteAsksOnceForMarkedFilesAndOnceForTheCurrentEntry)
{
    start();
    press(Qt::Key_Space);   // a.txt
    press(Qt::Key_Space);   // b.txt
    ui = platform::ScriptedUi({true, true});
    press(Qt::Key_D);
    EXPECT_EQ(ui.questions(), std::vector<u16>{u"選択したﾌｧｲﾙを削除しますか？"});
    EXPECT_EQ(table().fileCount(), 1);
    press(Qt::Key_Up);
    press(Qt::Key_D);
    EXPECT_EQ(ui.questions().back(), u"C:\\work\\c.txt 削除しますか？");
    EXPECT_EQ(table().fileCount(), 0);
}

TEST_F(FileCommandScenario, renameTypesANewNameOverTheSelectedOldOne)
{
    start();
    model().descriptions.ComentSet(u"C:\\work\\a.txt", u"説明");
    QString oldName;
    bool oldReadOnly = false;
    platform::queueDialogHook([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("名前の変更"));
        oldName = d.findChild<QLineEdit*>("Text1")->text();
        oldReadOnly = d.findChild<QLineEdit*>("Text1")->isReadOnly();
        EXPECT_EQ(focusName(), QStringLiteral("Text2"));
        EXPECT_EQ(d.findChild<QLineEdit*>("Text2")->selectedText(), QStringLiteral("a.txt"));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("z.txt"));
        key(Qt::Key_Return);
    });
    press(Qt::Key_R);
    EXPECT_EQ(oldName, QStringLiteral("a.txt"));
    EXPECT_TRUE(oldReadOnly);
    EXPECT_EQ(drives.readBytes(u"C:\\work\\z.txt"), "alpha");
    EXPECT_NE(model().descriptions.lookup(u"C:\\work\\z.txt"), nullptr);
    EXPECT_EQ(table().fileName(3), u"z.txt");

    platform::queueDialogHook([](QDialog&) {
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("c.txt"));
        key(Qt::Key_Escape);
    });
    press(Qt::Key_R);
    EXPECT_TRUE(drives.exists(u"C:\\work\\b.txt")) << "cancel renames nothing";
}

TEST_F(FileCommandScenario, renameRefusesMarkedFilesAndNamesTaken)
{
    start();
    press(Qt::Key_Space);
    press(Qt::Key_Up);
    press(Qt::Key_R);
    EXPECT_EQ(ui.messages(), std::vector<u16>{u"名前の変更は複数同時には出来ません"});
    EXPECT_TRUE(platform::shownDialogs().empty());
    press(Qt::Key_Space);   // unmark
    press(Qt::Key_Up);
    platform::queueDialogHook([](QDialog&) {
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("b.txt"));
        key(Qt::Key_Return);
    });
    press(Qt::Key_R);
    ASSERT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(drives.readBytes(u"C:\\work\\a.txt"), "alpha");
    EXPECT_EQ(drives.readBytes(u"C:\\work\\b.txt"), "beta");
}

TEST_F(FileCommandScenario, attributesArePresetAndWrittenAndTheCellFollows)
{
    ASSERT_TRUE(drives.fs().setAttributes(u"C:\\work\\a.txt", platform::kAttrReadOnly | platform::kAttrArchive));
    start();
    std::vector<bool> yes;
    platform::queueDialogHook([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("ﾌｧｲﾙ属性変更"));
        const auto options = d.findChildren<QRadioButton*>("Option1");
        for (QRadioButton* o : options)
            yes.push_back(o->isChecked());
        options[1]->setChecked(true);   // Hidden
        options[1]->setFocus();
        key(Qt::Key_Return);   // the change button is the default
    });
    press(Qt::Key_A);
    EXPECT_EQ(yes, (std::vector<bool>{true, false, false, true}));
    EXPECT_EQ(*drives.fs().attributes(u"C:\\work\\a.txt") & 0x37u, 0x23u);
    EXPECT_EQ(table().cell(1, 1), u"RH");
    EXPECT_EQ(table().fileCount(), 3) << "no refresh: the hidden file keeps its row";
    EXPECT_EQ(table().col(), 0);

    platform::queueDialogHook([](QDialog& d) {
        d.findChildren<QRadioButton*>("Option2")[0]->setChecked(true);
        d.findChild<QPushButton*>("Command1")->setFocus();
        key(Qt::Key_Q);
    });
    press(Qt::Key_A);
    EXPECT_EQ(*drives.fs().attributes(u"C:\\work\\a.txt") & 0x37u, 0x23u) << "Q cancels";
}

}
}

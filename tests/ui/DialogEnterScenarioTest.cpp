#include "jump/JumpFolders.h"
#include "lha/Unlha.h"
#include "tests/support/DialogKeys.h"
#include "tests/ui/Form1Fixture.h"
#include "ui/QtUi.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace sorvik::test {
namespace {

// Enter in a dialog: a focused button is pressed, anywhere else the dialog's
// default button is, and a dialog without one does nothing.
class DialogEnterScenario : public Form1Fixture {
protected:
    void SetUp() override
    {
        Form1Fixture::SetUp();
        platform::clearDialogHooks();
        drives.makeDir(u"C:\\dest");
        drives.writeBytes(u"C:\\work\\a.txt", "alpha alpha alpha alpha");
        drives.writeBytes(u"C:\\work\\b.txt", "beta");
    }
    void TearDown() override
    {
        EXPECT_EQ(platform::dialogsLeftOpen(), 0) << "a dialog was left open by its test";
        platform::clearDialogHooks();
        Form1Fixture::TearDown();
    }

    template<class W>
    static W* child(QDialog& d, const char* name)
    {
        W* w = d.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
};

TEST_F(DialogEnterScenario, enterInTheArchiveNameFieldNeitherCancelsNorPacks)
{
    start();
    bool openAfterEnter = false;
    QString focusAfterEnter;
    platform::queueDialogHook([&](QDialog& d) {
        keyIn(d, Qt::Key_Tab);   // Command2
        keyIn(d, Qt::Key_Tab);   // Text2
        ASSERT_EQ(focusName(), QStringLiteral("Text2"));
        child<QLineEdit>(d, "Text2")->selectAll();
        typeIn(d, QStringLiteral("named.lzh"));
        keyIn(d, Qt::Key_Return);
        openAfterEnter = d.isVisible();
        focusAfterEnter = focusName();
        ASSERT_TRUE(openAfterEnter);
        EXPECT_FALSE(drives.exists(u"C:\\work\\named.lzh")) << "Enter in the field does not run the pack";
        keyIn(d, Qt::Key_Tab, Qt::ShiftModifier);
        keyIn(d, Qt::Key_Tab, Qt::ShiftModifier);
        ASSERT_EQ(focusName(), QStringLiteral("Command1"));
        keyIn(d, Qt::Key_Return);
    });
    press(Qt::Key_P);
    EXPECT_TRUE(openAfterEnter) << "Enter in Text2 closed the dialog";
    EXPECT_EQ(focusAfterEnter, QStringLiteral("Text2"));
    ASSERT_TRUE(drives.exists(u"C:\\work\\named.lzh")) << "packed under the typed name by Command1";
    EXPECT_NE(UnlhaCheckArchive("C:\\work\\named.lzh", 0), 0);
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(DialogEnterScenario, enterOnAnOptionButtonNeitherCancelsNorCopies)
{
    start();
    press(Qt::Key_Space);   // a.txt
    press(Qt::Key_Space);   // b.txt
    std::vector<bool> openAfterEnter;
    bool option2 = false;
    platform::queueDialogHook([&](QDialog& d) {
        child<QRadioButton>(d, "Option2")->setFocus();
        keyIn(d, Qt::Key_Return);
        openAfterEnter.push_back(d.isVisible());
        ASSERT_TRUE(d.isVisible());
        keyIn(d, Qt::Key_Up);   // Option1
        EXPECT_EQ(focusName(), QStringLiteral("Option1"));
        keyIn(d, Qt::Key_Return);
        openAfterEnter.push_back(d.isVisible());
        ASSERT_TRUE(d.isVisible());
        EXPECT_FALSE(drives.exists(u"C:\\dest\\a.txt"));
        keyIn(d, Qt::Key_Down);   // Option2 is chosen: replace even a newer destination
        option2 = child<QRadioButton>(d, "Option2")->isChecked();
        // To C:\dest through the lists, then Command1.
        child<QWidget>(d, "Dir1")->setFocus();
        keyIn(d, Qt::Key_Up);       // the root
        keyIn(d, Qt::Key_Return);   // C:\: dest, prog, work
        keyIn(d, Qt::Key_Down);
        keyIn(d, Qt::Key_Return);   // C:\dest
        keyIn(d, Qt::Key_Right);
        keyIn(d, Qt::Key_Right);
        ASSERT_EQ(focusName(), QStringLiteral("Command1"));
        keyIn(d, Qt::Key_Return);
    });
    press(Qt::Key_C);
    EXPECT_EQ(openAfterEnter, (std::vector<bool>{true, true}));
    EXPECT_TRUE(option2);
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\a.txt"), "alpha alpha alpha alpha");
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\b.txt"), "beta");
}

TEST_F(DialogEnterScenario, enterOnTheFocusedCancelButtonOfTheOperationDialogCancels)
{
    start();
    platform::queueDialogHook([&](QDialog& d) {
        keyIn(d, Qt::Key_Tab);
        ASSERT_EQ(focusName(), QStringLiteral("Command2"));
        keyIn(d, Qt::Key_Return);
    });
    press(Qt::Key_C);
    EXPECT_TRUE(ui.questions().empty()) << "no copy onto itself was tried";
    EXPECT_EQ(platform::shownDialogs().size(), 1u);
}

TEST_F(DialogEnterScenario, enterOnTheRenameDialogsCancelButtonRenamesNothing)
{
    start();
    platform::queueDialogHook([&](QDialog& d) {
        typeIn(d, QStringLiteral("z.txt"));
        keyIn(d, Qt::Key_Tab);
        ASSERT_EQ(focusName(), QStringLiteral("cmdCan"));
        keyIn(d, Qt::Key_Return);
    });
    press(Qt::Key_R);
    EXPECT_TRUE(drives.exists(u"C:\\work\\a.txt"));
    EXPECT_FALSE(drives.exists(u"C:\\work\\z.txt"));

    platform::queueDialogHook([&](QDialog& d) {
        typeIn(d, QStringLiteral("z.txt"));
        keyIn(d, Qt::Key_Return);   // in Text2: OK, the default button
    });
    press(Qt::Key_R);
    EXPECT_TRUE(drives.exists(u"C:\\work\\z.txt"));
}

TEST_F(DialogEnterScenario, enterOnTheAttributeDialogsCancelButtonChangesNothing)
{
    start();
    platform::queueDialogHook([&](QDialog& d) {
        d.findChildren<QRadioButton*>("Option1")[0]->setChecked(true);   // ReadOnly: Yes
        child<QPushButton>(d, "Command2")->setFocus();
        keyIn(d, Qt::Key_Return);
    });
    press(Qt::Key_A);
    EXPECT_EQ(*drives.fs().attributes(u"C:\\work\\a.txt") & platform::kAttrReadOnly, 0u);
}

TEST_F(DialogEnterScenario, enterOnTheInputDialogsCancelButtonRegistersNoJumpFolder)
{
    start();
    platform::queueDialogHook([&](QDialog& d) {
        typeIn(d, QStringLiteral("Mine"));
        keyIn(d, Qt::Key_Tab);   // cmdOK
        keyIn(d, Qt::Key_Tab);   // cmdCan
        ASSERT_EQ(focusName(), QStringLiteral("cmdCan"));
        keyIn(d, Qt::Key_Return);
    });
    press(Qt::Key_J, Qt::ShiftModifier);
    EXPECT_TRUE(model().JumpList.empty());
}

TEST_F(DialogEnterScenario, enterOnTheJumpDialogsCancelButtonDoesNotJump)
{
    drives.makeDir(u"C:\\other");
    start();
    registerJump(model().JumpList, u"other", u"C:\\other\\");
    QString focusBeforeEnter;
    platform::queueDialogHook([&](QDialog& d) {
        keyIn(d, Qt::Key_Tab);   // cmdOK
        keyIn(d, Qt::Key_Tab);   // cmdCan
        focusBeforeEnter = focusName();
        keyIn(d, Qt::Key_Return);
    });
    press(Qt::Key_J);
    EXPECT_EQ(focusBeforeEnter, QStringLiteral("cmdCan"));
    EXPECT_EQ(model().CurrentDir, u"C:\\work\\");

    platform::queueDialogHook([&](QDialog& d) { keyIn(d, Qt::Key_Return); });   // in List1: OK
    press(Qt::Key_J);
    EXPECT_EQ(model().CurrentDir, u"C:\\other\\");
}

TEST_F(DialogEnterScenario, enterOnTheFilterDialogsCancelButtonStoresNothing)
{
    start();
    platform::queueDialogHook([&](QDialog& d) {
        typeIn(d, QStringLiteral("*.c"));   // Text1(0) has the focus
        child<QPushButton>(d, "cmdCan")->setFocus();
        keyIn(d, Qt::Key_Return);
    });
    form->findChild<QPushButton*>("Command1")->click();
    EXPECT_EQ(model().FilterList[0], u"");
}

TEST_F(DialogEnterScenario, enterOnTheDisplayKindsCancelButtonKeepsTheKinds)
{
    start();
    platform::queueDialogHook([&](QDialog& d) {
        child<QCheckBox>(d, "Check2")->setChecked(true);   // Hidden
        child<QPushButton>(d, "cmdCan")->setFocus();
        keyIn(d, Qt::Key_Return);
    });
    form->findChild<QPushButton*>("cmdHiddn")->click();
    EXPECT_EQ(model().displayKinds.ShowHidden, 0);
}

}
}

#include "tests/support/DialogKeys.h"
#include "tests/ui/Form1Fixture.h"
#include "ui/QtUi.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <filesystem>

namespace sorvik::test {
namespace {

QStringList lines(QDialog& d)
{
    QStringList out;
    auto* list = d.findChild<QListWidget*>("List1");
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// The selected line of List1, -1 for none.
int selectedLine(QDialog& d)
{
    auto* list = d.findChild<QListWidget*>("List1");
    QListWidgetItem* item = list->currentItem();
    return item && item->isSelected() ? list->row(item) : -1;
}

void click(QDialog& d, const char* button)
{
    d.findChild<QPushButton*>(QString::fromUtf8(button))->click();
}

class JumpScenario : public Form1Fixture {
protected:
    void SetUp() override
    {
        Form1Fixture::SetUp();
        platform::clearDialogHooks();
        drives.makeDir(u"C:\\work\\docs");
        drives.writeBytes(u"C:\\work\\w.txt", "w");
        drives.writeBytes(u"C:\\work\\docs\\d.txt", "d");
        drives.makeDir(u"D:\\music");
        drives.writeBytes(u"D:\\music\\song.wav", "s");
    }
    void TearDown() override
    {
        EXPECT_EQ(platform::dialogsLeftOpen(), 0) << "a dialog was left open by its test";
        platform::clearDialogHooks();
        Form1Fixture::TearDown();
    }

    // Shift+J, typing `alias` over the offered one (empty: Enter on the offer).
    void registerAs(const QString& alias, QString* offered = nullptr)
    {
        platform::queueDialogHook([alias, offered](QDialog& d) {
            if (offered)
                *offered = d.findChild<QLineEdit*>("Text1")->text();
            EXPECT_EQ(d.windowTitle(), QStringLiteral("Jumpﾊﾟｽの登録"));
            if (!alias.isEmpty())
                typeIn(d, alias);
            keyIn(d, Qt::Key_Return);
        });
        press(Qt::Key_J, Qt::ShiftModifier);
    }

    std::vector<std::pair<u16, u16>> entries()
    {
        std::vector<std::pair<u16, u16>> out;
        for (const clsJump& e : model().JumpList)
            out.emplace_back(e.Alias, e.fPath);
        return out;
    }

    std::string jumpSection()
    {
        const std::string ini = drives.readBytes(u"C:\\prog\\SYSDAT\\黑黑黑黑.ini");
        const std::size_t from = ini.find("[Jump]\r\n");
        const std::size_t to = ini.find("[Filter]\r\n");
        return from == std::string::npos || to == std::string::npos ? ini : ini.substr(from, to - from);
    }
};

using Entries = std::vector<std::pair<u16, u16>>;

TEST_F(JumpScenario, registerRenameDeleteAndOpenThenTheJumpSectionAtClose)
{
    Form1& f = start();
    QString offered;
    registerAs(QString(), &offered);
    EXPECT_EQ(offered, QStringLiteral("work"));
    model().setTreePath(u"C:\\work\\docs");
    registerAs(QStringLiteral("Papers"), &offered);
    EXPECT_EQ(offered, QStringLiteral("docs"));
    model().setTreePath(u"D:\\music");
    registerAs(QStringLiteral("Music"));
    ASSERT_EQ(
        entries(), (Entries{{u"work", u"C:\\work\\"}, {u"Papers", u"C:\\work\\docs\\"}, {u"Music", u"D:\\music\\"}}));
    model().setTreePath(u"C:\\work");
    press(Qt::Key_Down);
    press(Qt::Key_Left);   // J works from the tree too; the table gets the focus afterwards

    QString caption, inputCaption, inputText;
    QStringList shown, afterRename, afterDelete;
    int selectedAfterRename = -2, selectedAfterDelete = -2;
    platform::queueDialogHook([&](QDialog& d) {
        caption = d.windowTitle();
        shown = lines(d);
        EXPECT_EQ(selectedLine(d), 0) << "the first line is selected";
        EXPECT_EQ(focusName(), QStringLiteral("List1"));
        click(d, "cmdReName");   // runs the frmInput hook below
        afterRename = lines(d);
        selectedAfterRename = selectedLine(d);
        keyIn(d, Qt::Key_P);   // Papers
        click(d, "cmdDel");
        afterDelete = lines(d);
        selectedAfterDelete = selectedLine(d);
        EXPECT_EQ(focusName(), QStringLiteral("List1"));
        keyIn(d, Qt::Key_M);        // Music
        keyIn(d, Qt::Key_Return);   // OK
    });
    platform::queueDialogHook([&](QDialog& d) {
        inputCaption = d.windowTitle();
        inputText = d.findChild<QLineEdit*>("Text1")->text();
        typeIn(d, QStringLiteral("Work2"));
        keyIn(d, Qt::Key_Return);
    });
    press(Qt::Key_J);

    EXPECT_EQ(caption, QStringLiteral("Jumpﾌｧｵﾙﾀﾞｰ"));
    EXPECT_EQ(shown, (QStringList{"work", "Papers", "Music"}));
    EXPECT_EQ(inputCaption, QStringLiteral("Jumpﾊﾟｽの修正"));
    EXPECT_EQ(inputText, QStringLiteral("work"));
    EXPECT_EQ(afterRename, (QStringList{"Work2", "Papers", "Music"})) << "shown at its old place";
    EXPECT_EQ(selectedAfterRename, 0);
    EXPECT_EQ(afterDelete, (QStringList{"Work2", "Music"}));
    EXPECT_EQ(selectedAfterDelete, 0) << "the line before the deleted one";

    EXPECT_EQ(model().CurrentDir, u"D:\\music\\");
    EXPECT_EQ(model().Dir1.path().substr(0, 8), u"D:\\music");
    ASSERT_NE(f.dirTree()->currentItem(), nullptr);
    EXPECT_EQ(f.dirTree()->currentItem()->text().trimmed(), QStringLiteral("music")) << "the tree shows it too";
    EXPECT_EQ(table().fileName(1), u"song.wav");
    EXPECT_EQ(table().row(), 1);
    EXPECT_EQ(table().col(), 0);
    EXPECT_EQ(f.focusWidget(), f.grid());
    EXPECT_TRUE(ui.messages().empty());

    closeForm();
    EXPECT_EQ(jumpSection(), "[Jump]\r\nD:\\music\\\r\nMusic,D:\\music\\\r\nWork2,C:\\work\\\r\n\r\n");
}

TEST_F(JumpScenario, jWithAnEmptyListShowsNothingAndKeepsTheFocus)
{
    Form1& f = start();
    press(Qt::Key_Left);
    ASSERT_EQ(focused(), f.dirTree());
    press(Qt::Key_J);
    EXPECT_TRUE(platform::shownDialogs().empty());
    EXPECT_EQ(focused(), f.dirTree());
}

TEST_F(JumpScenario, theRootOffersTheDriveAndCancelRegistersNothing)
{
    start(u"C:\\");
    QString offered;
    registerAs(QString(), &offered);
    EXPECT_EQ(offered, QStringLiteral("C:"));
    EXPECT_EQ(entries(), (Entries{{u"C:", u"C:\\"}}));

    platform::queueDialogHook([](QDialog& d) {
        typeIn(d, QStringLiteral("other"));
        keyIn(d, Qt::Key_Escape);
    });
    press(Qt::Key_J, Qt::ShiftModifier);
    platform::queueDialogHook([](QDialog& d) {
        typeIn(d, QStringLiteral("other"));
        click(d, "cmdCan");
    });
    press(Qt::Key_J, Qt::ShiftModifier);
    EXPECT_EQ(entries(), (Entries{{u"C:", u"C:\\"}}));
}

TEST_F(JumpScenario, anAliasWithACommaIsRefusedWithAMessage)
{
    start();
    registerAs(QStringLiteral("a,b"));
    EXPECT_TRUE(entries().empty());
    EXPECT_EQ(ui.messages(), (std::vector<u16>{u"名前に[,]が有ります"}));
    closeForm();
    EXPECT_EQ(jumpSection(), "[Jump]\r\nC:\\work\\\r\n\r\n");
}

TEST_F(JumpScenario, renamingOntoAnotherAliasIsRefusedAndBothEntriesStay)
{
    start();
    registerAs(QStringLiteral("doc"));
    model().setTreePath(u"C:\\work\\docs");
    registerAs(QStringLiteral("work"));
    QStringList after;
    platform::queueDialogHook([&](QDialog& d) {
        click(d, "cmdReName");
        after = lines(d);
        click(d, "cmdReName");
        click(d, "cmdCan");
    });
    platform::queueDialogHook([](QDialog& d) {
        typeIn(d, QStringLiteral("WORK"));
        keyIn(d, Qt::Key_Return);
    });
    platform::queueDialogHook([](QDialog& d) {
        typeIn(d, QStringLiteral("d,c"));
        keyIn(d, Qt::Key_Return);
    });
    press(Qt::Key_J);
    EXPECT_EQ(ui.messages(), (std::vector<u16>{u"WORK は登録済みです", u"名前に[,]が有ります"}));
    EXPECT_EQ(after, (QStringList{"doc", "work"}));
    EXPECT_EQ(entries(), (Entries{{u"doc", u"C:\\work\\"}, {u"work", u"C:\\work\\docs\\"}}));
}

TEST_F(JumpScenario, withNoLineSelectedDeleteAndRenameSaySoAndOkDoesNothing)
{
    start();
    registerAs(QStringLiteral("one"));
    model().setTreePath(u"C:\\work\\docs");
    registerAs(QStringLiteral("two"));
    int selected = -2;
    platform::queueDialogHook([&](QDialog& d) {
        click(d, "cmdDel");   // the first line: nothing is selected afterwards
        selected = selectedLine(d);
        click(d, "cmdDel");
        click(d, "cmdReName");
        click(d, "cmdOK");
    });
    press(Qt::Key_J);
    EXPECT_EQ(selected, -1);
    EXPECT_EQ(ui.messages(), (std::vector<u16>{u"消去する項目を選んで下さい", u"修正する項目を選んで下さい"}));
    EXPECT_EQ(entries(), (Entries{{u"two", u"C:\\work\\docs\\"}}));
    EXPECT_EQ(model().CurrentDir, u"C:\\work\\docs\\") << "an empty choice goes nowhere";
}

TEST_F(JumpScenario, escCancelsButKeepsADeletion)
{
    start();
    registerAs(QStringLiteral("one"));
    registerAs(QStringLiteral("two"));
    model().setTreePath(u"C:\\work\\docs");
    platform::queueDialogHook([](QDialog& d) {
        click(d, "cmdDel");
        keyIn(d, Qt::Key_Escape);
    });
    press(Qt::Key_J);
    EXPECT_EQ(entries(), (Entries{{u"two", u"C:\\work\\"}}));
    EXPECT_EQ(model().CurrentDir, u"C:\\work\\docs\\");
}

TEST_F(JumpScenario, typedLettersSelectOnlyAliasesBeginningWithThatCapital)
{
    start();
    for (const char* alias : {"alpha", "Beta", "bravo", "Bingo", "9lives", "かな"})
        registerAs(QString::fromUtf8(alias));
    std::vector<int> picks;
    platform::queueDialogHook([&](QDialog& d) {
        for (int k : {Qt::Key_B, Qt::Key_B, Qt::Key_B, Qt::Key_A, Qt::Key_9}) {
            keyIn(d, k);
            picks.push_back(selectedLine(d));
        }
        keyIn(d, Qt::Key_Escape);
    });
    press(Qt::Key_J);
    // From "alpha": Beta, Bingo, round to Beta; no capital A stays; 9lives.
    EXPECT_EQ(picks, (std::vector<int>{1, 3, 1, 1, 4}));
}

TEST_F(JumpScenario, aFolderThatIsGoneLeadsToTheProgramDirectoryWithAMessage)
{
    drives.makeDir(u"C:\\gone");
    start();
    model().setTreePath(u"C:\\gone");
    registerAs(QStringLiteral("gone"));
    model().setTreePath(u"C:\\work");
    std::filesystem::remove_all(drives.host(u"C:\\gone"));
    platform::queueDialogHook([](QDialog& d) { click(d, "cmdOK"); });
    press(Qt::Key_J);
    EXPECT_EQ(ui.messages(), (std::vector<u16>{u"パスが見つかりません"}));
    EXPECT_EQ(model().CurrentDir, u"C:\\prog\\");
    EXPECT_EQ(table().row(), 1) << "still done: the cursor goes to row 1";
    EXPECT_EQ(form->focusWidget(), form->grid());
}

}
}

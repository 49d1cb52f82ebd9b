#include "assoc/Form2.h"
#include "platform/Launch.h"
#include "tests/assoc/FakePrograms.h"
#include "tests/support/Cp932.h"
#include "tests/support/DialogKeys.h"
#include "tests/ui/Form1Fixture.h"
#include "ui/QtUi.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include <functional>

namespace sorvik::test {
namespace {

// Runs events until `done` holds: a button's mnemonic clicks it a moment later.
bool waitUntil(const std::function<bool()>& done, int ms = 5000)
{
    for (int waited = 0; !done() && waited < ms; waited += 10)
        QTest::qWait(10);
    return done();
}

QString selectedText(const QListWidget* list)
{
    const QList<QListWidgetItem*> items = list->selectedItems();
    return items.isEmpty() ? QString() : items.front()->text();
}

// The recording programs: shell scripts on Linux, copies of fake_program.exe
// on Windows.
const std::u16string kExt16 = kRecorderExt;
const std::string kExt8(kExt16.begin(), kExt16.end());
const QString kExtQ = QString::fromStdU16String(kExt16);

const std::u16string kAssocFile = u"C:\\prog\\SYSDAT\\黑黑黑黑.txt";

class AssociationScenario : public Form1Fixture {
protected:
    void SetUp() override
    {
        Form1Fixture::SetUp();
        platform::clearDialogHooks();
        drives.makeDir(u"C:\\tools");
        log = drives.host(u"C:\\tools") + "/rec.log";
        writeRecordingScript(drives.host(u"C:\\tools\\rec" + kExt16), log, 0);
        drives.writeBytes(u"C:\\tools\\readme.txt", "not a program");
        drives.writeBytes(u"C:\\work\\doc.xyz", "document");
        drives.writeBytes(u"C:\\work\\setup.exe", "program");
        opener.answer(4);   // the desktop knows no program for anything
    }
    void TearDown() override
    {
        EXPECT_EQ(platform::dialogsLeftOpen(), 0) << "a dialog was left open by its test";
        platform::clearDialogHooks();
        Form1Fixture::TearDown();
    }

    void associations(std::u16string_view text)
    {
        drives.makeDir(u"C:\\prog\\SYSDAT");
        drives.writeBytes(kAssocFile, cp932(text));
    }

    void cursorOn(u16view name)
    {
        while (table().fileName(table().row()) != name && table().row() < table().fileCount())
            press(Qt::Key_Down);
        ASSERT_EQ(table().fileName(table().row()), u16(name));
    }

    // Alt+R, then waits until the editor has come and gone.
    void pressAltR()
    {
        const std::size_t before = platform::shownDialogs().size();
        press(Qt::Key_R, Qt::AltModifier);
        ASSERT_TRUE(
            waitUntil([&] { return platform::shownDialogs().size() > before && !QApplication::activeModalWidget(); }));
    }

    static Form2& form2(QDialog& d)
    {
        auto* f = qobject_cast<Form2*>(&d);
        EXPECT_NE(f, nullptr);
        return *f;
    }

    FakeOpener opener;
    std::string log;
};

TEST_F(AssociationScenario, associateByKeysThenOpenWithTheRecordedProgram)
{
    start();
    cursorOn(u"doc.xyz");
    QString caption, text1, label1InFile1, file1Back;
    QStringList file1Items, list1Items;
    platform::queueDialogHook([&](QDialog& d) {
        caption = d.windowTitle();
        text1 = d.findChild<QLineEdit*>("Text1")->text();
        // No line yet: the browser starts in the working directory, the data directory.
        EXPECT_EQ(focusName(), QStringLiteral("Dir1"));
        EXPECT_EQ(form2(d).browser().tree().path(), u"C:\\prog\\SYSDAT");
        keyIn(d, Qt::Key_Up);       // prog
        keyIn(d, Qt::Key_Up);       // the root
        keyIn(d, Qt::Key_Return);   // open the root: prog, tools, work
        keyIn(d, Qt::Key_Down);
        keyIn(d, Qt::Key_Down);   // tools
        keyIn(d, Qt::Key_Return);
        keyIn(d, Qt::Key_Right);   // File1
        EXPECT_EQ(focusName(), QStringLiteral("File1"));
        auto* file1 = d.findChild<QListWidget*>("File1");
        file1Items = itemsOf(file1);
        label1InFile1
            = d.findChild<QLabel*>("Label1")->isVisible() ? d.findChild<QLabel*>("Label1")->text() : QString();
        file1Back = file1->styleSheet();
        keyIn(d, Qt::Key_Down);   // chooses the recording program
        EXPECT_EQ(selectedText(file1), (QStringLiteral("rec") + kExtQ));
        keyIn(d, Qt::Key_Return);   // add
        list1Items = itemsOf(d.findChild<QListWidget*>("List1"));
        keyIn(d, Qt::Key_Q);
    });
    pressAltR();

    EXPECT_EQ(caption, QStringLiteral("ﾌｧｲﾙの関連づけテーブル"));
    EXPECT_EQ(text1, QStringLiteral("*.XYZ"));
    EXPECT_EQ(file1Items, QStringList{(QStringLiteral("rec") + kExtQ)}) << "programs only";
    EXPECT_EQ(label1InFile1, QStringLiteral("ﾘﾀｰﾝで追加"));
    EXPECT_TRUE(file1Back.contains(QStringLiteral("rgb(255,255,192)"))) << file1Back.toStdString();
    EXPECT_EQ(list1Items, QStringList{(QStringLiteral("*.XYZ,C:\\tools\\rec") + kExtQ)});
    EXPECT_EQ(drives.readBytes(kAssocFile), ("*.XYZ,C:\\tools\\rec" + kExt8 + "\r\n"));
    EXPECT_TRUE(ui.messages().empty());
    ASSERT_EQ(model().AssocTable.count(), 1) << "reloaded after the editor";

    press(Qt::Key_Down);
    press(Qt::Key_Up);
    EXPECT_EQ(focused(), form->grid()) << "the keys are the table's again";
    cursorOn(u"doc.xyz");
    press(Qt::Key_Return, Qt::ShiftModifier);
#ifndef _WIN32
    EXPECT_EQ(opener.runs(), (Runs{{drives.host(u"C:\\work\\doc.xyz")}})) << "the desktop first";
#endif
    EXPECT_EQ(waitForRuns(log, 1), (Runs{{asLaunched(drives.host(u"C:\\work\\doc.xyz"))}}));
}

TEST_F(AssociationScenario, theEditorOpensOnTheLinesProgramAndReplacesDeletesAndKeepsSelections)
{
    associations(u"*.DOC,C:\\W\\w.exe\r\n*.xyz,C:\\tools\\old" + kExt16 + u"\r\n*.LOG,C:\\L\\l.exe\r\n");
    writeRecordingScript(drives.host(u"C:\\tools\\new" + kExt16), log, 0);
    start();
    cursorOn(u"doc.xyz");
    ui = platform::ScriptedUi({true});
    QString text1AfterClick, label1InList1, list1Style, file1AfterRoundTrip, list1AfterRoundTrip;
    QStringList afterReplace, afterDelete;
    platform::queueDialogHook([&](QDialog& d) {
        auto* file1 = d.findChild<QListWidget*>("File1");
        auto* list1 = d.findChild<QListWidget*>("List1");
        EXPECT_EQ(form2(d).browser().tree().path(), u"C:\\tools") << "the directory of the *.xyz line";
        EXPECT_EQ(focusName(), QStringLiteral("File1"));
        EXPECT_EQ(itemsOf(file1), (QStringList{(QStringLiteral("new") + kExtQ), (QStringLiteral("rec") + kExtQ)}));
        keyIn(d, Qt::Key_Down);    // the new recording program
        keyIn(d, Qt::Key_Right);   // List1
        label1InList1 = d.findChild<QLabel*>("Label1")->text();
        list1Style = list1->styleSheet();
        keyIn(d, Qt::Key_Down);   // the first line
        keyIn(d, Qt::Key_Down);   // *.xyz
        text1AfterClick = d.findChild<QLineEdit*>("Text1")->text();
        keyIn(d, Qt::Key_Left);   // File1, still on new.sh
        file1AfterRoundTrip = selectedText(file1);
        list1AfterRoundTrip = selectedText(list1);
        keyIn(d, Qt::Key_Return);   // replaces the *.xyz line in place
        afterReplace = itemsOf(list1);
        keyIn(d, Qt::Key_Right);
        keyIn(d, Qt::Key_Up);   // *.DOC
        keyIn(d, Qt::Key_Up);
        keyIn(d, Qt::Key_D);   // asked, answered Yes
        afterDelete = itemsOf(list1);
        keyIn(d, Qt::Key_Q);
    });
    pressAltR();

    EXPECT_EQ(label1InList1, QStringLiteral("Dで削除"));
    EXPECT_TRUE(list1Style.contains(QStringLiteral("rgb(0,0,255)"))) << list1Style.toStdString();
    EXPECT_EQ(text1AfterClick, QStringLiteral("*.xyz")) << "a selected line's pattern goes to Text1";
    EXPECT_EQ(file1AfterRoundTrip, (QStringLiteral("new") + kExtQ));
    EXPECT_EQ(list1AfterRoundTrip, (QStringLiteral("*.xyz,C:\\tools\\old") + kExtQ));
    EXPECT_EQ(afterReplace,
        (QStringList{QStringLiteral("*.DOC,C:\\W\\w.exe"), (QStringLiteral("*.xyz,C:\\tools\\new") + kExtQ),
            QStringLiteral("*.LOG,C:\\L\\l.exe")}));
    EXPECT_EQ(afterDelete,
        (QStringList{(QStringLiteral("*.xyz,C:\\tools\\new") + kExtQ), QStringLiteral("*.LOG,C:\\L\\l.exe")}));
    EXPECT_EQ(ui.questions(), std::vector<u16>{u"*.DOC,C:\\W\\w.exe削除します"});
    EXPECT_EQ(drives.readBytes(kAssocFile), ("*.xyz,C:\\tools\\new" + kExt8 + "\r\n*.LOG,C:\\L\\l.exe\r\n"));

    press(Qt::Key_Down);
    press(Qt::Key_Up);
    cursorOn(u"doc.xyz");
    press(Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(waitForRuns(log, 1), (Runs{{asLaunched(drives.host(u"C:\\work\\doc.xyz"))}}))
        << ("new" + kExt8 + " runs now");
}

TEST_F(AssociationScenario, theDriveListMovesTheBrowserAndEnterGoesOnToTheDirectories)
{
    drives.makeDir(u"D:\\bin");
    start();
    cursorOn(u"doc.xyz");
    QString drive1Style, label1OnDrive1;
    platform::queueDialogHook([&](QDialog& d) {
        keyIn(d, Qt::Key_Up);
        keyIn(d, Qt::Key_Up);   // the root
        keyIn(d, Qt::Key_Up);   // at the root: the drive list
        EXPECT_EQ(focusName(), QStringLiteral("Drive1"));
        drive1Style = d.findChild<QWidget*>("Drive1")->styleSheet();
        label1OnDrive1 = d.findChild<QLabel*>("Label1")->isVisible() ? QStringLiteral("shown") : QString();
        keyIn(d, Qt::Key_Down);   // d:
        EXPECT_EQ(form2(d).browser().tree().path(), u"D:\\");
        EXPECT_EQ(d.findChild<QListWidget*>("Dir1")->count(), 2) << "D:\\ and bin";
        keyIn(d, Qt::Key_Return);
        EXPECT_EQ(focusName(), QStringLiteral("Dir1"));
        keyIn(d, Qt::Key_Q);
    });
    pressAltR();
    EXPECT_TRUE(drive1Style.contains(QStringLiteral("rgb(255,255,192)"))) << drive1Style.toStdString();
    EXPECT_TRUE(label1OnDrive1.isEmpty()) << "no hint outside File1 and List1";
    EXPECT_FALSE(drives.exists(kAssocFile)) << "nothing changed, nothing written";
}

TEST_F(AssociationScenario, escLeavesTheFileAsItWas)
{
    associations(u"*.XYZ,C:\\tools\\rec" + kExt16 + u"\r\n");
    start();
    cursorOn(u"doc.xyz");
    platform::queueDialogHook([&](QDialog& d) {
        keyIn(d, Qt::Key_Right);
        keyIn(d, Qt::Key_Down);
        keyIn(d, Qt::Key_D);   // deleted after the question
        EXPECT_EQ(d.findChild<QListWidget*>("List1")->count(), 0);
        keyIn(d, Qt::Key_Escape);
    });
    pressAltR();
    EXPECT_EQ(drives.readBytes(kAssocFile), ("*.XYZ,C:\\tools\\rec" + kExt8 + "\r\n"));
    EXPECT_EQ(ui.questions().size(), 1u);
}

TEST_F(AssociationScenario, aLineOnADriveThatIsGoneShowsProgramDirAfterOneMessage)
{
    associations(u"*.XYZ,Q:\\GONE\\x.exe\r\n");
    drives.writeBytes(u"C:\\prog\\helper.bat", "x");
    start();
    cursorOn(u"doc.xyz");
    QStringList file1Items;
    platform::queueDialogHook([&](QDialog& d) {
        EXPECT_EQ(form2(d).browser().tree().path(), u"C:\\prog");
        file1Items = itemsOf(d.findChild<QListWidget*>("File1"));
        keyIn(d, Qt::Key_Q);
    });
    pressAltR();
    EXPECT_EQ(ui.messages(), std::vector<u16>{u"パスが見つかりません"});
    EXPECT_EQ(file1Items, QStringList{QStringLiteral("helper.bat")});
    EXPECT_EQ(drives.readBytes(kAssocFile), cp932(u"*.XYZ,Q:\\GONE\\x.exe\r\n")) << "nothing changed, nothing written";
}

TEST_F(AssociationScenario, theButtonRefusesOtherCellsAndProgramFilesAndGivesTheKeysBack)
{
    start();
    cursorOn(u"setup.exe");
    press(Qt::Key_R, Qt::AltModifier);
    ASSERT_TRUE(waitUntil([&] { return ui.messages().size() == 1; }));
    EXPECT_EQ(ui.messages()[0], u"この拡張子は関連づけ出来ません");
    press(Qt::Key_Up);
    EXPECT_EQ(focused(), form->grid());
    model().Grid1.setCursor(1, 2);
    press(Qt::Key_R, Qt::AltModifier);
    ASSERT_TRUE(waitUntil([&] { return ui.messages().size() == 2; }));
    EXPECT_EQ(ui.messages()[1], u"ここは関連づけ出来ません");
    EXPECT_TRUE(platform::shownDialogs().empty());
}

TEST_F(AssociationScenario, aMouseDoubleClickOnTheNameOpensTheFile)
{
    associations(u"*.XYZ,C:\\tools\\rec" + kExt16 + u"\r\n");
    start();
    int row = 0;
    for (int r = 1; r <= table().fileCount(); ++r)
        if (table().fileName(r) == u"doc.xyz")
            row = r;
    ASSERT_GT(row, 0);
    Grid1* grid = form->grid();
    const QRect name = grid->visualRect(grid->model()->index(row, 0));
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, name.center());
    QApplication::processEvents();
    EXPECT_EQ(waitForRuns(log, 1), (Runs{{asLaunched(drives.host(u"C:\\work\\doc.xyz"))}}));
#ifndef _WIN32
    EXPECT_EQ(opener.runs().size(), 1u) << "once, the desktop first";
#endif

    // Column 1 of the same row does nothing.
    platform::StartedPrograms started;
    const QRect attributes = grid->visualRect(grid->model()->index(row, 1));
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, attributes.center());
    QApplication::processEvents();
#ifndef _WIN32
    EXPECT_EQ(opener.runs().size(), 1u);
#endif
    EXPECT_EQ(started.waitUntilEnded(), 0u);
    EXPECT_EQ(readRuns(log).size(), 1u);
}

TEST_F(AssociationScenario, theEditorFollowsTheResizeRules)
{
    start();
    cursorOn(u"doc.xyz");
    QRect listBefore, listAfter, exitAfter, dirAfter;
    int heightAfter = 0;
    QPoint offset, wanted;
    platform::queueDialogHook([&](QDialog& d) {
        const QRect main = form->frameGeometry();
        offset = d.pos() - main.topLeft();
        wanted = QPoint(int((main.width() - d.width()) * 0.5), int((main.height() - d.height()) * 0.4));
        auto* list1 = d.findChild<QListWidget*>("List1");
        listBefore = list1->geometry();
        d.resize(d.width() + 100, d.height() + 40);
        QApplication::processEvents();
        listAfter = list1->geometry();
        exitAfter = d.findChild<QPushButton*>("cmdExit")->geometry();
        dirAfter = d.findChild<QWidget*>("Dir1")->geometry();
        heightAfter = d.height();
        const QRect beforeNarrow = list1->geometry();
        d.resize(twipsToPx(4800), d.height());
        QApplication::processEvents();
        EXPECT_EQ(list1->geometry(), beforeNarrow) << "below 5000 twips nothing moves";
        keyIn(d, Qt::Key_Escape);
    });
    pressAltR();
    // Over the main window, a little above its middle (frames aside).
    EXPECT_NEAR(offset.x(), wanted.x(), 8);
    EXPECT_NEAR(offset.y(), wanted.y(), 8);
    EXPECT_NEAR(listAfter.width() - listBefore.width(), 100, 1);
    EXPECT_NEAR(listAfter.height(), twipsToPx(pxToTwips(heightAfter) - 900), 1);
    EXPECT_NEAR(dirAfter.height(), listAfter.height(), 1);
    EXPECT_NEAR(exitAfter.bottom() + 1, heightAfter - twipsToPx(60), 1);
}

}
}

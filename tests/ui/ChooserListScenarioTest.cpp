#include "tests/support/DialogKeys.h"
#include "tests/ui/Form1Fixture.h"
#include "ui/QtUi.h"

#include <QLineEdit>
#include <QListWidget>

namespace sorvik::test {
namespace {

QStringList selectedOf(const QListWidget* list)
{
    QStringList out;
    for (const QListWidgetItem* item : list->selectedItems())
        out << item->text();
    return out;
}

class ChooserListScenario : public Form1Fixture {
protected:
    void SetUp() override
    {
        Form1Fixture::SetUp();
        platform::clearDialogHooks();
        // Enough names that the directory's own order is unlikely to be name order.
        for (const char16_t* name : {u"date.txt", u"Apple.txt", u"cherry.TXT", u"Banana.txt", u"fig.txt", u"Elder.txt",
                 u"grape.txt", u"Honeydew.txt"})
            drives.writeBytes(u"C:\\work\\" + u16(name), "x");
    }
    void TearDown() override
    {
        EXPECT_EQ(platform::dialogsLeftOpen(), 0) << "a dialog was left open by its test";
        platform::clearDialogHooks();
        Form1Fixture::TearDown();
    }
};

TEST_F(ChooserListScenario, theOperationDialogsFileListIsInNameOrderLetterCaseAside)
{
    start();
    QStringList shown;
    platform::queueDialogHook([&](QDialog& d) {
        shown = itemsOf(d.findChild<QListWidget*>("File1"));
        keyIn(d, Qt::Key_Escape);
    });
    press(Qt::Key_C);
    EXPECT_EQ(shown,
        (QStringList{
            "Apple.txt", "Banana.txt", "cherry.TXT", "date.txt", "Elder.txt", "fig.txt", "grape.txt", "Honeydew.txt"}));
}

TEST_F(ChooserListScenario, theFirstDownInTheFileListSelectsItsFirstFile)
{
    start();
    QStringList selectedAfterDown, selectedAfterSecondDown;
    QString text2;
    platform::queueDialogHook([&](QDialog& d) {
        auto* file1 = d.findChild<QListWidget*>("File1");
        keyIn(d, Qt::Key_Left);   // File1
        ASSERT_EQ(focusName(), QStringLiteral("File1"));
        EXPECT_TRUE(file1->selectedItems().isEmpty()) << "nothing is chosen before a key";
        keyIn(d, Qt::Key_Down);
        selectedAfterDown = selectedOf(file1);
        keyIn(d, Qt::Key_Return);   // the chosen name into Text2
        text2 = d.findChild<QLineEdit*>("Text2")->text();
        keyIn(d, Qt::Key_Down);
        selectedAfterSecondDown = selectedOf(file1);
        keyIn(d, Qt::Key_Escape);
    });
    press(Qt::Key_C);
    EXPECT_EQ(selectedAfterDown, QStringList{"Apple.txt"});
    EXPECT_EQ(text2, QStringLiteral("Apple.txt"));
    EXPECT_EQ(selectedAfterSecondDown, QStringList{"Banana.txt"});
}

TEST_F(ChooserListScenario, theFirstDownInTheAssociationEditorsProgramListSelectsItsFirstProgram)
{
    drives.makeDir(u"C:\\tools");
    for (const char16_t* name : {u"b.exe", u"A.bat", u"c.com"})
        drives.writeBytes(u"C:\\tools\\" + u16(name), "program");
    start();
    QStringList shown, selectedAfterDown;
    platform::queueDialogHook([&](QDialog& d) {
        ASSERT_EQ(focusName(), QStringLiteral("Dir1"));   // on C:\prog\SYSDAT
        keyIn(d, Qt::Key_Up);
        keyIn(d, Qt::Key_Up);       // the root
        keyIn(d, Qt::Key_Return);   // prog, tools, work
        keyIn(d, Qt::Key_Down);
        keyIn(d, Qt::Key_Down);
        keyIn(d, Qt::Key_Return);   // C:\tools
        keyIn(d, Qt::Key_Right);    // File1
        ASSERT_EQ(focusName(), QStringLiteral("File1"));
        auto* file1 = d.findChild<QListWidget*>("File1");
        shown = itemsOf(file1);
        keyIn(d, Qt::Key_Down);
        selectedAfterDown = selectedOf(file1);
        keyIn(d, Qt::Key_Escape);
    });
    press(Qt::Key_R, Qt::AltModifier);
    ASSERT_TRUE(
        QTest::qWaitFor([] { return !platform::shownDialogs().empty() && !QApplication::activeModalWidget(); }));
    EXPECT_EQ(shown, (QStringList{"A.bat", "b.exe", "c.com"}));
    EXPECT_EQ(selectedAfterDown, QStringList{"A.bat"});
}

TEST_F(ChooserListScenario, okOnTheUnchangedNameStoresTheDescriptionAnewAndRefreshes)
{
    start();
    ASSERT_EQ(table().fileName(1), u"Apple.txt");
    model().descriptions.ComentSet(u"C:\\work\\Apple.txt", u"林檎");
    model().descriptions.ComentSet(u"C:\\work\\Banana.txt", u"バナナ");
    model().descriptions.ComentsChanged = false;
    drives.writeBytes(u"C:\\work\\Apricot.txt", "x");   // shows once the table is refreshed
    platform::queueDialogHook([&](QDialog& d) { keyIn(d, Qt::Key_Return); });
    press(Qt::Key_R);
    std::vector<u16> order;
    model().descriptions.store().forEach([&](const clsComent& c) {
        if (c.Path.starts_with(u"C:\\work\\"))
            order.push_back(c.Path);
    });
    EXPECT_EQ(order, (std::vector<u16>{u"C:\\work\\Banana.txt", u"C:\\work\\Apple.txt"}));
    EXPECT_TRUE(model().descriptions.ComentsChanged);
    EXPECT_EQ(table().fileName(2), u"Apricot.txt") << "the table was refreshed";
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(drives.readBytes(u"C:\\work\\Apple.txt"), "x");
}

}
}

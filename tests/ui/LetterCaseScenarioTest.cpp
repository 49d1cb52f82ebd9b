// Names that differ only in letter case, through the keys: rename refuses a
// name another file holds in another case, copy takes such a file for its
// destination, pack updates such an archive; no description is lost.

#include "tests/support/Cp932.h"
#include "tests/support/DialogKeys.h"
#include "tests/ui/Form1Fixture.h"
#include "ui/QtUi.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

namespace sorvik::test {
namespace {

class LetterCaseScenario : public Form1Fixture {
protected:
    void SetUp() override
    {
        Form1Fixture::SetUp();
        platform::clearDialogHooks();
        drives.makeDir(u"C:\\dest");
        drives.makeDir(u"C:\\prog\\SYSDAT");
        drives.writeBytes(u"C:\\work\\a.txt", "alpha");
        drives.writeBytes(u"C:\\work\\b.txt", "beta");
        drives.setTime(u"C:\\work\\a.txt", 2019, 1, 1, 12, 0, 0);
    }
    void TearDown() override
    {
        EXPECT_EQ(platform::dialogsLeftOpen(), 0) << "a dialog was left open by its test";
        platform::clearDialogHooks();
        Form1Fixture::TearDown();
    }

    std::string central() const { return drives.readBytes(kCentral); }

    static constexpr const char16_t* kCentral = u"C:\\prog\\SYSDAT\\SorvikDP.txt";
};

TEST_F(LetterCaseScenario, renameOntoAnotherFilesNameInCapitalsIsRefusedAndBothDescriptionsStay)
{
    const std::string before = cp932(u"C:\\work\\a.txt,エーの説明\r\nC:\\work\\b.txt,ビーの説明\r\n");
    drives.writeBytes(kCentral, before);
    start();
    ASSERT_EQ(table().cell(2, 4), u"ビーの説明");
    platform::queueDialogHook([](QDialog&) {
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("B.TXT"));
        key(Qt::Key_Return);
    });
    press(Qt::Key_R);
    EXPECT_EQ(ui.messages(),
        std::vector<u16>{u"C:\\work\\a.txtの名前をB.TXTに変更できません\r\n同じ名前のファイルがあります"});
    EXPECT_EQ(drives.allNames(u"C:\\work"), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(table().cell(1, 4), u"エーの説明");
    EXPECT_EQ(table().cell(2, 4), u"ビーの説明");

    // Its own name in capitals is no other file's.
    platform::queueDialogHook([](QDialog&) {
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("A.TXT"));
        key(Qt::Key_Return);
    });
    press(Qt::Key_R);
    EXPECT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(drives.allNames(u"C:\\work"), (std::vector<std::string>{"A.TXT", "b.txt"}));
    closeForm();
    EXPECT_EQ(central(), cp932(u"C:\\work\\b.txt,ビーの説明\r\nC:\\work\\A.TXT,エーの説明\r\n"));
}

TEST_F(LetterCaseScenario, copyIntoADirectoryHoldingTheNameInCapitalsAsksAndReplacesThatFile)
{
    drives.writeBytes(u"C:\\dest\\A.TXT", "capital");
    drives.setTime(u"C:\\dest\\A.TXT", 2022, 1, 1, 12, 0, 0);
    drives.writeBytes(kCentral, cp932(u"C:\\work\\a.txt,エーの説明\r\nC:\\dest\\A.TXT,大文字の説明\r\n"));
    start();
    ASSERT_EQ(table().fileName(1), u"a.txt");

    ui = platform::ScriptedUi({false});
    platform::queueDialogHook([](QDialog&) {
        chooseDestInDialog();
        key(Qt::Key_Return);
    });
    press(Qt::Key_C);
    EXPECT_EQ(ui.questions().size(), 1u) << "the newer file in capitals is the destination";
    EXPECT_EQ(drives.allNames(u"C:\\dest"), std::vector<std::string>{"A.TXT"});
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\A.TXT"), "capital");

    ui = platform::ScriptedUi({true});
    platform::queueDialogHook([](QDialog&) {
        chooseDestInDialog();
        key(Qt::Key_Return);
    });
    press(Qt::Key_C);
    EXPECT_EQ(ui.questions().size(), 1u);
    EXPECT_EQ(drives.allNames(u"C:\\dest"), std::vector<std::string>{"A.TXT"}) << "no second file beside it";
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\A.TXT"), "alpha");
    EXPECT_TRUE(ui.messages().empty());
    closeForm();
    EXPECT_EQ(central(), cp932(u"C:\\work\\a.txt,エーの説明\r\nC:\\dest\\A.TXT,エーの説明\r\n"))
        << "the description went with the content, under the name the file has";
}

TEST_F(LetterCaseScenario, packIntoAnArchiveThatDiffersOnlyInCaseUpdatesIt)
{
    start();
    cursorTo(u"b.txt");
    platform::queueDialogHook([](QDialog& d) {
        auto* text2 = d.findChild<QLineEdit*>("Text2");
        text2->setFocus();
        text2->selectAll();
        QTest::keyClicks(text2, QStringLiteral("pack.lzh"));
        d.findChild<QPushButton*>("Command1")->setFocus();
        key(Qt::Key_Return);
    });
    press(Qt::Key_P);
    ASSERT_TRUE(ui.messages().empty()) << toUtf8(ui.messages()[0]);
    ASSERT_TRUE(drives.exists(u"C:\\work\\pack.lzh"));

    cursorTo(u"a.txt");
    platform::queueDialogHook([](QDialog& d) {
        auto* text2 = d.findChild<QLineEdit*>("Text2");
        text2->setFocus();
        text2->selectAll();
        QTest::keyClicks(text2, QStringLiteral("PACK.LZH"));
        d.findChild<QPushButton*>("Command1")->setFocus();
        key(Qt::Key_Return);
    });
    press(Qt::Key_P);
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(drives.allNames(u"C:\\work"), (std::vector<std::string>{"a.txt", "b.txt", "pack.lzh"}));
    const std::string archive = drives.readBytes(u"C:\\work\\pack.lzh");
    EXPECT_NE(archive.find("a.txt"), std::string::npos) << "added to the archive that was there";
    EXPECT_NE(archive.find("b.txt"), std::string::npos);
}

}
}

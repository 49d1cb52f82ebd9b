#include "platform/QtUi.h"
#include "tests/ui/Form1Fixture.h"

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <sys/stat.h>

namespace sorvik::test {
namespace {

void key(int k)
{
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, Qt::Key(k));
}

class ArchiveScenario : public Form1Fixture {
protected:
    void SetUp() override
    {
        Form1Fixture::SetUp();
        platform::clearDialogHooks();
        drives.makeDir(u"C:\\dest");
        drives.writeBytes(u"C:\\work\\Memo.Txt", std::string(20000, 'm') + "報告");
        drives.writeBytes(u"C:\\work\\plain.txt", "not an archive");
    }
    void TearDown() override
    {
        EXPECT_EQ(platform::dialogsLeftOpen(), 0);
        platform::clearDialogHooks();
        Form1Fixture::TearDown();
    }
    int rowOf(const u16& name)
    {
        for (int r = 1; r <= table().fileCount(); ++r)
            if (table().fileName(r) == name)
                return r;
        return -1;
    }
    void cursorTo(const u16& name)
    {
        const int row = rowOf(name);
        ASSERT_GT(row, 0);
        while (table().row() < row)
            press(Qt::Key_Down);
        while (table().row() > row)
            press(Qt::Key_Up);
    }
};

TEST_F(ArchiveScenario, packWithPThenUnpackWithUIntoAnotherDirectory)
{
    start();
    cursorTo(u"Memo.Txt");
    QString proposed, caption, command1;
    bool frame = false;
    platform::queueDialogHook([&](QDialog& d) {
        caption = d.windowTitle();
        proposed = d.findChild<QLineEdit*>("Text2")->text();
        command1 = d.findChild<QPushButton*>("Command1")->text();
        frame = d.findChild<QGroupBox*>("Frame1")->isVisible();
        key(Qt::Key_Return);
    });
    press(Qt::Key_P);
    EXPECT_EQ(caption, QStringLiteral("ﾌｧｲﾙの圧縮"));
    EXPECT_EQ(proposed, QStringLiteral("Memo.LZH"));
    EXPECT_EQ(command1, QStringLiteral("圧縮"));
    EXPECT_TRUE(frame);
    EXPECT_TRUE(ui.messages().empty()) << (ui.messages().empty() ? "" : toUtf8(ui.messages()[0]));
    ASSERT_GT(rowOf(u"Memo.LZH"), 0) << "the table was refreshed";

    cursorTo(u"Memo.LZH");
    bool text2Visible = true;
    platform::queueDialogHook([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("ﾌｧｲﾙの解凍"));
        EXPECT_EQ(d.findChild<QPushButton*>("Command1")->text(), QStringLiteral("展開"));
        text2Visible = d.findChild<QLineEdit*>("Text2")->isVisible();
        key(Qt::Key_Left);
        key(Qt::Key_Left);
        key(Qt::Key_Up);
        key(Qt::Key_Return);   // C:\ with dest, prog, work
        key(Qt::Key_Down);
        key(Qt::Key_Return);   // C:\dest
        key(Qt::Key_Right);
        key(Qt::Key_Right);
        key(Qt::Key_Return);
    });
    press(Qt::Key_U);
    EXPECT_FALSE(text2Visible);
    EXPECT_TRUE(ui.messages().empty()) << (ui.messages().empty() ? "" : toUtf8(ui.messages()[0]));
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\Memo.Txt"), drives.readBytes(u"C:\\work\\Memo.Txt"));
}

TEST_F(ArchiveScenario, uOnAFileThatIsNoArchiveSaysSoAndShowsNoDialog)
{
    start();
    cursorTo(u"plain.txt");
    press(Qt::Key_U);
    EXPECT_EQ(ui.messages(), std::vector<u16>{u"このﾌｧｲﾙはLHA圧縮ﾌｧｲﾙではありません"});
    EXPECT_TRUE(platform::shownDialogs().empty());
}

TEST_F(ArchiveScenario, markedFilesAreRefusedBeforeTheDialog)
{
    start();
    press(Qt::Key_Space);
    press(Qt::Key_Up);
    press(Qt::Key_P);
    EXPECT_EQ(ui.messages(), std::vector<u16>{u"ﾏｰｸを付けたﾌｧｲﾙの圧縮はできません"});
    EXPECT_TRUE(platform::shownDialogs().empty());
    EXPECT_EQ(model().CountMarkedRows(), 0) << "refreshed after the command all the same";
}

TEST_F(ArchiveScenario, anArchiverFailureIsShownWithItsSignedCode)
{
    drives.writeBytes(u"C:\\work\\Memo.LZH", "");
    start();
    ASSERT_EQ(chmod(drives.host(u"C:\\work\\Memo.LZH").c_str(), 0444), 0);
    cursorTo(u"Memo.Txt");
    platform::queueDialogHook([](QDialog&) { key(Qt::Key_Return); });
    press(Qt::Key_P);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].substr(0, 6), u"圧縮失敗 :");
    EXPECT_EQ(ui.messages()[0][6], u'-') << toUtf8(ui.messages()[0]);
}

}
}

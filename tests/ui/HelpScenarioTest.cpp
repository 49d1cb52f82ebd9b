#include "app/Form3.h"
#include "tests/support/DialogKeys.h"
#include "tests/ui/Form1Fixture.h"
#include "ui/QtConvert.h"
#include "ui/QtUi.h"

#include <QPlainTextEdit>
#include <QPushButton>

namespace sorvik::test {
namespace {

// "Sorvik 使用法" and "表示", Shift_JIS; 表 ends in the byte of "\".
const std::string kHelpBytes = "Sorvik \x8e\x67\x97\x70\x96\x40\r\n\r\n\x95\x5c\x8e\xa6";

class HelpScenario : public Form1Fixture {
protected:
    void SetUp() override
    {
        Form1Fixture::SetUp();
        platform::clearDialogHooks();
    }
    void TearDown() override
    {
        EXPECT_EQ(platform::dialogsLeftOpen(), 0) << "a dialog was left open by its test";
        platform::clearDialogHooks();
        Form1Fixture::TearDown();
    }

    struct Seen {
        QString caption;
        QString text;
        bool textFillsTheWindow = false;
        QString focus;
    };

    // Reads the viewer and closes it with Esc from inside the text.
    void expectViewer(Seen& seen)
    {
        platform::queueDialogHook([&seen](QDialog& d) {
            seen.caption = d.windowTitle();
            auto* text1 = d.findChild<QPlainTextEdit*>("Text1");
            ASSERT_NE(text1, nullptr);
            seen.text = text1->toPlainText();
            seen.textFillsTheWindow = text1->geometry() == d.rect();
            seen.focus = focusName();
            keyIn(d, Qt::Key_Escape);
        });
    }
};

TEST_F(HelpScenario, f1ShowsTheHelpFileAndEscGivesTheTableTheFocusBack)
{
    drives.writeBytes(u"C:\\prog\\黑黑黑HP.txt", kHelpBytes);
    Form1& f = start();
    press(Qt::Key_Left);
    ASSERT_EQ(focused(), f.dirTree());
    Seen seen;
    expectViewer(seen);
    press(Qt::Key_F1);
    EXPECT_EQ(platform::shownDialogs(), (std::vector<QString>{"Form3"}));
    EXPECT_EQ(seen.caption, QStringLiteral("SorvikHelp"));
    // CR LF after every line, the last one too: one paragraph per line and an empty last one.
    EXPECT_EQ(seen.text, QStringLiteral("Sorvik 使用法\n\n表示\n"));
    EXPECT_TRUE(seen.textFillsTheWindow);
    EXPECT_EQ(seen.focus, QStringLiteral("Text1"));
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(f.focusWidget(), f.grid());
}

TEST_F(HelpScenario, theHelpButtonOpensTheViewerToo)
{
    drives.writeBytes(u"C:\\prog\\黑黑黑HP.txt", "help\r\n");
    Form1& f = start();
    auto* command3 = f.findChild<QPushButton*>("Command3");
    ASSERT_NE(command3, nullptr);
    EXPECT_EQ(command3->text(), QStringLiteral("Help(F1)"));
    Seen seen;
    expectViewer(seen);
    command3->click();
    EXPECT_EQ(seen.text, QStringLiteral("help\n"));
    EXPECT_EQ(f.focusWidget(), f.grid());
}

TEST_F(HelpScenario, anInstalledCopyFindsTheHelpInItsShareDirectory)
{
    drives.makeDir(u"C:\\usr\\bin");
    drives.makeDir(u"C:\\usr\\share\\sorvik");
    drives.writeBytes(u"C:\\usr\\share\\sorvik\\黑黑黑HP.txt", kHelpBytes);
    platform::ProgramInfo program = programIn(u"C:\\usr\\bin\\");
    program.placement = platform::Placement::Installed;
    program.dataDirectory = u"C:\\home\\ann\\.local\\share\\sorvik\\SYSDAT\\";
    program.runtimeDirectory = u"C:\\usr\\share\\sorvik\\";
    Form1& f = start(program);
    Seen seen;
    expectViewer(seen);
    press(Qt::Key_F1);
    EXPECT_EQ(seen.text, QStringLiteral("Sorvik 使用法\n\n表示\n"));
    EXPECT_TRUE(ui.messages().empty()) << (ui.messages().empty() ? "" : toUtf8(ui.messages()[0]));
    EXPECT_EQ(f.focusWidget(), f.grid());
}

TEST_F(HelpScenario, aMissingHelpFileSaysSoAndTheViewerStillOpensEmpty)
{
    Form1& f = start();
    Seen seen;
    expectViewer(seen);
    press(Qt::Key_F1);
    EXPECT_EQ(ui.messages(), (std::vector<u16>{u"黑黑黑HP.txt が有りません"}));
    EXPECT_EQ(seen.caption, QStringLiteral("SorvikHelp"));
    EXPECT_TRUE(seen.text.isEmpty());
    EXPECT_EQ(f.focusWidget(), f.grid());
}

TEST_F(HelpScenario, theMigratedHelpFileInTheDataDirectoryIsFound)
{
    drives.writeBytes(u"C:\\prog\\FileQXZ.txt", "old help");
    start();
    ASSERT_TRUE(drives.exists(u"C:\\prog\\SYSDAT\\黑黑黑HP.txt"));
    Seen seen;
    expectViewer(seen);
    press(Qt::Key_F1);
    EXPECT_EQ(seen.text, QStringLiteral("old help\n"));
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(HelpScenario, viewerHasItsDesignSizePlaceAndFontAndItsTextFollowsResizing)
{
    drives.writeBytes(u"C:\\prog\\黑黑黑HP.txt", "x\r\n");
    Form3 viewer(drives.fs(), u"C:\\prog\\", u"C:\\prog\\SYSDAT\\");
    EXPECT_EQ(viewer.size(), QSize(483, 193));   // 7245 x 2895 twips
    EXPECT_EQ(viewer.helpText(), u"x\r\n");
    // Centred across, a quarter of the free height down, reckoned in whole twips.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(viewer.x(), twipsToPx((screen.width() * 15 - 7245) / 2));
    EXPECT_EQ(viewer.y(), twipsToPx((screen.height() * 15 - 2895) / 4));
    EXPECT_EQ(viewer.text1()->font().pointSizeF(), 12.0);
    EXPECT_EQ(viewer.text1()->font().family(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(viewer.text1()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    viewer.show();
    viewer.resize(600, 350);
    QApplication::processEvents();
    EXPECT_EQ(viewer.text1()->geometry(), QRect(0, 0, 600, 350));
}

}
}

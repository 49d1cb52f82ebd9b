#include "tests/ui/Form1Fixture.h"

#include <QLabel>
#include <QPushButton>

namespace sorvik::test {
namespace {

using StartupScenario = Form1Fixture;

TEST_F(StartupScenario, opensOnTheStartDirectoryWithTheTableFocusedOnRowOne)
{
    drives.writeBytes(u"C:\\work\\b.txt", "bb");
    drives.writeBytes(u"C:\\work\\a.txt", "a");
    Form1& f = start();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("sorvik.7"));
    EXPECT_EQ(focused(), f.grid());
    EXPECT_EQ(table().row(), 1);
    EXPECT_EQ(table().col(), 0);
    EXPECT_EQ(f.grid()->currentIndex().row(), 1);
    EXPECT_EQ(f.label4()->text(), QStringLiteral("2"));
    EXPECT_EQ(table().cell(1, 0), u" a.txt");
    EXPECT_EQ(table().cell(2, 3), u"2 ");
    EXPECT_TRUE(drives.exists(u"C:\\prog\\SYSDAT")) << "the data directory is created";
    EXPECT_EQ(f.grid()->model()->data(f.grid()->model()->index(2, 3), Qt::TextAlignmentRole).toInt(),
        int(Qt::AlignRight | Qt::AlignVCenter));
}

TEST_F(StartupScenario, escOnTheTableClosesAndWritesTheSettingsFile)
{
    Form1& f = start();
    bool ended = false;
    f.onEnded = [&] { ended = true; };
    press(Qt::Key_Escape);
    EXPECT_TRUE(ended);
    EXPECT_FALSE(f.isVisible());
    const std::string ini = drives.readBytes(u"C:\\prog\\SYSDAT\\黑黑黑黑.ini");
    EXPECT_EQ(ini.rfind("[Init]\r\nTop=", 0), 0u) << ini;
    EXPECT_NE(ini.find("\r\n[Jump]\r\nC:\\work\\\r\n\r\n[Filter]\r\n"), std::string::npos) << ini;
}

TEST_F(StartupScenario, oldSettingsFileIsMigratedAndTakesEffectAtOnce)
{
    drives.makeDir(u"C:\\elsewhere");
    drives.writeBytes(u"C:\\elsewhere\\x.txt", "x");
    drives.writeBytes(u"C:\\prog\\Sorvik.ini", "[Init]\r\n[Jump]\r\nC:\\elsewhere\\\r\n");
    start();
    EXPECT_FALSE(drives.exists(u"C:\\prog\\Sorvik.ini"));
    EXPECT_TRUE(drives.exists(u"C:\\prog\\SYSDAT\\黑黑黑黑.ini"));
    EXPECT_EQ(model().CurrentDir, u"C:\\elsewhere\\");
    EXPECT_EQ(table().cell(1, 0), u" x.txt");
}

TEST_F(StartupScenario, existingNewSettingsFileWinsOverTheOldOne)
{
    drives.makeDir(u"C:\\prog\\SYSDAT");
    drives.makeDir(u"C:\\old");
    drives.writeBytes(u"C:\\prog\\Sorvik.ini", "[Jump]\r\nC:\\old\\\r\n");
    drives.writeBytes(u"C:\\prog\\SYSDAT\\黑黑黑黑.ini", "[Jump]\r\nC:\\work\\\r\n");
    drives.writeBytes(u"C:\\prog\\zDontDEL.TXT", "assoc");
    drives.writeBytes(u"C:\\prog\\FileQXZ.txt", "help");
    start(u"C:\\");
    EXPECT_EQ(drives.readBytes(u"C:\\prog\\Sorvik.ini"), "[Jump]\r\nC:\\old\\\r\n");
    EXPECT_EQ(model().CurrentDir, u"C:\\work\\");
    EXPECT_EQ(drives.readBytes(u"C:\\prog\\SYSDAT\\黑黑黑黑.txt"), "assoc");
    EXPECT_EQ(drives.readBytes(u"C:\\prog\\SYSDAT\\黑黑黑HP.txt"), "help");
}

TEST_F(StartupScenario, startDirectoryDifferingOnlyInCaseFillsDirectly)
{
    drives.makeDir(u"C:\\prog\\SYSDAT");
    drives.writeBytes(u"C:\\prog\\SYSDAT\\黑黑黑黑.ini", "[Jump]\r\nc:\\work\\\r\n");
    drives.writeBytes(u"C:\\work\\f", "1");
    start(u"C:\\work");
    EXPECT_EQ(model().Dir1.path(), u"C:\\work") << "the tree keeps its own spelling";
    EXPECT_EQ(table().fileCount(), 1);
}

TEST_F(StartupScenario, startDirectoryThatIsGoneOpensTheProgramDirectory)
{
    drives.makeDir(u"C:\\prog\\SYSDAT");
    drives.writeBytes(u"C:\\prog\\SYSDAT\\黑黑黑黑.ini", "[Jump]\r\nC:\\vanished\\\r\n");
    start(u"C:\\work");
    EXPECT_EQ(model().CurrentDir, u"C:\\prog\\");
}

TEST_F(StartupScenario, readOnlyProgramDirectoryStillStartsAndCloses)
{
    // Without a data directory and no way to make one the program runs on.
    drives.writeBytes(u"C:\\prog\\SYSDAT", "a file where the directory should be");
    drives.writeBytes(u"C:\\work\\a", "1");
    Form1& f = start();
    EXPECT_EQ(table().fileCount(), 1);
    f.close();
    EXPECT_EQ(drives.readBytes(u"C:\\prog\\SYSDAT"), "a file where the directory should be");
    // The settings could not be written, and perhaps the descriptions: each
    // is told once, never a storm.
    ASSERT_GE(ui.messages().size(), 1u);
    ASSERT_LE(ui.messages().size(), 2u);
    EXPECT_EQ(ui.messages()[0].rfind(u"C:\\prog\\SYSDAT\\黑黑黑黑.iniに設定を書き込めません", 0), 0u)
        << toUtf8(ui.messages()[0]);
    if (ui.messages().size() == 2u) {
        EXPECT_NE(ui.messages()[1].find(u"に説明を書き込めません"), u16::npos) << toUtf8(ui.messages()[1]);
    }
}

TEST_F(StartupScenario, controlsFollowTheWindowWhenItIsResized)
{
    Form1& f = start();
    auto* quit = f.findChild<QPushButton*>("Command2");
    const QRect quitBefore = quit->geometry();
    const QRect textBefore = f.text1()->geometry();
    const QRect gridBefore = f.grid()->geometry();
    // 600 twips wider and 300 twips lower, at 15 twips a pixel.
    f.resize(f.width() + 40, f.height() + 20);
    QApplication::processEvents();
    EXPECT_EQ(quit->x(), quitBefore.x() + 40);
    EXPECT_EQ(f.text1()->width(), textBefore.width() + 40);
    EXPECT_EQ(f.width() - (f.grid()->x() + f.grid()->width()), 10) << "150 twips right margin";
    EXPECT_EQ(quit->y(), quitBefore.y() + 20);
    EXPECT_EQ(f.grid()->height(), gridBefore.height() + 20);
    EXPECT_EQ(f.dirTree()->height(), f.grid()->height());

    // Below the thresholds nothing moves; the next larger size applies the whole difference.
    f.resize(600, 300);
    QApplication::processEvents();
    EXPECT_EQ(quit->x(), quitBefore.x() + 40);
    f.resize(867, 468);   // 13005 x 7020 twips
    QApplication::processEvents();
    EXPECT_EQ(f.width() - (f.grid()->x() + f.grid()->width()), 10);
    EXPECT_EQ(quit->x(), quitBefore.x() + 34);
}

}
}

namespace sorvik::test {
namespace {

// Half-written data files of a run that was killed do not outlive the next start.
TEST_F(StartupScenario, theStartRemovesWhatAKilledRunLeftInTheDataDirectory)
{
    drives.makeDir(u"C:\\prog\\SYSDAT");
    drives.writeBytes(u"C:\\prog\\SYSDAT\\黑黑黑黑.ini", "[Jump]\r\nC:\\work\\\r\n");
    // Written by a process id no system hands out, and in the archiver's earlier form.
    drives.writeBytes(u"C:\\prog\\SYSDAT\\.~sorvik-2147483647-00000000beef.tmp", "[Jump]\r\nC:\\wo");
    drives.writeBytes(u"C:\\prog\\SYSDAT\\.~sorvik-0123456789ab", "half");
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(2);
    std::filesystem::last_write_time(hostFsPath(drives.host(u"C:\\prog\\SYSDAT\\.~sorvik-0123456789ab")), old);
    start();
    EXPECT_EQ(drives.allNames(u"C:\\prog\\SYSDAT\\"), std::vector<std::string>{"黑黑黑黑.ini"});
}

}
}

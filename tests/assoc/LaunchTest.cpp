// The fake programs and the fake desktop opener here are shell scripts found
// on PATH, which Windows cannot run; the Windows layer's launching is checked
// in tests/assoc/LaunchWin32Test.cpp with a recording program of its own.
#ifndef _WIN32
#include "platform/Launch.h"
#include "assoc/Launching.h"
#include "tests/assoc/FakePrograms.h"
#include "tests/support/Cp932.h"
#include "tests/support/ModelFixture.h"

#include <cerrno>
#include <filesystem>
#include <sys/wait.h>

namespace sorvik::test {
namespace {

class LaunchTest : public ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        drives.makeDir(u"C:\\tools");
        log = drives.host(u"C:\\tools") + "/rec.log";
        otherLog = drives.host(u"C:\\tools") + "/other.log";
        writeRecordingScript(drives.host(u"C:\\tools\\rec.sh"), log, 0);
        writeRecordingScript(drives.host(u"C:\\tools\\other.sh"), otherLog, 0);
        drives.writeBytes(u"C:\\work\\README.TXT", "read me");
        opener.answer(4);
    }

    void associations(std::u16string_view text)
    {
        drives.makeDir(u"C:\\prog\\SYSDAT");
        drives.writeBytes(u"C:\\prog\\SYSDAT\\黑黑黑黑.txt", cp932(text));
        table.AssocTableLoad(drives.fs(), u"C:\\prog\\SYSDAT\\");
    }

    // Loads the model and puts the cursor on `name` in column 0.
    Form1Model& cursorOn(u16view name)
    {
        Form1Model& m = model ? *model : loadModel();
        m.RefreshFileTable(u'n');
        for (int r = 1; r <= m.Grid1.fileCount(); ++r)
            if (m.Grid1.fileName(r) == name)
                m.Grid1.setCursor(r, 0);
        EXPECT_EQ(m.Grid1.fileName(m.Grid1.row()), u16(name));
        return m;
    }

    FakeOpener opener;
    AssociationTable table;
    std::string log, otherLog;
};

TEST_F(LaunchTest, theDesktopIsAskedFirstAndTheTableIsNotConsulted)
{
    associations(u"*.TXT,C:\\tools\\rec.sh\r\n");
    opener.answer(0);
    Form1Model& m = cursorOn(u"README.TXT");
    platform::StartedPrograms started;
    EXPECT_EQ(LaunchCurrentFile(m, table), CommandResult::Done);
    EXPECT_EQ(opener.runs(), (Runs{{drives.host(u"C:\\work\\README.TXT")}}));
    EXPECT_EQ(started.waitUntilEnded(), 1u) << "the opener alone";
    EXPECT_TRUE(readRuns(log).empty());
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(LaunchTest, whenTheDesktopFailsTheFirstMatchingEntryRunsWithTheHostPath)
{
    associations(u"*.TXT,C:\\tools\\rec.sh\r\n*.*,C:\\tools\\other.sh\r\n");
    Form1Model& m = cursorOn(u"README.TXT");
    EXPECT_EQ(LaunchCurrentFile(m, table), CommandResult::Done);
    EXPECT_EQ(opener.runs().size(), 1u);
    EXPECT_EQ(waitForRuns(log, 1), (Runs{{drives.host(u"C:\\work\\README.TXT")}}));
    EXPECT_TRUE(readRuns(otherLog).empty());
    EXPECT_TRUE(ui.messages().empty());
    int status = 0;
    errno = 0;
    EXPECT_EQ(::waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD) << "the program is nobody's zombie here";
}

TEST_F(LaunchTest, aMissingProgramIsToldAndNothingRuns)
{
    associations(u"*.TXT,C:\\tools\\gone.sh\r\n*.*,C:\\tools\\other.sh\r\n");
    Form1Model& m = cursorOn(u"README.TXT");
    platform::StartedPrograms started;
    EXPECT_EQ(LaunchCurrentFile(m, table), CommandResult::Failed);
    EXPECT_EQ(ui.messages(), std::vector<u16>{u"このｻｰﾊﾞのﾊﾟｽは正しくありません\r\n関連付けで調べて下さい"});
    EXPECT_EQ(started.waitUntilEnded(), 1u) << "the opener alone";
    EXPECT_TRUE(readRuns(otherLog).empty()) << "only the first match counts";
}

TEST_F(LaunchTest, noMatchingEntryDoesNothingAndSaysNothing)
{
    associations(u"*.DOC,C:\\tools\\rec.sh\r\n");
    Form1Model& m = cursorOn(u"README.TXT");
    platform::StartedPrograms started;
    EXPECT_EQ(LaunchCurrentFile(m, table), CommandResult::Failed);
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(started.waitUntilEnded(), 1u) << "the opener alone";
    EXPECT_TRUE(readRuns(log).empty());
}

TEST_F(LaunchTest, aNameWithSpacesQuotesAndShellSignsArrivesAsOneArgument)
{
    associations(u"*.TXT,C:\\tools\\rec.sh\r\n");
    const std::u16string names[] = {u"my \"odd\" file.TXT", u"a;touch INJECTED;b.TXT", u"$(touch INJECTED2) `x`.TXT"};
    for (const auto& name : names)
        drives.writeBytes(u"C:\\work\\" + name, "x");
    for (const auto& name : names) {
        Form1Model& m = cursorOn(name);
        EXPECT_EQ(LaunchCurrentFile(m, table), CommandResult::Done);
    }
    const Runs runs = waitForRuns(log, 3);
    ASSERT_EQ(runs.size(), 3u);
    // In the order the launches ran; each the one host path, untouched.
    std::vector<std::string> got;
    for (const auto& run : runs) {
        ASSERT_EQ(run.size(), 1u);
        got.push_back(run[0]);
    }
    std::sort(got.begin(), got.end());
    std::vector<std::string> want;
    for (const auto& name : names)
        want.push_back(drives.host(u"C:\\work\\" + name));
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want);
    for (const auto& dir : {drives.host(u"C:\\work"), drives.host(u"C:\\tools"), drives.host(u"C:\\prog\\SYSDAT")}) {
        EXPECT_FALSE(std::filesystem::exists(dir + "/INJECTED")) << dir;
        EXPECT_FALSE(std::filesystem::exists(dir + "/INJECTED2")) << dir;
    }
    for (const auto& run : opener.runs())
        EXPECT_EQ(run.size(), 1u) << "the opener too gets the path as one argument";
}

TEST_F(LaunchTest, aProgramPathWithSpacesIsTakenWholeOnAnotherDrive)
{
    drives.makeDir(u"D:\\my tools");
    const std::string dLog = drives.host(u"D:\\my tools") + "/d.log";
    writeRecordingScript(drives.host(u"D:\\my tools\\rec 2.sh"), dLog, 0);
    associations(u"*.TXT,D:\\my tools\\rec 2.sh\r\n");
    Form1Model& m = cursorOn(u"README.TXT");
    EXPECT_EQ(LaunchCurrentFile(m, table), CommandResult::Done);
    EXPECT_EQ(waitForRuns(dLog, 1), (Runs{{drives.host(u"C:\\work\\README.TXT")}}));
}

TEST_F(LaunchTest, aProgramThatCannotBeStartedIsToldWithTheReason)
{
    drives.writeBytes(u"C:\\tools\\plain.sh", "#!/bin/sh\nexit 0\n");   // no execute permission
    associations(u"*.TXT,C:\\tools\\plain.sh\r\n");
    Form1Model& m = cursorOn(u"README.TXT");
    EXPECT_EQ(LaunchCurrentFile(m, table), CommandResult::Failed);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].rfind(u"C:\\tools\\plain.sh", 0), 0u) << toUtf8(ui.messages()[0]);
    EXPECT_NE(ui.messages()[0].find(u"起動できません"), u16::npos);
}

TEST_F(LaunchTest, withoutAnOpenerTheTableAloneOpens)
{
    associations(u"*.TXT,C:\\tools\\rec.sh\r\n");
    opener.uninstall();
    Form1Model& m = cursorOn(u"README.TXT");
    EXPECT_EQ(LaunchCurrentFile(m, table), CommandResult::Done);
    EXPECT_EQ(waitForRuns(log, 1).size(), 1u);
}

TEST_F(LaunchTest, noFileNoOpener)
{
    loadModel();
    EXPECT_FALSE(ShellOpen(drives.fs(), u"C:\\work\\absent.txt"));
    EXPECT_TRUE(opener.runs().empty());
    opener.answer(0);
    EXPECT_TRUE(ShellOpen(drives.fs(), u"C:\\work\\README.TXT"));
    opener.answer(3);
    EXPECT_FALSE(ShellOpen(drives.fs(), u"C:\\work\\README.TXT"));
    EXPECT_EQ(opener.runs().size(), 2u);
}

TEST_F(LaunchTest, anOpenerStillRunningAfterASecondCountsAsOpenedAndLeavesNoZombie)
{
    opener.answer(4, 3);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(ShellOpen(drives.fs(), u"C:\\work\\README.TXT"));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(900));
    EXPECT_LT(took, std::chrono::milliseconds(2500)) << "the window must not wait on it";
    int status = 0;
    errno = 0;
    EXPECT_EQ(::waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD) << "every child of ours has been reaped";
}

TEST_F(LaunchTest, theMainWindowReadsTheTableAtStartUpAndOnRequest)
{
    associations(u"*.TXT,C:\\tools\\rec.sh\r\n");
    Form1Model& m = loadModel();
    ASSERT_EQ(m.AssocTable.count(), 1);
    EXPECT_EQ(m.AssocTable.entries()[0].ProgramPath, u"C:\\tools\\rec.sh");
    associations(u"*.A,C:\\a.exe\r\n*.B,C:\\b.exe\r\n");
    EXPECT_EQ(m.AssocTable.count(), 1) << "read at start-up, not on every use";
    m.AssocTableLoad();
    EXPECT_EQ(m.AssocTable.count(), 2);
}

// --- the association button's checks ---

class AssociationButtonTest : public ProgramFixture {};

TEST_F(AssociationButtonTest, givesStarDotAndTheUpperCasedExtension)
{
    drives.writeBytes(u"C:\\work\\report.tar.lzh", "x");
    drives.writeBytes(u"C:\\work\\Makefile", "x");
    Form1Model& m = loadModel();
    m.Grid1.setCursor(1, 0);   // Makefile
    EXPECT_EQ(AssocPatternAtCursor(m.Grid1), u16(u"*."));
    m.Grid1.setCursor(2, 0);
    EXPECT_EQ(AssocPatternAtCursor(m.Grid1), u16(u"*.LZH"));
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(AssociationButtonTest, refusesOtherCellsAndTheTrailingRow)
{
    drives.writeBytes(u"C:\\work\\a.txt", "x");
    Form1Model& m = loadModel();
    for (int col : {1, 2, 3, 4}) {
        m.Grid1.setCursor(1, col);
        EXPECT_EQ(AssocPatternAtCursor(m.Grid1), std::nullopt) << col;
    }
    m.Grid1.setCursor(2, 0);   // the trailing row
    EXPECT_EQ(AssocPatternAtCursor(m.Grid1), std::nullopt);
    m.Grid1.setCursor(0, 0);   // the heading
    EXPECT_EQ(AssocPatternAtCursor(m.Grid1), std::nullopt);
    EXPECT_EQ(ui.messages(), std::vector<u16>(6, u"ここは関連づけ出来ません"));
}

TEST_F(AssociationButtonTest, refusesProgramFilesInAnyLetterCase)
{
    drives.writeBytes(u"C:\\work\\setup.exe", "x");
    drives.writeBytes(u"C:\\work\\RUN.Bat", "x");
    drives.writeBytes(u"C:\\work\\x.COM", "x");
    Form1Model& m = loadModel();
    for (int r = 1; r <= 3; ++r) {
        m.Grid1.setCursor(r, 0);
        EXPECT_EQ(AssocPatternAtCursor(m.Grid1), std::nullopt) << r;
    }
    EXPECT_EQ(ui.messages(), std::vector<u16>(3, u"この拡張子は関連づけ出来ません"));
}

}
}
#endif

#include "assoc/ProgramBrowser.h"
#include "tests/support/ModelFixture.h"

#include <sys/stat.h>

namespace sorvik::test {
namespace {

class ProgramBrowserTest : public DrivesFixture {
protected:
    void SetUp() override
    {
        DrivesFixture::SetUp();
        drives.makeDir(u"C:\\tools");
        drives.makeDir(u"C:\\tools\\sub");
        for (const char16_t* name : {u"EDIT.EXE", u"run.bat", u"tiny.Com", u"notes.txt", u"script.sh", u"a.exe.txt"})
            drives.writeBytes(u16(u"C:\\tools\\") + name, "x");
        ::chmod(drives.host(u"C:\\tools\\script.sh").c_str(), 0755);
        drives.writeBytes(u"C:\\prog\\sorvik", "x");
        ::chmod(drives.host(u"C:\\prog\\sorvik").c_str(), 0755);
    }

    ProgramBrowser browser{drives.fs(), u"C:\\prog\\"};
};

TEST_F(ProgramBrowserTest, listsProgramExtensionsAndExecutableFilesOnly)
{
    ASSERT_TRUE(browser.SetBrowsePath(u"C:\\tools\\"));
#ifdef _WIN32
    // Windows runs a file by its extension only; a script with the execute
    // bit is a Linux program.
    EXPECT_EQ(browser.files(), (std::vector<u16>{u"EDIT.EXE", u"run.bat", u"tiny.Com"}));
#else
    EXPECT_EQ(browser.files(), (std::vector<u16>{u"EDIT.EXE", u"run.bat", u"script.sh", u"tiny.Com"}));
#endif
    EXPECT_EQ(browser.filePath(), u"C:\\tools");
    EXPECT_EQ(browser.tree().path(), u"C:\\tools");
    EXPECT_EQ(browser.drives().currentDrive(), u'C');
    EXPECT_TRUE(ui.messages().empty());
}

// The program itself is "sorvik" with the execute bit here; Windows knows
// programs by their extension only (checked in Win32FileSystemTest).
#ifndef _WIN32
TEST_F(ProgramBrowserTest, aMissingDriveIsToldOnceAndTheBrowserShowsProgramDir)
{
    ASSERT_TRUE(browser.SetBrowsePath(u"D:\\"));
    EXPECT_FALSE(browser.SetBrowsePath(u"Q:\\GONE\\"));
    EXPECT_EQ(ui.messages(), std::vector<u16>{u"パスが見つかりません"});
    ASSERT_TRUE(browser.SetBrowsePath(u"D:\\"));
    EXPECT_FALSE(browser.SetBrowsePath(u"D:\\GONE\\")) << "a good drive, a missing directory";
    EXPECT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(browser.drives().currentDrive(), u'C');
    EXPECT_EQ(browser.tree().path(), u"C:\\prog");
    EXPECT_EQ(browser.files(), std::vector<u16>{u"sorvik"});
}
#endif

TEST_F(ProgramBrowserTest, startsInTheCurrentDirectory)
{
    ASSERT_TRUE(drives.fs().setCurrentDirectory(u"C:\\tools\\sub"));
    browser.startInCurrentDirectory();
    EXPECT_EQ(browser.tree().path(), u"C:\\tools\\sub");
    EXPECT_TRUE(browser.files().empty());
}

// The program itself is "sorvik" with the execute bit here; Windows knows
// programs by their extension only (checked in Win32FileSystemTest).
#ifndef _WIN32
TEST_F(ProgramBrowserTest, theDirectoryListOpensItsHighlightedEntryAndTheFilesFollow)
{
    ASSERT_TRUE(browser.SetBrowsePath(u"C:\\"));
    int tools = -1;
    for (int i = 0; i < browser.tree().count(); ++i)
        if (browser.tree().items()[i].path == u"C:\\tools")
            tools = i;
    ASSERT_GE(tools, 0);
    browser.tree().select(tools);
    ASSERT_TRUE(browser.openSelected());
    EXPECT_EQ(browser.filePath(), u"C:\\tools");
    EXPECT_EQ(browser.files().size(), 4u);
}
#endif

TEST_F(ProgramBrowserTest, aDriveChangeGoesToThatDrivesLastDirectoryAndAnUnreadableOneChangesNothing)
{
    drives.makeDir(u"D:\\bin");
    ASSERT_TRUE(browser.SetBrowsePath(u"D:\\bin\\"));
    ASSERT_TRUE(browser.SetBrowsePath(u"C:\\tools\\"));
    ASSERT_TRUE(browser.changeDrive(u'D'));
    EXPECT_EQ(browser.tree().path(), u"D:\\bin");
    ::chmod(drives.hostC().c_str(), 0);
    const bool readable = drives.fs().listDirectory(u"C:\\").has_value();   // root reads anything
    if (!readable) {
        EXPECT_FALSE(browser.changeDrive(u'C'));
        EXPECT_EQ(browser.tree().path(), u"D:\\bin");
        EXPECT_EQ(browser.drives().currentDrive(), u'D');
    }
    ::chmod(drives.hostC().c_str(), 0755);
    EXPECT_FALSE(browser.changeDrive(u'Q'));
    EXPECT_EQ(browser.tree().path(), u"D:\\bin");
}

}
}

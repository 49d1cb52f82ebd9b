#include "app/Form1Model.h"
#include "nav/DirTree.h"
#include "nav/DriveList.h"
#include "nav/PaneKeys.h"
#include "platform/Faults.h"
#include "platform/Ui.h"
#include "tests/support/ModelFixture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

namespace sorvik {
namespace {

using namespace keys;

TEST(DirTreeTest, showsPathFromRootThenSortedSubdirectories)
{
    test::TempDrives drives;
    drives.makeDir(u"C:\\work\\doc\\beta");
    drives.makeDir(u"C:\\work\\doc\\Alpha");
    drives.writeBytes(u"C:\\work\\doc\\file.txt", "x");
    DirTree tree(drives.fs());
    ASSERT_TRUE(tree.setPath(u"C:\\work\\doc\\"));
    EXPECT_EQ(tree.path(), u"C:\\work\\doc");
    ASSERT_EQ(tree.count(), 5);
    EXPECT_EQ(tree.items()[0].path, u"C:\\");
    EXPECT_EQ(tree.items()[1].path, u"C:\\work");
    EXPECT_EQ(tree.items()[2].path, u"C:\\work\\doc");
    EXPECT_EQ(tree.items()[3].path, u"C:\\work\\doc\\Alpha");
    EXPECT_EQ(tree.items()[4].path, u"C:\\work\\doc\\beta");
    EXPECT_EQ(tree.selected(), 2) << "the current directory is selected";
    EXPECT_FALSE(tree.selectedIsRoot());
    tree.select(0);
    EXPECT_TRUE(tree.selectedIsRoot());
}

TEST(DirTreeTest, aDirectoryThatCannotBeReadChangesNothing)
{
    test::TempDrives drives;
    drives.makeDir(u"C:\\work");
    DirTree tree(drives.fs());
    ASSERT_TRUE(tree.setPath(u"C:\\work"));
    EXPECT_FALSE(tree.setPath(u"C:\\missing"));
    EXPECT_FALSE(tree.setPath(u"Q:\\"));
    EXPECT_EQ(tree.path(), u"C:\\work");
    EXPECT_EQ(tree.count(), 2);
}

TEST(DirTreeTest, aDirectoryThatCannotBeOpenedTellsWhy)
{
    test::TempDrives drives;
    drives.makeDir(u"C:\\work\\locked");
    platform::FaultPlan faults;
    faults.failAlways(platform::FsCall::Open, EACCES, "/locked");
    drives.fs().setFaults(&faults);
    DirTree tree(drives.fs());
    ASSERT_TRUE(tree.setPath(u"C:\\work"));
    const platform::Status locked = tree.setPath(u"C:\\work\\locked");
    ASSERT_TRUE(locked.failed());
    EXPECT_EQ(locked.error().kind, platform::ErrorKind::AccessDenied);
    const platform::Status missing = tree.setPath(u"C:\\work\\missing");
    ASSERT_TRUE(missing.failed());
    EXPECT_EQ(missing.error().kind, platform::ErrorKind::NotFound);
    const platform::Status noDrive = tree.setPath(u"work");
    ASSERT_TRUE(noDrive.failed());
    EXPECT_EQ(noDrive.error().kind, platform::ErrorKind::BadName) << "not a path with a drive at all";
    drives.fs().setFaults(nullptr);
    EXPECT_EQ(tree.path(), u"C:\\work");
}

TEST(DriveListTest, itemsStartWithTheLetterAndMissingMediaAreNotReady)
{
    test::TempDrives drives;
    DriveList list(drives.fs());
    EXPECT_EQ(list.items(), (std::vector<u16>{u"c:", u"d:"}));
    EXPECT_TRUE(list.setDrive(u'd'));
    EXPECT_EQ(list.currentDrive(), u'D');
    std::filesystem::remove_all(drives.hostD());
    EXPECT_FALSE(list.setDrive(u'D'));
    EXPECT_FALSE(list.setDrive(u'C') && list.setDrive(u'E'));
    EXPECT_EQ(list.currentDrive(), u'C');
}

TEST(DriveListTest, remembersTheDirectoryShownOnEachDrive)
{
    test::TempDrives drives;
    drives.makeDir(u"D:\\music");
    DriveList list(drives.fs());
    EXPECT_EQ(list.currentDirectoryOf(u'D'), u"D:\\");
    list.rememberDirectory(u"D:\\music");
    EXPECT_EQ(list.currentDirectoryOf(u'd'), u"D:\\music\\");
    std::filesystem::remove_all(drives.host(u"D:\\music"));
    EXPECT_EQ(list.currentDirectoryOf(u'D'), u"D:\\");
}

struct TreeKeyCase {
    const char* what;
    int code, shift;
    bool root;
    TreeCommand command;
    int outcome;
};

class TreeKeyMap : public testing::TestWithParam<TreeKeyCase> {};

TEST_P(TreeKeyMap, dispatches)
{
    const TreeKeyCase& c = GetParam();
    const TreeKeyResult r = dispatchTreeKey(c.code, c.shift, c.root);
    EXPECT_EQ(r.command, c.command) << c.what;
    EXPECT_EQ(r.outcome.code, c.outcome) << c.what;
}

INSTANTIATE_TEST_SUITE_P(All, TreeKeyMap,
    testing::Values(TreeKeyCase{"ctrl+L to the table", letter('L'), kCtrl, false, TreeCommand::GoToTable, 0},
        TreeKeyCase{"right to the table", kRight, 0, false, TreeCommand::GoToTable, 0},
        TreeKeyCase{"ctrl+up at the root", kUp, kCtrl, true, TreeCommand::ToDriveButtons, 0},
        TreeKeyCase{"ctrl+I at the root", letter('I'), kCtrl, true, TreeCommand::ToDriveButtons, 0},
        TreeKeyCase{"ctrl+I below the root is up", letter('I'), kCtrl, false, TreeCommand::None, kUp},
        TreeKeyCase{"ctrl+M is down", letter('M'), kCtrl, false, TreeCommand::None, kDown},
        TreeKeyCase{"up at the root goes to the buttons and still reaches the tree", kUp, 0, true,
            TreeCommand::ToDriveButtons, kUp},
        TreeKeyCase{"up below the root moves the selection", kUp, 0, false, TreeCommand::None, kUp},
        TreeKeyCase{"enter opens", kEnter, 0, false, TreeCommand::OpenSelected, 0},
        TreeKeyCase{"down is the tree's", kDown, 0, false, TreeCommand::None, kDown}));

TEST(DriveButtonKeyMap, movesAlongTheRowAndDownToTheTree)
{
    EXPECT_EQ(dispatchDriveButtonKey(kEnter, 0).command, DriveButtonCommand::ToTree);
    EXPECT_EQ(dispatchDriveButtonKey(kDown, 0).command, DriveButtonCommand::ToTree);
    EXPECT_EQ(dispatchDriveButtonKey(letter('M'), kCtrl).command, DriveButtonCommand::ToTree);
    EXPECT_EQ(dispatchDriveButtonKey(kRight, kCtrl).command, DriveButtonCommand::Next);
    EXPECT_EQ(dispatchDriveButtonKey(letter('L'), kCtrl).command, DriveButtonCommand::Next);
    EXPECT_EQ(dispatchDriveButtonKey(kLeft, kCtrl).command, DriveButtonCommand::Previous);
    EXPECT_EQ(dispatchDriveButtonKey(letter('J'), kCtrl).command, DriveButtonCommand::Previous);
    EXPECT_EQ(dispatchDriveButtonKey(kLeft, 0).outcome.code, kLeft) << "left to the default handling";
    EXPECT_EQ(dispatchDriveButtonKey(letter('X'), 0).outcome.code, 0);
    EXPECT_EQ(dispatchDriveButtonKey(kUp, kShift).outcome.code, 0);
    EXPECT_EQ(dispatchDriveButtonKey(letter('X'), kCtrl | kAlt).outcome.code, letter('X'));
}

class DirectoryChangeTest : public test::ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        drives.makeDir(u"C:\\work\\sub");
        drives.writeBytes(u"C:\\work\\a.txt", "a");
        drives.writeBytes(u"C:\\work\\b.txt", "b");
        drives.writeBytes(u"C:\\work\\sub\\only.txt", "o");
        loadModel();
    }
};

TEST_F(DirectoryChangeTest, enteringADirectoryRefillsInNameOrderWithTheCursorOnRowOne)
{
    model->Grid1.setCursor(2, 3);
    ASSERT_TRUE(model->setTreePath(u"C:\\work\\sub"));
    EXPECT_EQ(model->CurrentDir, u"C:\\work\\sub\\");
    EXPECT_EQ(model->File1.path(), u"C:\\work\\sub");
    EXPECT_EQ(model->descriptions.DescriptionDir, u"C:\\work\\sub\\");
    EXPECT_EQ(model->Grid1.fileCount(), 1);
    EXPECT_EQ(model->Grid1.row(), 1);
    EXPECT_EQ(model->Grid1.col(), 0);
    EXPECT_EQ(model->fileCountText(), u"1");
}

TEST_F(DirectoryChangeTest, aDirectoryThatCannotBeEnteredLeavesEverythingAsItWas)
{
    model->Grid1.setCursor(2, 0);
    EXPECT_FALSE(model->setTreePath(u"C:\\gone"));
    EXPECT_EQ(model->CurrentDir, u"C:\\work\\");
    EXPECT_EQ(model->Dir1.path(), u"C:\\work");
    EXPECT_EQ(model->Grid1.fileCount(), 2);
    EXPECT_EQ(model->Grid1.row(), 2);
}

TEST_F(DirectoryChangeTest, goingToTheTableFallsBackToRowZeroWhenTheRowIsGone)
{
    model->Grid1.setCursor(3, 2);
    model->tableLostFocus();
    model->goToTable();
    EXPECT_EQ(model->Grid1.row(), 3);
    EXPECT_EQ(model->Grid1.col(), 2);
    model->tableLostFocus();
    ASSERT_TRUE(model->setTreePath(u"C:\\work\\sub"));   // two rows fewer
    model->tableGotFocus();
    model->goToTable();
    EXPECT_EQ(model->Grid1.row(), 0);
    EXPECT_EQ(model->Grid1.col(), 2);
}

TEST_F(DirectoryChangeTest, aDriveWithoutMediumChangesNothing)
{
    std::filesystem::remove_all(drives.hostD());
    EXPECT_FALSE(model->setDrive(u'D'));
    EXPECT_EQ(model->CurrentDir, u"C:\\work\\");
}

TEST_F(DirectoryChangeTest, choosingADriveShowsItsLastDirectory)
{
    drives.makeDir(u"D:\\x");
    drives.writeBytes(u"D:\\x\\d.txt", "d");
    ASSERT_TRUE(model->setDrive(u'D'));
    EXPECT_EQ(model->CurrentDir, u"D:\\");
    ASSERT_TRUE(model->setTreePath(u"D:\\x"));
    ASSERT_TRUE(model->setDrive(u'C'));
    EXPECT_EQ(model->CurrentDir, u"C:\\work\\");
    ASSERT_TRUE(model->setDrive(u'D'));
    EXPECT_EQ(model->CurrentDir, u"D:\\x\\");
}

}
}

#include "ops/OperationKeys.h"
#include "ops/OperationChooser.h"
#include "tests/ops/OpsFixture.h"

namespace sorvik {
namespace {

using namespace keys;
using C = ChooserControl;
using K = ChooserCommand;

struct KeyCase {
    ChooserControl control;
    int code;
    int shift;
    bool atRoot;
    ChooserCommand command;
    int outcome;   // 0: consumed
};

TEST(OperationKeys, theDialogsKeyTable)
{
    const int q = letter('Q');
    const KeyCase cases[] = {
        {C::Drive1, kEnter, 0, false, K::FocusDir1, 0},
        {C::Drive1, kDown, 0, false, K::FocusDir1, 0},
        {C::Drive1, kUp, 0, false, K::None, 0},
        {C::Drive1, kUp, kShift, false, K::None, kUp},
        {C::Drive1, kDown, kShift, false, K::None, kDown},
        {C::Drive1, letter('D'), kShift, false, K::None, 0},
        {C::Drive1, letter('D'), 0, false, K::None, letter('D')},
        {C::Drive1, q, 0, false, K::Cancel, 0},
        {C::Drive1, q, kShift, false, K::Cancel, 0},
        {C::Dir1, kUp, 0, true, K::FocusDrive1, 0},
        {C::Dir1, kUp, 0, false, K::None, kUp},
        {C::Dir1, kRight, 0, false, K::FocusFile1, 0},
        {C::Dir1, kEnter, 0, false, K::OpenDirectory, 0},
        {C::Dir1, q, 0, false, K::Cancel, 0},
        {C::Dir1, kDown, 0, false, K::None, kDown},
        {C::File1, kLeft, 0, false, K::FocusDir1, 0},
        {C::File1, kRight, 0, false, K::FocusCommand1, 0},
        {C::File1, kEnter, 0, false, K::TakeFileName, 0},
        {C::File1, q, 0, false, K::Cancel, 0},
        {C::Command1, kLeft, 0, false, K::FocusFile1, 0},
        {C::Command1, kEnter, 0, false, K::Execute, 0},
        {C::Command1, q, kShift, false, K::Cancel, 0},
        {C::Command1, q, kCtrl, false, K::None, q},
        {C::Command2, kLeft, 0, false, K::FocusFile1, 0},
        {C::Text2, q, 0, false, K::None, q},
        {C::Text2, q, kShift, false, K::None, q},
        {C::Command2, kEsc, 0, false, K::None, kEsc},
    };
    for (const KeyCase& c : cases) {
        const ChooserKeyResult r = dispatchChooserKey(c.control, c.code, c.shift, c.atRoot);
        EXPECT_EQ(r.command, c.command) << int(c.control) << " key " << c.code << " shift " << c.shift;
        EXPECT_EQ(r.outcome.code, c.outcome) << int(c.control) << " key " << c.code << " shift " << c.shift;
    }
}

class OperationChooserTest : public test::OpsFixture {};

TEST_F(OperationChooserTest, setFormShowsTheSourceDirectoryWhateverWasShownBefore)
{
    drives.makeDir(u"D:\\elsewhere");
    file(u"C:\\work\\a.txt", "a");
    OperationChooser chooser(drives.fs());
    ASSERT_TRUE(chooser.changeDrive(u'D'));
    chooser.SetForm(u"C:\\work\\");
    EXPECT_EQ(chooser.drives().currentDrive(), u'C');
    EXPECT_EQ(chooser.tree().path(), u"C:\\work");
    EXPECT_EQ(chooser.ChooserPath(), u"C:\\work\\");
    ASSERT_EQ(chooser.files().count(), 1);
    EXPECT_EQ(chooser.files().files()[0].name, u"a.txt");
    EXPECT_EQ(chooser.GetOperationDirs(u"C:\\work\\"), (std::pair<u16, u16>{u"C:\\work\\", u"C:\\work\\"}));
}

TEST_F(OperationChooserTest, theFileListShowsItsNamesInNameOrderLetterCaseAside)
{
    // Enough names that the directory's own order is unlikely to be this one.
    const std::vector<u16> names = {u"date.txt", u"Apple.txt", u"cherry.TXT", u"Banana.txt", u"fig.txt", u"Elder.txt",
        u"grape.txt", u"Honeydew.txt"};
    for (const u16& name : names)
        file(u"C:\\work\\" + name, "x");
    OperationChooser chooser(drives.fs());
    chooser.SetForm(u"C:\\work\\");
    EXPECT_EQ(chooser.fileNames(),
        (std::vector<u16>{u"Apple.txt", u"Banana.txt", u"cherry.TXT", u"date.txt", u"Elder.txt", u"fig.txt",
            u"grape.txt", u"Honeydew.txt"}));
}

TEST_F(OperationChooserTest, aRootSourceSelectsItsDriveAndRoot)
{
    OperationChooser chooser(drives.fs());
    chooser.SetForm(u"D:\\");
    EXPECT_EQ(chooser.drives().currentDrive(), u'D');
    EXPECT_EQ(chooser.tree().path(), u"D:\\");
    EXPECT_EQ(chooser.ChooserPath(), u"D:\\");
    EXPECT_TRUE(chooser.tree().selectedIsRoot());
}

TEST_F(OperationChooserTest, openingADirectoryMovesTheFileListAndTheDestination)
{
    file(u"C:\\dest\\x.txt", "x");
    OperationChooser chooser(drives.fs());
    chooser.SetForm(u"C:\\work\\");
    chooser.tree().select(0);   // the root
    ASSERT_TRUE(chooser.openSelected());
    int dest = -1;
    for (int i = 0; i < chooser.tree().count(); ++i)
        if (chooser.tree().items()[i].path == u"C:\\dest")
            dest = i;
    ASSERT_GE(dest, 0);
    chooser.tree().select(dest);
    ASSERT_TRUE(chooser.openSelected());
    EXPECT_EQ(chooser.ChooserPath(), u"C:\\dest");
    EXPECT_EQ(chooser.GetOperationDirs(u"C:\\work\\").second, u"C:\\dest\\");
    ASSERT_EQ(chooser.files().count(), 1);
}

TEST_F(OperationChooserTest, aDriveThatIsNotReadyChangesNothing)
{
    OperationChooser chooser(drives.fs());
    chooser.SetForm(u"C:\\work\\");
    EXPECT_FALSE(chooser.changeDrive(u'Q'));
    EXPECT_EQ(chooser.tree().path(), u"C:\\work");
}

}
}

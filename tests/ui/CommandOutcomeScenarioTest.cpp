// The dialog commands tell a cancel apart from a failure: closing the dialog
// cancels, a refusal of the system fails and names the file and the reason.

#include "ops/FileCommands.h"
#include "tests/support/DialogKeys.h"
#include "tests/support/ModelFixture.h"
#include "ui/QtUi.h"

#include <QDialog>

namespace sorvik::test {
namespace {

class CommandOutcomeScenario : public ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        platform::clearDialogHooks();
        drives.writeBytes(u"C:\\work\\a.txt", "alpha");
        drives.writeBytes(u"C:\\work\\b.txt", "beta");
        loadModel();
        model->Grid1.setCursor(1, 0);   // a.txt
    }
    void TearDown() override
    {
        platform::clearDialogHooks();
        ProgramFixture::TearDown();
    }
};

TEST_F(CommandOutcomeScenario, aRenameClosedWithEscIsCancelledNotFailed)
{
    platform::queueDialogHook([](QDialog& d) {
        typeIn(d, QStringLiteral("c.txt"));
        keyIn(d, Qt::Key_Escape);
    });
    const CommandOutcome outcome = RenameFile(*model, nullptr);
    EXPECT_EQ(outcome, CommandResult::Cancelled);
    EXPECT_FALSE(outcome.error.has_value());
    EXPECT_EQ(platform::dialogsLeftOpen(), 0) << "Esc closed it";
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(drives.readBytes(u"C:\\work\\a.txt"), "alpha");
    EXPECT_FALSE(drives.exists(u"C:\\work\\c.txt"));
}

TEST_F(CommandOutcomeScenario, aRenameToATakenNameFailsNamingTheFileAndTheReason)
{
    platform::queueDialogHook([](QDialog& d) {
        typeIn(d, QStringLiteral("b.txt"));
        keyIn(d, Qt::Key_Return);
    });
    const CommandOutcome outcome = RenameFile(*model, nullptr);
    EXPECT_EQ(outcome, CommandResult::Failed);
    EXPECT_EQ(outcome.path, u"C:\\work\\a.txt");
    ASSERT_TRUE(outcome.error.has_value());
    EXPECT_EQ(outcome.error->kind, platform::ErrorKind::Exists);
    EXPECT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(drives.readBytes(u"C:\\work\\b.txt"), "beta");
}

TEST_F(CommandOutcomeScenario, aRenameThatIsDoneIsDone)
{
    platform::queueDialogHook([](QDialog& d) {
        typeIn(d, QStringLiteral("z.txt"));
        keyIn(d, Qt::Key_Return);
    });
    EXPECT_EQ(RenameFile(*model, nullptr), CommandResult::Done);
    EXPECT_EQ(drives.readBytes(u"C:\\work\\z.txt"), "alpha");
}

TEST_F(CommandOutcomeScenario, closingTheAttributeDialogCancels)
{
    platform::queueDialogHook([](QDialog& d) { keyIn(d, Qt::Key_Escape); });
    const CommandOutcome outcome = ChangeAttributes(*model, nullptr);
    EXPECT_EQ(outcome, CommandResult::Cancelled);
    EXPECT_EQ(outcome.path, u"C:\\work\\a.txt");
    EXPECT_EQ(platform::dialogsLeftOpen(), 0) << "Esc closed it";
}

TEST_F(CommandOutcomeScenario, closingTheCopyDialogCancels)
{
    platform::queueDialogHook([](QDialog& d) { keyIn(d, Qt::Key_Escape); });
    EXPECT_EQ(CopyFiles(*model, nullptr), CommandResult::Cancelled);
    EXPECT_EQ(platform::dialogsLeftOpen(), 0) << "Esc closed it";
    EXPECT_TRUE(ui.messages().empty());
}

}
}

// How the file commands end: done, failed with the file and the system's
// reason, or cancelled when the user declined.

#include "ops/Attributes.h"
#include "ops/CopyMove.h"
#include "ops/Delete.h"
#include "ops/Rename.h"
#include "platform/DataFileNames.h"
#include "tests/ops/OpsFixture.h"

#include <cerrno>

namespace sorvik {
namespace {

using platform::ErrorKind;

class OutcomeTest : public test::OpsFixture {
protected:
    static ErrorKind kindOf(const CommandOutcome& outcome)
    {
        EXPECT_TRUE(outcome.error.has_value()) << "no reason given";
        return outcome.error ? outcome.error->kind : ErrorKind::Other;
    }
};

TEST_F(OutcomeTest, aDeclinedDeleteIsCancelledNotFailed)
{
    file(u"C:\\work\\a.txt", "a");
    file(u"C:\\work\\b.txt", "b");
    load();
    cursorOn(u"a.txt");
    ui = platform::ScriptedUi({false});
    const CommandOutcome one = DeleteFiles(*model);
    EXPECT_EQ(one, CommandResult::Cancelled);
    EXPECT_EQ(one.path, u"C:\\work\\a.txt");

    mark(u"a.txt");
    mark(u"b.txt");
    ui = platform::ScriptedUi({false});
    EXPECT_EQ(DeleteFiles(*model), CommandResult::Cancelled) << "the one question for the marked files";
    EXPECT_TRUE(drives.exists(u"C:\\work\\a.txt"));
    EXPECT_TRUE(drives.exists(u"C:\\work\\b.txt"));
}

TEST_F(OutcomeTest, aDeleteNamesTheFirstFileThatFailedAndWhy)
{
    file(u"C:\\work\\a.txt", "a");
    file(u"C:\\work\\b.txt", "b");
    file(u"C:\\work\\c.txt", "c");
    load();
    mark(u"a.txt");
    mark(u"b.txt");
    mark(u"c.txt");
    faults.failAt(platform::FsCall::Unlink, 1, EACCES, "/b.txt");
    faults.failAt(platform::FsCall::Unlink, 1, ENOENT, "/c.txt");
    drives.fs().setFaults(&faults);
    ui = platform::ScriptedUi({true});
    const CommandOutcome outcome = DeleteFiles(*model);
    EXPECT_EQ(outcome, CommandResult::Failed);
    EXPECT_EQ(outcome.path, u"C:\\work\\b.txt");
    EXPECT_EQ(kindOf(outcome), ErrorKind::AccessDenied);
    EXPECT_FALSE(drives.exists(u"C:\\work\\a.txt"));
}

TEST_F(OutcomeTest, aRefusedDeleteNamesTheFileWithoutASystemReason)
{
    file(u"C:\\work\\link.lnk", "shortcut");
    load();
    cursorOn(u"link.lnk");
    const CommandOutcome outcome = DeleteFiles(*model);
    EXPECT_EQ(outcome, CommandResult::Failed);
    EXPECT_EQ(outcome.path, u"C:\\work\\link.lnk");
    EXPECT_FALSE(outcome.error.has_value()) << "the program refused, not the system";
}

TEST_F(OutcomeTest, aRefusedRenameNamesTheFileAndTheReason)
{
    file(u"C:\\work\\a.txt", "a");
    file(u"C:\\work\\b.txt", "b");
    load();
    const CommandOutcome taken = renameInCurrentDir(*model, u"a.txt", u"b.txt");
    EXPECT_EQ(taken, CommandResult::Failed);
    EXPECT_EQ(taken.path, u"C:\\work\\a.txt");
    EXPECT_EQ(kindOf(taken), ErrorKind::Exists);
    const CommandOutcome bad = renameInCurrentDir(*model, u"a.txt", u"a?.txt");
    EXPECT_EQ(bad, CommandResult::Failed);
    EXPECT_EQ(kindOf(bad), ErrorKind::BadName);
    EXPECT_EQ(renameInCurrentDir(*model, u"a.txt", u"c.txt"), CommandResult::Done);
}

TEST_F(OutcomeTest, theProtectedFileCheckNamesTheFileThatRefusesTheCommand)
{
    file(u"C:\\work\\a.txt", "a");
    file(u"C:\\work\\" + u16(kSettingsFile), "settings");
    load();
    mark(u"a.txt");
    mark(kSettingsFile);
    const CommandOutcome refused = CheckProtectedFiles(*model, u"コピー");
    EXPECT_EQ(refused, CommandResult::Failed);
    EXPECT_EQ(refused.path, u"C:\\work\\" + u16(kSettingsFile));
    mark(kSettingsFile);   // unmarked again
    EXPECT_EQ(CheckProtectedFiles(*model, u"コピー"), CommandResult::Done);
}

TEST_F(OutcomeTest, aCopyNamesTheFirstFileThatFailedAndWhy)
{
    file(u"C:\\work\\a.txt", "a");
    file(u"C:\\work\\b.txt", "b");
    load();
    mark(u"a.txt");
    mark(u"b.txt");
    faults.failAlways(platform::FsCall::Write, ENOSPC);
    drives.fs().setFaults(&faults);
    CopyMoveRun run(*model, Operation::Copy);
    const CommandOutcome outcome = run.CopyMarkedOrCurrent(u"C:\\work\\", u"C:\\dest\\", OverwriteRule::ReplaceAlways);
    EXPECT_EQ(outcome, CommandResult::Failed);
    EXPECT_EQ(outcome.path, u"C:\\work\\a.txt");
    EXPECT_EQ(kindOf(outcome), ErrorKind::DiskFull);
}

TEST_F(OutcomeTest, refusedAttributesNameTheFileAndTheReason)
{
    file(u"C:\\work\\a.txt", "a");
    load();
    faults.failAlways(platform::FsCall::SetAttributes, EPERM, "/a.txt");
    drives.fs().setFaults(&faults);
    const CommandOutcome outcome = applyAttributes(*model, u"C:\\work\\a.txt", platform::kAttrHidden);
    EXPECT_EQ(outcome, CommandResult::Failed);
    EXPECT_EQ(outcome.path, u"C:\\work\\a.txt");
    EXPECT_EQ(kindOf(outcome), ErrorKind::AccessDenied);
}

}
}

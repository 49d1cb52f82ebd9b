// A description save tells how it ended: the file and the system's reason
// when the records could not be written.

#include "platform/Faults.h"
#include "tests/desc/DescriptionsFixture.h"

#include <cerrno>

namespace sorvik::test {
namespace {

TEST_F(DescriptionsTest, aFailedSaveNamesTheFileAndTheReason)
{
    enter(u"C:\\WORK\\");
    desc.ComentSet(u"C:\\WORK\\c.txt", u"c");
    platform::FaultPlan faults;
    faults.failAlways(platform::FsCall::Write, ENOSPC, ".~sorvik-");
    drives.fs().setFaults(&faults);
    const platform::Outcome failed = desc.LocalComentSave(u"C:\\WORK\\");
    drives.fs().setFaults(nullptr);
    EXPECT_EQ(failed, platform::OutcomeKind::Failed);
    EXPECT_EQ(failed.path, central());
    ASSERT_TRUE(failed.error.has_value());
    EXPECT_EQ(failed.error->kind, platform::ErrorKind::DiskFull);
    EXPECT_EQ(ui.messages(), std::vector<u16>{central() + u"に説明を書き込めません\r\nディスクの空きが足りません"});

    const platform::Outcome saved = desc.LocalComentSave(u"C:\\WORK\\");
    EXPECT_EQ(saved, platform::OutcomeKind::Done);
    EXPECT_FALSE(saved.error.has_value());
    EXPECT_EQ(desc.unsavedFiles(), 0u);
}

TEST_F(DescriptionsTest, aSaveWithNothingChangedIsDone)
{
    desc.ComentsChanged = false;
    EXPECT_EQ(desc.LocalComentSave(u"C:\\WORK\\"), platform::OutcomeKind::Done);
    EXPECT_FALSE(drives.exists(central()));
}

}
}

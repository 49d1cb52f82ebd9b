// Two instances of the program over the same description files: each save
// keeps what the other saved meanwhile.

#include "tests/desc/DescriptionsFixture.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include <sys/stat.h>

namespace sorvik::test {
namespace {

namespace fs = std::filesystem;

const char16_t* const kCentralText = u"C:\\DOC\\a.txt,central a\r\nC:\\WORK\\b.txt,central b\r\n";

// `desc` is one instance; `other` the second, with its own file system
// object over the same drives, as a second process would have.
class SharedFile : public DescriptionsTest {
protected:
    SharedFile()
    {
        other.ComentLocal = true;
        drives.makeDir(u"C:\\OWN\\");
    }

    // A directory change of the other instance, as enter() is of `desc`.
    bool otherEnters(u16view dir)
    {
        other.LocalComentSave(AddBackslash(other.DescriptionDir));
        const bool loaded = other.LocalComentGet(dir);
        other.DescriptionDir = u16(dir);
        return loaded;
    }
    static u16 comentIn(const Descriptions& d, u16view path)
    {
        const u16* text = d.lookup(path);
        return text ? *text : u16(u"<none>");
    }

    platform::FileSystem otherFs{drives.fs().drives()};
    Descriptions other{otherFs, kProgramDir, kDataDir, u"sorvik"};
};

TEST_F(SharedFile, bothInstancesKeepTheirNewRecordsInTheCentralFile)
{
    writeText(central(), kCentralText);
    enter(u"C:\\WORK\\");
    otherEnters(u"C:\\WORK\\");
    desc.ComentSet(u"C:\\WORK\\c.txt", u"from one");
    other.ComentSet(u"C:\\WORK\\d.txt", u"from other");

    enter(u"C:\\ELSE\\");
    otherEnters(u"C:\\ELSE\\");
    const Records both{{u"C:\\DOC\\a.txt", u"central a"}, {u"C:\\WORK\\b.txt", u"central b"},
        {u"C:\\WORK\\c.txt", u"from one"}, {u"C:\\WORK\\d.txt", u"from other"}};
    EXPECT_EQ(fileRecords(central()), both);
    // The later saver holds what the file holds, so its next save keeps it.
    EXPECT_EQ(comentIn(other, u"C:\\WORK\\c.txt"), u"from one");
    other.ComentSet(u"C:\\WORK\\e.txt", u"again");
    otherEnters(u"C:\\THIRD\\");
    Records withE = both;
    withE.emplace_back(u"C:\\WORK\\e.txt", u"again");
    EXPECT_EQ(fileRecords(central()), withE);
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(SharedFile, bothInstancesKeepTheirNewRecordsInADirectorysOwnFile)
{
    writeText(central(), kCentralText);
    writeText(ownFile(u"C:\\OWN\\"), u"C:\\OWN\\x.txt,own x\r\n");
    enter(u"C:\\OWN\\");
    otherEnters(u"C:\\OWN\\");
    desc.ComentSet(u"C:\\OWN\\y.txt", u"y from one");
    other.ComentSet(u"C:\\OWN\\z.txt", u"z from other");
    otherEnters(u"C:\\WORK\\");
    enter(u"C:\\WORK\\");
    EXPECT_EQ(fileRecords(ownFile(u"C:\\OWN\\")),
        (Records{
            {u"C:\\OWN\\x.txt", u"own x"}, {u"C:\\OWN\\z.txt", u"z from other"}, {u"C:\\OWN\\y.txt", u"y from one"}}));
    EXPECT_EQ(bytes(central()), cp932(kCentralText));
}

TEST_F(SharedFile, theOthersChangeOfARecordLeftAloneHereStays)
{
    writeText(central(), kCentralText);
    enter(u"C:\\WORK\\");
    otherEnters(u"C:\\WORK\\");
    other.ComentSet(u"C:\\WORK\\b.txt", u"changed by other");
    otherEnters(u"C:\\ELSE\\");
    desc.ComentSet(u"C:\\DOC\\a.txt", u"changed here");
    enter(u"C:\\ELSE\\");
    EXPECT_EQ(fileRecords(central()),
        (Records{{u"C:\\WORK\\b.txt", u"changed by other"}, {u"C:\\DOC\\a.txt", u"changed here"}}));
}

TEST_F(SharedFile, whereBothChangedOneRecordTheLaterSaveWins)
{
    writeText(central(), kCentralText);
    enter(u"C:\\WORK\\");
    otherEnters(u"C:\\WORK\\");
    other.ComentSet(u"C:\\WORK\\b.txt", u"other's b");
    desc.ComentSet(u"C:\\WORK\\b.txt", u"this one's b");
    otherEnters(u"C:\\ELSE\\");
    enter(u"C:\\ELSE\\");
    EXPECT_EQ(
        fileRecords(central()), (Records{{u"C:\\DOC\\a.txt", u"central a"}, {u"C:\\WORK\\b.txt", u"this one's b"}}));
}

TEST_F(SharedFile, aRecordChangedAndChangedBackTakesTheOthersChange)
{
    writeText(central(), kCentralText);
    enter(u"C:\\WORK\\");
    otherEnters(u"C:\\WORK\\");
    desc.ComentSet(u"C:\\WORK\\b.txt", u"for a moment");
    desc.ComentSet(u"C:\\WORK\\b.txt", u"central b");
    desc.ComentSet(u"C:\\WORK\\c.txt", u"c");
    other.ComentSet(u"C:\\WORK\\b.txt", u"other's b");
    otherEnters(u"C:\\ELSE\\");
    enter(u"C:\\ELSE\\");
    EXPECT_EQ(fileRecords(central()),
        (Records{{u"C:\\DOC\\a.txt", u"central a"}, {u"C:\\WORK\\b.txt", u"other's b"}, {u"C:\\WORK\\c.txt", u"c"}}));
}

// A move removes the record under the old path.
class RemovedHere : public SharedFile, public testing::WithParamInterface<bool> {};

TEST_P(RemovedHere, staysRemovedWhicheverSavesFirst)
{
    const bool otherFirst = GetParam();
    writeText(central(), kCentralText);
    enter(u"C:\\WORK\\");
    otherEnters(u"C:\\WORK\\");
    desc.ComentMove(u"C:\\DOC\\a.txt", u"C:\\DOC\\renamed.txt");
    other.ComentSet(u"C:\\WORK\\d.txt", u"d");
    if (otherFirst) {
        otherEnters(u"C:\\ELSE\\");
        enter(u"C:\\ELSE\\");
    } else {
        enter(u"C:\\ELSE\\");
        otherEnters(u"C:\\ELSE\\");
    }
    // Each save puts its own changes after the other's records.
    const Records expected = otherFirst ? Records{{u"C:\\WORK\\b.txt", u"central b"}, {u"C:\\WORK\\d.txt", u"d"},
                                 {u"C:\\DOC\\renamed.txt", u"central a"}}
                                        : Records{{u"C:\\WORK\\b.txt", u"central b"},
                                            {u"C:\\DOC\\renamed.txt", u"central a"}, {u"C:\\WORK\\d.txt", u"d"}};
    EXPECT_EQ(fileRecords(central()), expected);
}

INSTANTIATE_TEST_SUITE_P(OtherSavesFirst, RemovedHere, testing::Bool());

TEST_F(SharedFile, aRecordTheOtherRemovedStaysRemovedWhenLeftAloneHere)
{
    writeText(central(), kCentralText);
    enter(u"C:\\WORK\\");
    otherEnters(u"C:\\WORK\\");
    other.ComentMove(u"C:\\WORK\\b.txt", u"C:\\WORK\\moved.txt");
    otherEnters(u"C:\\ELSE\\");
    desc.ComentSet(u"C:\\WORK\\c.txt", u"c");
    enter(u"C:\\ELSE\\");
    EXPECT_EQ(fileRecords(central()),
        (Records{
            {u"C:\\DOC\\a.txt", u"central a"}, {u"C:\\WORK\\moved.txt", u"central b"}, {u"C:\\WORK\\c.txt", u"c"}}));
}

TEST_F(SharedFile, anUnchangedFileIsReplacedWithoutBeingReadAgain)
{
    writeText(central(), kCentralText);
    platform::FaultPlan plan;
    drives.fs().setFaults(&plan);
    enter(u"C:\\WORK\\");
    const int readsAfterLoad = plan.count(platform::FsCall::Read, "SorvikDP.txt");
    desc.ComentSet(u"C:\\WORK\\c.txt", u"c");
    desc.LocalComentSave(u"C:\\WORK\\");
    EXPECT_EQ(plan.count(platform::FsCall::Read, "SorvikDP.txt"), readsAfterLoad);
    // Its own write does not count as a change either.
    desc.ComentSet(u"C:\\WORK\\d.txt", u"d");
    desc.LocalComentSave(u"C:\\WORK\\");
    EXPECT_EQ(plan.count(platform::FsCall::Read, "SorvikDP.txt"), readsAfterLoad);

    // Another's write does.
    otherEnters(u"C:\\WORK\\");
    other.ComentSet(u"C:\\WORK\\e.txt", u"e");
    otherEnters(u"C:\\ELSE\\");
    desc.ComentSet(u"C:\\WORK\\f.txt", u"f");
    desc.LocalComentSave(u"C:\\WORK\\");
    EXPECT_GT(plan.count(platform::FsCall::Read, "SorvikDP.txt"), readsAfterLoad);
    drives.fs().setFaults(nullptr);
    EXPECT_EQ(fileRecords(central()),
        (Records{{u"C:\\DOC\\a.txt", u"central a"}, {u"C:\\WORK\\b.txt", u"central b"}, {u"C:\\WORK\\c.txt", u"c"},
            {u"C:\\WORK\\d.txt", u"d"}, {u"C:\\WORK\\e.txt", u"e"}, {u"C:\\WORK\\f.txt", u"f"}}));
}

// Another program that rewrites the file in place, keeping its length: only
// the modification time tells.
TEST_F(SharedFile, aRewriteInPlaceOfTheSameLengthIsNoticed)
{
    writeText(central(), kCentralText);
    drives.setTime(central(), 2020, 1, 1, 12, 0, 0);
    enter(u"C:\\WORK\\");
    const std::string before = bytes(central());
    const auto inode = [&] {
        struct stat st {};
        ::stat(drives.host(central()).c_str(), &st);
        return st.st_ino;
    };
    const auto inodeBefore = inode();
    writeText(central(), u"C:\\DOC\\a.txt,outside a\r\nC:\\WORK\\b.txt,outside b\r\n");
    ASSERT_EQ(bytes(central()).size(), before.size());
    ASSERT_EQ(inode(), inodeBefore);
    drives.setTime(central(), 2021, 6, 1, 12, 0, 0);
    desc.ComentSet(u"C:\\WORK\\c.txt", u"c");
    enter(u"C:\\ELSE\\");
    EXPECT_EQ(fileRecords(central()),
        (Records{{u"C:\\DOC\\a.txt", u"outside a"}, {u"C:\\WORK\\b.txt", u"outside b"}, {u"C:\\WORK\\c.txt", u"c"}}));
}

TEST_F(SharedFile, twoFirstRunsBothKeepTheirRecords)
{
    enter(u"C:\\WORK\\");
    otherEnters(u"C:\\WORK\\");
    desc.ComentSet(u"C:\\WORK\\c.txt", u"from one");
    other.ComentSet(u"C:\\WORK\\d.txt", u"from other");
    enter(u"C:\\ELSE\\");
    otherEnters(u"C:\\ELSE\\");
    const Records written = fileRecords(central());
    ASSERT_EQ(written.size(), 7u);   // five built-in records and one of each
    EXPECT_EQ(written[5], (std::pair<u16, u16>{u"C:\\WORK\\c.txt", u"from one"}));
    EXPECT_EQ(written[6], (std::pair<u16, u16>{u"C:\\WORK\\d.txt", u"from other"}));
}

// Records that could not be written are applied to the file as it is once
// it can be, not written over it.
TEST_F(SharedFile, recordsWrittenLateKeepWhatTheOtherSavedMeanwhile)
{
    writeText(central(), kCentralText);
    writeText(ownFile(u"C:\\OWN\\"), u"C:\\OWN\\x.txt,own x\r\n");
    enter(u"C:\\OWN\\");
    desc.ComentSet(u"C:\\OWN\\y.txt", u"y from one");
    setReadOnly(ownFile(u"C:\\OWN\\"), true);
    enter(u"C:\\WORK\\");
    ASSERT_EQ(desc.unsavedFiles(), 1u);

    setReadOnly(ownFile(u"C:\\OWN\\"), false);
    otherEnters(u"C:\\OWN\\");
    other.ComentSet(u"C:\\OWN\\z.txt", u"z from other");
    otherEnters(u"C:\\WORK\\");
    desc.ComentSet(u"C:\\WORK\\c.txt", u"c");
    enter(u"C:\\ELSE\\");   // the retry
    EXPECT_EQ(desc.unsavedFiles(), 0u);
    EXPECT_EQ(fileRecords(ownFile(u"C:\\OWN\\")),
        (Records{
            {u"C:\\OWN\\x.txt", u"own x"}, {u"C:\\OWN\\z.txt", u"z from other"}, {u"C:\\OWN\\y.txt", u"y from one"}}));
}

// Shown again after they could not be written, they are changes like any
// other: the next save applies them to what the other instance wrote.
TEST_F(SharedFile, unsavedRecordsShownAgainAreSavedAsChanges)
{
    writeText(central(), kCentralText);
    writeText(ownFile(u"C:\\OWN\\"), u"C:\\OWN\\x.txt,own x\r\n");
    enter(u"C:\\OWN\\");
    desc.ComentSet(u"C:\\OWN\\y.txt", u"y from one");
    setReadOnly(ownFile(u"C:\\OWN\\"), true);
    enter(u"C:\\WORK\\");
    enter(u"C:\\OWN\\");   // still read-only: shown, not written
    EXPECT_EQ(coment(u"C:\\OWN\\y.txt"), u"y from one");
    ASSERT_EQ(fileRecords(ownFile(u"C:\\OWN\\")), (Records{{u"C:\\OWN\\x.txt", u"own x"}}));

    otherEnters(u"C:\\OWN\\");
    other.ComentSet(u"C:\\OWN\\z.txt", u"z from other");
    setReadOnly(ownFile(u"C:\\OWN\\"), false);
    otherEnters(u"C:\\WORK\\");
    enter(u"C:\\WORK\\");
    EXPECT_EQ(desc.unsavedFiles(), 0u);
    EXPECT_EQ(fileRecords(ownFile(u"C:\\OWN\\")),
        (Records{
            {u"C:\\OWN\\x.txt", u"own x"}, {u"C:\\OWN\\z.txt", u"z from other"}, {u"C:\\OWN\\y.txt", u"y from one"}}));
}

TEST_F(SharedFile, aFileThatCannotBeReadAgainIsNotReplaced)
{
    writeText(central(), kCentralText);
    enter(u"C:\\WORK\\");
    otherEnters(u"C:\\WORK\\");
    other.ComentSet(u"C:\\WORK\\d.txt", u"d");
    otherEnters(u"C:\\ELSE\\");
    const std::string theirs = bytes(central());
    platform::FaultPlan plan;
    plan.failAlways(platform::FsCall::Read, EIO, "SorvikDP.txt");
    drives.fs().setFaults(&plan);
    desc.ComentSet(u"C:\\WORK\\c.txt", u"c");
    desc.LocalComentSave(u"C:\\WORK\\");
    drives.fs().setFaults(nullptr);
    EXPECT_EQ(ui.messages(), std::vector<u16>{central() + u"に説明を書き込めません\r\nエラーが起きました (errno 5)"});
    EXPECT_EQ(bytes(central()), theirs);
    EXPECT_EQ(desc.unsavedFiles(), 1u);
    desc.LocalComentSave(u"C:\\WORK\\");
    EXPECT_EQ(desc.unsavedFiles(), 0u);
    EXPECT_EQ(fileRecords(central()),
        (Records{{u"C:\\DOC\\a.txt", u"central a"}, {u"C:\\WORK\\b.txt", u"central b"}, {u"C:\\WORK\\d.txt", u"d"},
            {u"C:\\WORK\\c.txt", u"c"}}));
}

}
}

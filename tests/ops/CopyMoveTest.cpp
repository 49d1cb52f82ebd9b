#include "ops/CopyMove.h"
#include "platform/DateFormat.h"
#include "tests/ops/OpsFixture.h"

#include <cerrno>
#include <cstdio>

namespace sorvik {
namespace {

using platform::FsCall;

class CopyMoveTest : public test::OpsFixture {
protected:
    CommandOutcome copy(OverwriteRule rule = OverwriteRule::ReplaceIfNewer, Operation op = Operation::Copy,
        OperationProgress* progress = nullptr, const u16& destination = u"C:\\dest\\")
    {
        CopyMoveRun run(*model, op, progress);
        return run.CopyMarkedOrCurrent(u"C:\\work\\", destination, rule);
    }
    std::string bytes(const u16& path) const { return drives.readBytes(path); }
};

// --- the overwrite rules ---

TEST_F(CopyMoveTest, markedWithOption1ReplacesOnlyOlderDestinations)
{
    file(u"C:\\work\\new.txt", "source new", 2021);
    file(u"C:\\work\\same.txt", "source same", 2020, 5);
    file(u"C:\\work\\old.txt", "source old", 2019);
    file(u"C:\\work\\absent.txt", "source absent");
    file(u"C:\\dest\\new.txt", "dest older", 2020);
    file(u"C:\\dest\\same.txt", "dest same second", 2020, 5);
    file(u"C:\\dest\\old.txt", "dest newer", 2020);
    load();
    for (const char16_t* n : {u"new.txt", u"same.txt", u"old.txt", u"absent.txt"})
        mark(n);

    EXPECT_EQ(copy(OverwriteRule::ReplaceIfNewer), CommandResult::Done);
    EXPECT_EQ(bytes(u"C:\\dest\\new.txt"), "source new");
    EXPECT_EQ(bytes(u"C:\\dest\\same.txt"), "dest same second");
    EXPECT_EQ(bytes(u"C:\\dest\\old.txt"), "dest newer");
    EXPECT_EQ(bytes(u"C:\\dest\\absent.txt"), "source absent");
    EXPECT_TRUE(ui.questions().empty());
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(CopyMoveTest, markedWithOption2ReplacesEvenNewerDestinations)
{
    file(u"C:\\work\\a.txt", "source", 2019);
    file(u"C:\\dest\\a.txt", "dest newer", 2022);
    load();
    mark(u"a.txt");
    EXPECT_EQ(copy(OverwriteRule::ReplaceAlways), CommandResult::Done);
    EXPECT_EQ(bytes(u"C:\\dest\\a.txt"), "source");
    EXPECT_TRUE(ui.questions().empty());
}

TEST_F(CopyMoveTest, currentEntryAsksWithBothDatesWhenDestinationIsNotOlder)
{
    file(u"C:\\work\\a.txt", "source", 2019);
    file(u"C:\\dest\\a.txt", "dest newer", 2022);
    load();
    cursorOn(u"a.txt");
    describe(u"a.txt", u"説明");

    ui = platform::ScriptedUi({false});
    copy(OverwriteRule::ReplaceAlways);   // the option plays no part without marks
    ASSERT_EQ(ui.questions().size(), 1u);
    const auto dS = drives.fs().fileInfo(u"C:\\work\\a.txt")->lastWrite;
    const auto dD = drives.fs().fileInfo(u"C:\\dest\\a.txt")->lastWrite;
    EXPECT_EQ(ui.questions()[0],
        u"送り元:" + platform::formatDateTime(dS) + u"\r\n送り先:" + platform::formatDateTime(dD)
            + u"\r\n古いか同じﾌｧｲﾙです。続行しますか？");
    EXPECT_EQ(bytes(u"C:\\dest\\a.txt"), "dest newer") << "No keeps the destination";
    ASSERT_NE(model->descriptions.lookup(u"C:\\dest\\a.txt"), nullptr) << "the description is carried all the same";
    EXPECT_EQ(*model->descriptions.lookup(u"C:\\dest\\a.txt"), u"説明");

    ui = platform::ScriptedUi({true});
    copy();
    EXPECT_EQ(bytes(u"C:\\dest\\a.txt"), "source") << "Yes replaces";
}

TEST_F(CopyMoveTest, currentEntryNewerThanDestinationIsCopiedWithoutAQuestion)
{
    file(u"C:\\work\\a.txt", "source", 2022);
    file(u"C:\\dest\\a.txt", "dest", 2019);
    load();
    cursorOn(u"a.txt");
    copy();
    EXPECT_TRUE(ui.questions().empty());
    EXPECT_EQ(bytes(u"C:\\dest\\a.txt"), "source");
}

TEST_F(CopyMoveTest, markedRowsAloneAreTakenEvenWhenTheCurrentEntryIsNotAmongThem)
{
    file(u"C:\\work\\a.txt", "a");
    file(u"C:\\work\\b.txt", "b");
    load();
    mark(u"a.txt");
    cursorOn(u"b.txt");
    copy();
    EXPECT_TRUE(drives.exists(u"C:\\dest\\a.txt"));
    EXPECT_FALSE(drives.exists(u"C:\\dest\\b.txt"));
}

// --- copies look like their source ---

TEST_F(CopyMoveTest, copyKeepsTheSourceTimeAndAttributes)
{
    file(u"C:\\work\\a.txt", "content", 2003, 7);
    ASSERT_TRUE(drives.fs().setAttributes(u"C:\\work\\a.txt", platform::kAttrReadOnly | platform::kAttrHidden));
    load();
    model->File1.setSwitches({true, true, false, true});
    model->RefreshFileTable(u'n');
    mark(u"a.txt");
    copy();
    const auto s = drives.fs().fileInfo(u"C:\\work\\a.txt");
    const auto d = drives.fs().fileInfo(u"C:\\dest\\a.txt");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->lastWrite, s->lastWrite);
    EXPECT_EQ(d->attributes, s->attributes);
}

// --- protected names ---

TEST_F(CopyMoveTest, protectedNamesAreRefusedInAnyCaseOneLineEach)
{
    file(u"C:\\work\\黑黑黑黑.INI", "settings");
    file(u"C:\\work\\黑黑黑黑.dtb", "guard");
    file(u"C:\\work\\a.txt", "a");
    load();
    for (const char16_t* n : {u"黑黑黑黑.INI", u"黑黑黑黑.dtb", u"a.txt"})
        mark(n);
    EXPECT_EQ(CheckProtectedFiles(*model, u"コピー"), CommandResult::Failed);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0], u"黑黑黑黑.DTB\r\n黑黑黑黑.INI\r\nこのファイルはコピー出来ません");
}

TEST_F(CopyMoveTest, onlyTheCurrentEntryIsTestedWithoutMarksAndOnlyMarkedRowsWithThem)
{
    file(u"C:\\work\\黑黑黑黑.ini", "settings");
    file(u"C:\\work\\a.txt", "a");
    load();
    cursorOn(u"a.txt");
    EXPECT_EQ(CheckProtectedFiles(*model, u"移動"), CommandResult::Done);
    cursorOn(u"黑黑黑黑.ini");
    EXPECT_EQ(CheckProtectedFiles(*model, u"移動"), CommandResult::Failed);
    EXPECT_EQ(ui.messages().back(), u"黑黑黑黑.INI\r\nこのファイルは移動出来ません");
    mark(u"a.txt");
    EXPECT_EQ(CheckProtectedFiles(*model, u"移動"), CommandResult::Done)
        << "the current entry is not tested when rows are marked";
}

// --- descriptions ---

TEST_F(CopyMoveTest, descriptionsFollowAndEmptyCellsLeaveTheStoreAlone)
{
    file(u"C:\\work\\a.txt", "a");
    file(u"C:\\work\\b.txt", "b");
    load();
    mark(u"a.txt");
    mark(u"b.txt");
    describe(u"a.txt", u"一行の説明");
    model->ComentSet(u"C:\\work\\a.txt", u"一行の説明");
    const std::size_t before = model->descriptions.store().count();
    copy(OverwriteRule::ReplaceIfNewer, Operation::Move);
    ASSERT_NE(model->descriptions.lookup(u"C:\\dest\\a.txt"), nullptr);
    EXPECT_EQ(*model->descriptions.lookup(u"C:\\dest\\a.txt"), u"一行の説明");
    EXPECT_EQ(model->descriptions.lookup(u"C:\\dest\\b.txt"), nullptr);
    ASSERT_NE(model->descriptions.lookup(u"C:\\work\\a.txt"), nullptr) << "the source's record stays after a move";
    EXPECT_EQ(model->descriptions.store().count(), before + 1);
}

// --- the self-copy guard ---

TEST_F(CopyMoveTest, copyingOrMovingAFileOntoItselfLeavesItWhole)
{
    file(u"C:\\work\\a.txt", "precious");
    load();
    cursorOn(u"a.txt");
    ui = platform::ScriptedUi({true, true});
    EXPECT_EQ(copy(OverwriteRule::ReplaceIfNewer, Operation::Copy, nullptr, u"C:\\work\\"), CommandResult::Done);
    EXPECT_EQ(ui.questions().size(), 1u) << "same date: the question comes";
    EXPECT_EQ(bytes(u"C:\\work\\a.txt"), "precious");
    copy(OverwriteRule::ReplaceIfNewer, Operation::Move, nullptr, u"C:\\work\\");
    EXPECT_EQ(bytes(u"C:\\work\\a.txt"), "precious");

    mark(u"a.txt");
    copy(OverwriteRule::ReplaceAlways, Operation::Move, nullptr, u"C:\\work\\");
    EXPECT_EQ(bytes(u"C:\\work\\a.txt"), "precious");
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_FALSE(leftoverTemporaries(u"C:\\work"));
}

// A second path to a directory is a POSIX link here (Windows tests have no link call).
#ifndef _WIN32
TEST_F(CopyMoveTest, theSameDirectoryReachedThroughALinkIsTheSameFile)
{
    file(u"C:\\work\\a.txt", "precious");
    ASSERT_EQ(symlink(drives.host(u"C:\\work").c_str(), drives.host(u"C:\\alias").c_str()), 0);
    load();
    mark(u"a.txt");
    copy(OverwriteRule::ReplaceAlways, Operation::Copy, nullptr, u"C:\\alias\\");
    EXPECT_EQ(bytes(u"C:\\work\\a.txt"), "precious");
    copy(OverwriteRule::ReplaceAlways, Operation::Move, nullptr, u"C:\\alias\\");
    EXPECT_EQ(bytes(u"C:\\work\\a.txt"), "precious");
}
#endif

// --- failures are told, and lose nothing ---

TEST_F(CopyMoveTest, aFullDiskIsReportedAndLeavesTheOldDestinationWhole)
{
    file(u"C:\\work\\a.txt", "new a", 2022);
    file(u"C:\\work\\b.txt", "new b", 2022);
    file(u"C:\\dest\\a.txt", "old a", 2019);
    load();
    mark(u"a.txt");
    mark(u"b.txt");
    faults.failAt(FsCall::Write, 1, ENOSPC);
    drives.fs().setFaults(&faults);
    EXPECT_EQ(copy(), CommandResult::Failed);
    EXPECT_EQ(bytes(u"C:\\dest\\a.txt"), "old a");
    EXPECT_EQ(bytes(u"C:\\dest\\b.txt"), "new b") << "the loop goes on";
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0], u"次のﾌｧｲﾙを複写できませんでした\r\na.txt : ディスクの空きが足りません");
    EXPECT_FALSE(leftoverTemporaries(u"C:\\dest"));
}

TEST_F(CopyMoveTest, aFailedCopyLeavesTheDestinationsOwnDescription)
{
    file(u"C:\\work\\a.txt", "new a", 2022);
    file(u"C:\\dest\\a.txt", "old a", 2019);
    load();
    model->descriptions.ComentSet(u"C:\\dest\\a.txt", u"先の説明");
    cursorOn(u"a.txt");
    describe(u"a.txt", u"元の説明");
    faults.failAt(FsCall::Write, 1, ENOSPC);
    drives.fs().setFaults(&faults);
    EXPECT_EQ(copy(), CommandResult::Failed);
    EXPECT_EQ(bytes(u"C:\\dest\\a.txt"), "old a");
    ASSERT_NE(model->descriptions.lookup(u"C:\\dest\\a.txt"), nullptr);
    EXPECT_EQ(*model->descriptions.lookup(u"C:\\dest\\a.txt"), u"先の説明");
}

TEST_F(CopyMoveTest, aSourceThatVanishesIsReportedByName)
{
    file(u"C:\\work\\a.txt", "a");
    file(u"C:\\work\\b.txt", "b");
    load();
    mark(u"a.txt");
    mark(u"b.txt");
    const std::string hostA = drives.host(u"C:\\work\\a.txt");
    faults.beforeCall(
        FsCall::Open, 1, [hostA] { std::remove(hostA.c_str()); }, "/a.txt");
    drives.fs().setFaults(&faults);
    copy();
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0], u"次のﾌｧｲﾙを複写できませんでした\r\na.txt : ファイルが見つかりません");
    EXPECT_FALSE(drives.exists(u"C:\\dest\\a.txt"));
    EXPECT_EQ(bytes(u"C:\\dest\\b.txt"), "b");
}

TEST_F(CopyMoveTest, aReadOnlyDestinationIsNeverReplaced)
{
    file(u"C:\\work\\a.txt", "new", 2022);
    file(u"C:\\dest\\a.txt", "kept", 2019);
    ASSERT_TRUE(drives.fs().setAttributes(u"C:\\dest\\a.txt", platform::kAttrReadOnly));
    load();
    mark(u"a.txt");
    copy(OverwriteRule::ReplaceAlways, Operation::Move);
    EXPECT_EQ(bytes(u"C:\\dest\\a.txt"), "kept");
    EXPECT_EQ(bytes(u"C:\\work\\a.txt"), "new");
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0], u"次のﾌｧｲﾙを移動できませんでした\r\na.txt : 読み取り専用です");
}

TEST_F(CopyMoveTest, aMoveAcrossDevicesCopiesThenRemovesTheSource)
{
    file(u"C:\\work\\a.txt", "travels", 2011);
    load();
    mark(u"a.txt");
    faults.failAlways(FsCall::Rename, EXDEV, "/a.txt");
    drives.fs().setFaults(&faults);
    EXPECT_EQ(copy(OverwriteRule::ReplaceIfNewer, Operation::Move, nullptr, u"D:\\"), CommandResult::Done);
    EXPECT_EQ(bytes(u"D:\\a.txt"), "travels");
    EXPECT_FALSE(drives.exists(u"C:\\work\\a.txt"));
    EXPECT_EQ(drives.fs().fileInfo(u"D:\\a.txt")->lastWrite.year, 2011);
}

TEST_F(CopyMoveTest, aMoveAcrossDevicesThatFailsMidwayLeavesTheSourceWhole)
{
    file(u"C:\\work\\a.txt", std::string(3 << 20, 'x'));
    load();
    mark(u"a.txt");
    faults.failAlways(FsCall::Rename, EXDEV, "/a.txt");
    faults.failAt(FsCall::Write, 1, ENOSPC);
    drives.fs().setFaults(&faults);
    EXPECT_EQ(copy(OverwriteRule::ReplaceIfNewer, Operation::Move, nullptr, u"D:\\"), CommandResult::Failed);
    EXPECT_EQ(bytes(u"C:\\work\\a.txt").size(), std::size_t(3 << 20));
    EXPECT_FALSE(drives.exists(u"D:\\a.txt"));
    EXPECT_FALSE(leftoverTemporaries(u"D:\\"));
    ASSERT_EQ(ui.messages().size(), 1u);
}

// --- cancel ---

class CancelAfter : public OperationProgress {
public:
    explicit CancelAfter(int files) : m_files(files) {}
    void begin(int files, std::int64_t bytes) override { total = files, totalBytes = bytes; }
    void startFile(u16view name, std::int64_t) override { started.emplace_back(name); }
    bool copied(std::int64_t bytes) override
    {
        doneBytes += bytes;
        if (int(started.size()) > m_files)
            m_cancel = true;
        return !m_cancel;
    }
    void fileDone() override { ++done; }
    void end() override { ended = true; }
    bool cancelRequested() const override { return m_cancel; }

    int total = 0, done = 0;
    std::int64_t totalBytes = 0, doneBytes = 0;
    bool ended = false;
    std::vector<u16> started;

private:
    int m_files;
    bool m_cancel = false;
};

TEST_F(CopyMoveTest, cancelMidFileKeepsWhatWasDoneAndRemovesThePartialFile)
{
    file(u"C:\\work\\a.txt", "first");
    file(u"C:\\work\\b.bin", std::string(20 << 20, 'b'));
    file(u"C:\\work\\c.txt", "third");
    file(u"C:\\dest\\b.bin", "old b", 2000);
    load();
    for (const char16_t* n : {u"a.txt", u"b.bin", u"c.txt"}) {
        mark(n);
        describe(n, u"説明 " + u16(n));
    }
    CancelAfter progress(1);
    EXPECT_EQ(copy(OverwriteRule::ReplaceAlways, Operation::Copy, &progress), CommandResult::Cancelled);
    EXPECT_EQ(progress.total, 3);
    EXPECT_EQ(progress.totalBytes, std::int64_t(5 + (20 << 20) + 5));
    EXPECT_EQ(progress.done, 1);
    EXPECT_TRUE(progress.ended);
    EXPECT_EQ(bytes(u"C:\\dest\\a.txt"), "first");
    EXPECT_EQ(bytes(u"C:\\dest\\b.bin"), "old b") << "the file being copied is not half-written";
    EXPECT_FALSE(drives.exists(u"C:\\dest\\c.txt"));
    EXPECT_FALSE(leftoverTemporaries(u"C:\\dest"));
    EXPECT_NE(model->descriptions.lookup(u"C:\\dest\\a.txt"), nullptr);
    EXPECT_EQ(model->descriptions.lookup(u"C:\\dest\\b.bin"), nullptr);
    EXPECT_TRUE(ui.messages().empty()) << "a cancel is no failure to list";
}

}
}

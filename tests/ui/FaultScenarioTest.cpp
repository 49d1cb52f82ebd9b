// P and U through the window while the archiver's file system fails: the
// archive and the user's files keep their bytes, no temporary file stays,
// and the failure is shown with the archiver's code.

#include "lha/ErrorCodes.h"
#include "lha/Unlha.h"
#include "ops/ArchiveCommandLine.h"
#include "platform/Faults.h"
#include "tests/support/DialogKeys.h"
#include "tests/support/HostFiles.h"
#include "tests/ui/Form1Fixture.h"
#include "ui/QtUi.h"

#include <QDialog>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace sorvik::test {
namespace {

using platform::FsCall;

// Text that packs into many blocks: numbers in an order the coder cannot guess.
std::string report(int seed)
{
    std::string text;
    for (unsigned i = 0; text.size() < (2u << 20); ++i)
        text += "entry " + std::to_string((i * 2654435761u + unsigned(seed)) % 1000003u) + "\r\n";
    return text;
}

// The code as the classic message has it, then the archiver's own line
// naming the file and the reason.
std::vector<u16> failureText(u16view heading, int code, u16view file)
{
    return {u16(heading) + fromUtf8(std::to_string(signed16(code))) + u"\r\n" + u16(file) + u": "};
}

// The messages with each one's reason and code cut off after the file's name.
std::vector<u16> named(const std::vector<u16>& messages)
{
    std::vector<u16> out;
    for (const u16& m : messages) {
        const std::size_t name = m.find(u": ", m.find(u"\r\n"));
        out.push_back(name == u16::npos ? m : m.substr(0, name + 2));
    }
    return out;
}

class FaultScenario : public Form1Fixture {
protected:
    void SetUp() override
    {
        Form1Fixture::SetUp();
        platform::clearDialogHooks();
        drives.makeDir(u"C:\\dest");
        drives.writeBytes(u"C:\\work\\Memo.Txt", report(1));
        drives.setTime(u"C:\\work\\Memo.Txt", 2020, 1, 1, 12, 0, 0);
    }
    void TearDown() override
    {
        lha::setFaults(nullptr);
        EXPECT_EQ(platform::dialogsLeftOpen(), 0);
        platform::clearDialogHooks();
        Form1Fixture::TearDown();
    }
    // P on Memo.Txt, accepting the proposed archive in C:\work; the faults
    // start only once the dialog is open, so nothing before the archiver meets them.
    void pack(platform::FaultPlan* faults)
    {
        cursorTo(u"Memo.Txt");
        platform::queueDialogHook([faults](QDialog&) {
            lha::setFaults(faults);
            key(Qt::Key_Return);
        });
        press(Qt::Key_P);
        lha::setFaults(nullptr);
    }
    // U on Memo.LZH into C:\dest, chosen in the dialog's tree and list.
    void unpackToDest(platform::FaultPlan* faults)
    {
        cursorTo(u"Memo.LZH");
        platform::queueDialogHook([faults](QDialog&) {
            chooseDestInDialog();
            lha::setFaults(faults);
            key(Qt::Key_Return);
        });
        press(Qt::Key_U);
        lha::setFaults(nullptr);
    }
    // An archive of the first Memo.Txt, and Memo.Txt changed since, so that a
    // second P really rewrites the archive. The writes of that first pack.
    int packedOnce()
    {
        platform::FaultPlan counting;
        pack(&counting);
        EXPECT_TRUE(ui.messages().empty());
        EXPECT_TRUE(drives.exists(u"C:\\work\\Memo.LZH"));
        drives.writeBytes(u"C:\\work\\Memo.Txt", report(2));
        drives.setTime(u"C:\\work\\Memo.Txt", 2024, 1, 1, 12, 0, 0);
        return counting.count(FsCall::Write, ".~sorvik-");
    }
};

TEST_F(FaultScenario, aFullDiskWhileRepackingKeepsTheOldArchiveAndSaysSo)
{
    start();
    const int writes = packedOnce();
    ASSERT_GE(writes, 3);
    for (int nth : {1, (writes + 1) / 2, writes}) {
        SCOPED_TRACE(nth);
        ui.clear();
        const Snapshot before = snapshotOf(drives.host(u"C:\\work"));
        platform::FaultPlan faults;
        faults.failAt(FsCall::Write, nth, ENOSPC, ".~sorvik-");
        pack(&faults);
        EXPECT_EQ(snapshotOf(drives.host(u"C:\\work")), before) << "archive and source byte for byte, no temporary";
        EXPECT_EQ(named(ui.messages()),
            failureText(u"圧縮失敗 :", lha::kErrDiskSpace, nth < writes ? u"Memo.Txt" : u"C:\\work\\Memo.LZH"));
    }
}

TEST_F(FaultScenario, anArchiveThatCannotTakeTheOldOnesPlaceIsNotHalfWritten)
{
    start();
    packedOnce();
    const Snapshot before = snapshotOf(drives.host(u"C:\\work"));
    platform::FaultPlan faults;
    faults.failAlways(FsCall::Rename, EIO);
    pack(&faults);
    EXPECT_EQ(snapshotOf(drives.host(u"C:\\work")), before);
    EXPECT_EQ(named(ui.messages()), failureText(u"圧縮失敗 :", lha::kErrCannotWrite, u"C:\\work\\Memo.LZH"));
}

TEST_F(FaultScenario, aPackIntoAnUnwritableDirectoryMakesNothingAndSaysSo)
{
    start();
    const Snapshot before = snapshotOf(drives.host(u"C:\\work"));
    platform::FaultPlan faults;
    faults.failAlways(FsCall::Open, EACCES, ".~sorvik-");
    pack(&faults);
    EXPECT_EQ(snapshotOf(drives.host(u"C:\\work")), before) << "no archive, no temporary";
    EXPECT_EQ(named(ui.messages()), failureText(u"圧縮失敗 :", lha::kErrTempOpen, u"C:\\work\\Memo.LZH"));
}

TEST_F(FaultScenario, aFullDiskWhileUnpackingKeepsTheOlderFileThere)
{
    start();
    packedOnce();
    // What a successful unpack writes, counted on a copy of the scene.
    drives.writeBytes(u"C:\\dest\\Memo.Txt", "an older memo");
    drives.setTime(u"C:\\dest\\Memo.Txt", 2001, 1, 1, 12, 0, 0);
    platform::FaultPlan counting;
    unpackToDest(&counting);
    ASSERT_TRUE(ui.messages().empty());
    ASSERT_EQ(drives.readBytes(u"C:\\dest\\Memo.Txt"), report(1)) << "an unpack replaces an older file";
    const int writes = counting.count(FsCall::Write, ".~sorvik-");
    ASSERT_GE(writes, 3);

    for (int nth : {1, (writes + 1) / 2, writes}) {
        SCOPED_TRACE(nth);
        ui.clear();
        drives.writeBytes(u"C:\\dest\\Memo.Txt", "an older memo");
        drives.setTime(u"C:\\dest\\Memo.Txt", 2001, 1, 1, 12, 0, 0);
        const Snapshot dest = snapshotOf(drives.host(u"C:\\dest"));
        const Snapshot work = snapshotOf(drives.host(u"C:\\work"));
        platform::FaultPlan faults;
        faults.failAt(FsCall::Write, nth, ENOSPC, ".~sorvik-");
        unpackToDest(&faults);
        EXPECT_EQ(snapshotOf(drives.host(u"C:\\dest")), dest) << "the older file whole, no half member";
        EXPECT_EQ(snapshotOf(drives.host(u"C:\\work")), work) << "the archive untouched";
        EXPECT_EQ(named(ui.messages()), failureText(u"展開失敗 :", lha::kErrDiskSpace, u"Memo.Txt"));
    }
}

TEST_F(FaultScenario, anArchiveVanishingAfterItsCheckIsToldAndWritesNothing)
{
    start();
    packedOnce();
    drives.writeBytes(u"C:\\dest\\Memo.Txt", "an older memo");
    drives.setTime(u"C:\\dest\\Memo.Txt", 2001, 1, 1, 12, 0, 0);
    const Snapshot dest = snapshotOf(drives.host(u"C:\\dest"));
    const std::string archive = drives.host(u"C:\\work\\Memo.LZH");
    platform::FaultPlan faults;
    faults.beforeCall(
        FsCall::Open, 1, [archive] { std::remove(archive.c_str()); }, "/Memo.LZH");
    unpackToDest(&faults);
    ASSERT_EQ(faults.count(FsCall::Open, "/Memo.LZH"), 1) << "the archive was removed just before the unpack opened it";
    EXPECT_EQ(snapshotOf(drives.host(u"C:\\dest")), dest);
    EXPECT_EQ(named(ui.messages()), failureText(u"展開失敗 :", lha::kErrArchiveOpen, u"C:\\work\\Memo.LZH"));
}

}
}

// Every command that writes, made to fail at the system call where it hurts
// most: the files that were there before keep their bytes, nothing
// half-written is left beside them, and the user is told which file failed.

#include "app/Settings.h"
#include "assoc/AssociationEditor.h"
#include "ops/Attributes.h"
#include "ops/CopyMove.h"
#include "ops/Delete.h"
#include "ops/Rename.h"
#include "platform/DataFileNames.h"
#include "tests/ops/OpsFixture.h"
#include "tests/support/Cp932.h"
#include "tests/support/HostFiles.h"
#include "tests/support/TempDrive.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>

#include <sys/stat.h>

namespace sorvik {
namespace {

using platform::FaultPlan;
using test::cp932;
using test::Snapshot;
using test::snapshotOf;
using platform::FsCall;

u16 reasonFor(int err)
{
    return platform::reasonText(platform::errorFromErrno(err));
}

const u16 kDataDir = u"C:\\prog\\SYSDAT\\";

// --- the three data files ---

enum class DataFile { Settings, Descriptions, Associations };

enum class DataFault {
    DiskFull,              // the write of the new content
    RenameFails,           // the temporary file cannot take the old one's place
    DirectoryUnwritable,   // no temporary file can be made beside it
    ReadOnlyFileSystem,
    FileVanishes,   // someone removes the file just before it is written
};

class DataFileFaultTest : public test::OpsFixture, public testing::WithParamInterface<std::tuple<DataFile, DataFault>> {
protected:
    void SetUp() override
    {
        OpsFixture::SetUp();
        drives.makeDir(kDataDir);
        drives.writeBytes(kDataDir + kDescriptionFile, cp932(u"C:\\prog\\x,中央の説明\r\n"));
        file(u"C:\\work\\a.txt", "user a");
        file(u"C:\\work\\b.txt", "user b");
    }

    DataFile kind() const { return std::get<0>(GetParam()); }
    DataFault fault() const { return std::get<1>(GetParam()); }

    // The data file, its old bytes on disk and the change waiting to be written.
    void prepare()
    {
        switch (kind()) {
        case DataFile::Settings:
            path = kDataDir + kSettingsFileName;
            drives.writeBytes(path, "[Init]\r\nTop= 1 \r\nLeft= 2 \r\n");
            window.Top = 1200;
            window.Left = 300;
            window.ClientWidth = 9000;
            window.ClientHeight = 6000;
            window.ListedDirectory = u"C:\\work";
            newBytes = settingsFileBytes(window, kinds, jumps, filters);
            break;
        case DataFile::Descriptions:
            path = u"C:\\work\\" + u16(kDescriptionFile);
            drives.writeBytes(path, cp932(u"C:\\work\\a.txt,古い説明\r\nC:\\work\\b.txt,説明b\r\n"));
            load();
            model->ComentSet(u"C:\\work\\a.txt", u"新しい説明");
            newBytes = cp932(u"C:\\work\\b.txt,説明b\r\nC:\\work\\a.txt,新しい説明\r\n");
            break;
        case DataFile::Associations:
            path = kDataDir + kAssociationFile;
            drives.writeBytes(path, cp932(u"*.TXT,C:\\E\\e.exe\r\n"));
            editor = std::make_unique<AssociationEditor>(drives.fs(), kDataDir);
            editor->open(u"*.txt");
            ASSERT_TRUE(editor->addOrReplace(u"*.DOC", u"C:\\W", &program).has_value());
            newBytes = cp932(u"*.DOC,C:\\W\\ed.exe\r\n*.TXT,C:\\E\\e.exe\r\n");
            break;
        }
        oldBytes = drives.readBytes(path);
        hostDir = drives.host(path.substr(0, path.rfind(u'\\')));
    }

    void save()
    {
        switch (kind()) {
        case DataFile::Settings:
            SaveSettings(drives.fs(), kDataDir, window, kinds, jumps, filters);
            break;
        case DataFile::Descriptions:
            model->descriptions.LocalComentSave(u"C:\\work\\");
            break;
        case DataFile::Associations:
            editor->saveOnClose();
            break;
        }
    }

    void installFault()
    {
        const std::string host = drives.host(path);
        switch (fault()) {
        case DataFault::DiskFull:
            faults.failAt(FsCall::Write, 1, ENOSPC);
            break;
        case DataFault::RenameFails:
            faults.failAt(FsCall::Rename, 1, EIO, ".~sorvik-");
            break;
        case DataFault::DirectoryUnwritable:
            faults.failAlways(FsCall::Open, EACCES, ".~sorvik-");
            break;
        case DataFault::ReadOnlyFileSystem:
            faults.failAlways(FsCall::Open, EROFS, ".~sorvik-");
            break;
        case DataFault::FileVanishes:
            faults.beforeCall(
                FsCall::Open, 1, [host] { std::remove(host.c_str()); }, ".~sorvik-");
            break;
        }
        drives.fs().setFaults(&faults);
    }

    // The message the writer shows for its file.
    void expectTold()
    {
        switch (kind()) {
        case DataFile::Settings:
            ASSERT_EQ(ui.messages().size(), 1u);
            EXPECT_EQ(ui.messages()[0].rfind(path + u"に設定を書き込めません\r\n", 0), 0u) << toUtf8(ui.messages()[0]);
            break;
        case DataFile::Descriptions:
            ASSERT_EQ(ui.messages().size(), 1u);
            EXPECT_EQ(ui.messages()[0].rfind(path + u"に説明を書き込めません\r\n", 0), 0u) << toUtf8(ui.messages()[0]);
            break;
        case DataFile::Associations:
            ASSERT_EQ(ui.messages().size(), 1u);
            EXPECT_EQ(ui.messages()[0].rfind(path + u"に書き込めません\r\n", 0), 0u) << toUtf8(ui.messages()[0]);
            break;
        }
    }

    u16 path;
    std::string hostDir;
    std::string oldBytes;
    std::string newBytes;
    SettingsSnapshot window;
    DisplayKinds kinds;
    JumpList jumps;
    FilterList filters;
    std::unique_ptr<AssociationEditor> editor;
    const u16 program = u"ed.exe";
};

TEST_P(DataFileFaultTest, aFailedSaveKeepsTheOldFileWholeAndASecondSaveWritesTheChange)
{
    prepare();
    if (HasFatalFailure())
        return;
    const Snapshot before = snapshotOf(hostDir);
    const Snapshot userFiles = snapshotOf(drives.host(u"C:\\work"));
    const Snapshot dataDir = snapshotOf(drives.host(kDataDir));
    installFault();
    save();
    drives.fs().setFaults(nullptr);

    if (fault() == DataFault::FileVanishes) {
        // Nothing was in the way of the write: the new content is there, whole.
        EXPECT_EQ(drives.readBytes(path), newBytes);
        EXPECT_TRUE(ui.messages().empty());
        EXPECT_TRUE(drives.tempFilesIn(path.substr(0, path.rfind(u'\\'))).empty());
        return;
    }
    EXPECT_EQ(snapshotOf(hostDir), before) << "the old file byte for byte, and no temporary file";
    EXPECT_EQ(drives.readBytes(path), oldBytes);
    if (kind() != DataFile::Descriptions) {
        EXPECT_EQ(snapshotOf(drives.host(u"C:\\work")), userFiles);
    } else {
        EXPECT_EQ(snapshotOf(drives.host(kDataDir)), dataDir) << "the central file is not used as a way out";
    }
    expectTold();

    // The change is still held, and is written once the fault is gone.
    ui.clear();
    save();
    EXPECT_EQ(drives.readBytes(path), newBytes);
    EXPECT_TRUE(ui.messages().empty());
}

std::string dataCaseName(const testing::TestParamInfo<std::tuple<DataFile, DataFault>>& info)
{
    static const char* const kFiles[] = {"Settings", "Descriptions", "Associations"};
    static const char* const kFaults[]
        = {"DiskFull", "RenameFails", "DirectoryUnwritable", "ReadOnlyFileSystem", "FileVanishes"};
    return std::string(kFiles[int(std::get<0>(info.param))]) + "_" + kFaults[int(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(Writers, DataFileFaultTest,
    testing::Combine(testing::Values(DataFile::Settings, DataFile::Descriptions, DataFile::Associations),
        testing::Values(DataFault::DiskFull, DataFault::RenameFails, DataFault::DirectoryUnwritable,
            DataFault::ReadOnlyFileSystem, DataFault::FileVanishes)),
    dataCaseName);

class AssociationFileTest : public test::OpsFixture {};

TEST_F(AssociationFileTest, aReadOnlyAssociationFileIsNamedAndKept)
{
    const u16 path = kDataDir + kAssociationFile;
    drives.makeDir(kDataDir);
    drives.writeBytes(path, cp932(u"*.TXT,C:\\E\\e.exe\r\n"));
    // Through the wide path: on Windows a narrow name is read in the ANSI code page.
    std::error_code ec;
    std::filesystem::permissions(test::hostFsPath(drives.host(path)),
        std::filesystem::perms::owner_read | std::filesystem::perms::group_read | std::filesystem::perms::others_read,
        ec);
    ASSERT_FALSE(ec) << ec.message();
    const Snapshot before = snapshotOf(drives.host(kDataDir));
    AssociationEditor editor(drives.fs(), kDataDir);
    editor.open(u"*.txt");
    const u16 program = u"ed.exe";
    editor.addOrReplace(u"*.DOC", u"C:\\W", &program);
    EXPECT_FALSE(editor.saveOnClose());
    EXPECT_EQ(snapshotOf(drives.host(kDataDir)), before);
    EXPECT_EQ(ui.messages(), std::vector<u16>{path + u"に書き込めません\r\n読み取り専用です"});
    EXPECT_TRUE(editor.AssocChanged()) << "still to be written";
}

// --- copy and move of a file large enough for several writes ---

enum class CopyFault {
    DiskFullFirst,
    DiskFullMiddle,
    DiskFullLast,
    SyncFails,
    RenameFails,
    DirectoryUnwritable,
    ReadOnlyFileSystem
};

constexpr std::size_t kBigSize = (std::size_t(16) << 20) + 12345;   // three kernel copy chunks

std::string bigContent()
{
    std::string s(kBigSize, '\0');
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = char('a' + (i * 7 + i / 4096) % 26);
    return s;
}

// Copy, or a move that finds the destination on another file system and so
// copies and removes; both replace an older destination file.
class CopyFaultTest : public test::OpsFixture, public testing::WithParamInterface<std::tuple<Operation, CopyFault>> {
protected:
    void SetUp() override
    {
        OpsFixture::SetUp();
        static const std::string big = bigContent();
        file(u"C:\\work\\big.bin", big, 2022);
        file(u"C:\\work\\other.txt", "other");
        drives.writeBytes(u"C:\\work\\" + u16(kDescriptionFile), cp932(u"C:\\work\\big.bin,大きい\r\n"));
        file(u"C:\\dest\\big.bin", "older destination", 2019);
        file(u"C:\\dest\\keep.txt", "keep");
    }

    // How many writes a copy of big.bin makes, found by copying it once.
    int writesOfACopy()
    {
        FaultPlan counting;
        drives.makeDir(u"C:\\probe");
        drives.fs().setFaults(&counting);
        EXPECT_TRUE(drives.fs().copyFile(u"C:\\work\\big.bin", u"C:\\probe\\big.bin", platform::Replace::Never));
        drives.fs().setFaults(nullptr);
        return counting.count(FsCall::Write);
    }
};

TEST_P(CopyFaultTest, theOldDestinationAndTheSourceStayWholeAndTheFileIsNamed)
{
    const auto [operation, fault] = GetParam();
    const int writes = writesOfACopy();
#ifdef _WIN32
    // Windows copies with the system's routine; its chunks are the writes.
    // Under Wine it reports a large copy as one chunk.
    const bool needsThreeWrites = fault == CopyFault::DiskFullMiddle || fault == CopyFault::DiskFullLast;
    if (needsThreeWrites && writes < 3)
        GTEST_SKIP() << "the system's copy routine here reports the large copy as " << writes
                     << " chunk(s) (Wine's CopyFileExW), so there is no middle or last write to fail";
    ASSERT_GE(writes, 1);
#else
    ASSERT_GE(writes, 3) << "first, middle and last must be three writes";
#endif
    load();
    mark(u"big.bin");
    const Snapshot source = snapshotOf(drives.host(u"C:\\work"));
    const Snapshot destination = snapshotOf(drives.host(u"C:\\dest"));

    if (operation == Operation::Move)
        faults.failAlways(FsCall::Rename, EXDEV, "/work/big.bin");
    int err = ENOSPC;
    switch (fault) {
    case CopyFault::DiskFullFirst:
        faults.failAt(FsCall::Write, 1, ENOSPC);
        break;
    case CopyFault::DiskFullMiddle:
        faults.failAt(FsCall::Write, (writes + 1) / 2, ENOSPC);
        break;
    case CopyFault::DiskFullLast:
        faults.failAt(FsCall::Write, writes, ENOSPC);
        break;
    case CopyFault::SyncFails:
        faults.failAt(FsCall::Sync, 1, err = EIO, ".~sorvik-");
        break;
    case CopyFault::RenameFails:
        faults.failAt(FsCall::Rename, 1, err = EIO, ".~sorvik-");
        break;
    case CopyFault::DirectoryUnwritable:
        faults.failAlways(FsCall::Open, err = EACCES, ".~sorvik-");
        break;
    case CopyFault::ReadOnlyFileSystem:
        faults.failAlways(FsCall::Open, err = EROFS, ".~sorvik-");
        break;
    }
    drives.fs().setFaults(&faults);
    CopyMoveRun run(*model, operation, nullptr);
    EXPECT_EQ(
        run.CopyMarkedOrCurrent(u"C:\\work\\", u"C:\\dest\\", OverwriteRule::ReplaceIfNewer), CommandResult::Failed);
    drives.fs().setFaults(nullptr);

    EXPECT_EQ(snapshotOf(drives.host(u"C:\\work")), source) << "the source and its description file";
    EXPECT_EQ(snapshotOf(drives.host(u"C:\\dest")), destination) << "the older file, and no temporary file";
    const u16 heading
        = operation == Operation::Move ? u"次のﾌｧｲﾙを移動できませんでした" : u"次のﾌｧｲﾙを複写できませんでした";
    EXPECT_EQ(ui.messages(), std::vector<u16>{heading + u"\r\nbig.bin : " + reasonFor(err)});
}

std::string copyCaseName(const testing::TestParamInfo<std::tuple<Operation, CopyFault>>& info)
{
    static const char* const kFaults[] = {"DiskFullAtFirstWrite", "DiskFullAtMiddleWrite", "DiskFullAtLastWrite",
        "SyncFails", "RenameFails", "DirectoryUnwritable", "ReadOnlyFileSystem"};
    return std::string(std::get<0>(info.param) == Operation::Move ? "MoveAcrossDevices_" : "Copy_")
        + kFaults[int(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(Positions, CopyFaultTest,
    testing::Combine(testing::Values(Operation::Copy, Operation::Move),
        testing::Values(CopyFault::DiskFullFirst, CopyFault::DiskFullMiddle, CopyFault::DiskFullLast,
            CopyFault::SyncFails, CopyFault::RenameFails, CopyFault::DirectoryUnwritable,
            CopyFault::ReadOnlyFileSystem)),
    copyCaseName);

class MoveFaultTest : public test::OpsFixture {
protected:
    void SetUp() override
    {
        OpsFixture::SetUp();
        file(u"C:\\work\\a.txt", "new a", 2022);
        file(u"C:\\dest\\a.txt", "old a", 2019);
        load();
        mark(u"a.txt");
    }
    CommandOutcome run(Operation operation)
    {
        drives.fs().setFaults(&faults);
        CopyMoveRun run(*model, operation, nullptr);
        CommandOutcome result = run.CopyMarkedOrCurrent(u"C:\\work\\", u"C:\\dest\\", OverwriteRule::ReplaceIfNewer);
        drives.fs().setFaults(nullptr);
        return result;
    }
};

TEST_F(MoveFaultTest, aSourceThatCannotBeRemovedAfterACrossDeviceCopyStaysAndIsTold)
{
    faults.failAlways(FsCall::Rename, EXDEV, "/work/a.txt");
    faults.failAt(FsCall::Unlink, 1, EACCES, "/work/a.txt");
    EXPECT_EQ(run(Operation::Move), CommandResult::Failed) << "not a move that only half happened reported as done";
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\a.txt"), "new a") << "the copy is complete";
    EXPECT_EQ(drives.readBytes(u"C:\\work\\a.txt"), "new a") << "and the source is still there";
    EXPECT_EQ(ui.messages(), std::vector<u16>{u"次のﾌｧｲﾙを移動できませんでした\r\na.txt : アクセスが拒否されました"});
    EXPECT_FALSE(leftoverTemporaries(u"C:\\dest"));
}

TEST_F(MoveFaultTest, aRefusedRenameOnTheSameDeviceLeavesBothFiles)
{
    faults.failAt(FsCall::Rename, 1, EACCES, "/work/a.txt");
    EXPECT_EQ(run(Operation::Move), CommandResult::Failed);
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\a.txt"), "old a");
    EXPECT_EQ(drives.readBytes(u"C:\\work\\a.txt"), "new a");
    EXPECT_EQ(ui.messages(), std::vector<u16>{u"次のﾌｧｲﾙを移動できませんでした\r\na.txt : アクセスが拒否されました"});
}

TEST_F(MoveFaultTest, aSourceVanishingJustBeforeTheMoveIsToldAndTheDestinationKept)
{
    const std::string host = drives.host(u"C:\\work\\a.txt");
    faults.beforeCall(
        FsCall::Rename, 1, [host] { std::remove(host.c_str()); }, "/work/a.txt");
    EXPECT_EQ(run(Operation::Move), CommandResult::Failed);
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\a.txt"), "old a");
    EXPECT_EQ(ui.messages(), std::vector<u16>{u"次のﾌｧｲﾙを移動できませんでした\r\na.txt : ファイルが見つかりません"});
}

TEST_F(MoveFaultTest, aFileAppearingAtTheDestinationDuringACopyIsNeverReplaced)
{
    std::remove(drives.host(u"C:\\dest\\a.txt").c_str());
    const std::string host = drives.host(u"C:\\dest\\a.txt");
    faults.beforeCall(
        FsCall::Rename, 1, [host] { std::ofstream(host, std::ios::binary) << "theirs"; }, ".~sorvik-");
    EXPECT_EQ(run(Operation::Copy), CommandResult::Failed);
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\a.txt"), "theirs");
    EXPECT_EQ(
        ui.messages(), std::vector<u16>{u"次のﾌｧｲﾙを複写できませんでした\r\na.txt : 同じ名前のファイルがあります"});
    EXPECT_FALSE(leftoverTemporaries(u"C:\\dest"));
}

// --- delete ---

class DeleteFaultTest : public test::OpsFixture, public testing::WithParamInterface<int> {};

TEST_P(DeleteFaultTest, aRefusedRemovalKeepsTheFileAndNamesIt)
{
    const int err = GetParam();
    file(u"C:\\work\\a.txt", "still here");
    drives.writeBytes(u"C:\\work\\" + u16(kDescriptionFile), cp932(u"C:\\work\\a.txt,説明\r\n"));
    load();
    cursorOn(u"a.txt");
    const Snapshot before = snapshotOf(drives.host(u"C:\\work"));
    faults.failAt(FsCall::Unlink, 1, err, "/a.txt");
    drives.fs().setFaults(&faults);
    ui = platform::ScriptedUi({true});
    EXPECT_EQ(DeleteFiles(*model), CommandResult::Failed);
    drives.fs().setFaults(nullptr);
    EXPECT_EQ(snapshotOf(drives.host(u"C:\\work")), before);
    EXPECT_EQ(ui.messages(), std::vector<u16>{u"C:\\work\\a.txtを削除できません\r\n" + reasonFor(err)});
    EXPECT_GT(rowOf(u"a.txt"), 0) << "the table still lists it";
}

INSTANTIATE_TEST_SUITE_P(
    Errors, DeleteFaultTest, testing::Values(EROFS, EBUSY, EPERM), [](const testing::TestParamInfo<int>& p) {
        return std::string(p.param == EROFS ? "ReadOnlyFileSystem" : p.param == EBUSY ? "Busy" : "NotPermitted");
    });

// --- rename ---

class RenameFaultTest : public test::OpsFixture {
protected:
    void SetUp() override
    {
        OpsFixture::SetUp();
        file(u"C:\\work\\a.txt", "the user's a");
        file(u"C:\\work\\c.txt", "c");
        drives.writeBytes(u"C:\\work\\" + u16(kDescriptionFile), cp932(u"C:\\work\\a.txt,説明a\r\n"));
        load();
    }
    CommandOutcome renameAToB()
    {
        drives.fs().setFaults(&faults);
        CommandOutcome result = renameInCurrentDir(*model, u"a.txt", u"b.txt");
        drives.fs().setFaults(nullptr);
        return result;
    }
    void expectDescriptionStaysWithA()
    {
        EXPECT_NE(model->descriptions.lookup(u"C:\\work\\a.txt"), nullptr);
        EXPECT_EQ(model->descriptions.lookup(u"C:\\work\\b.txt"), nullptr);
    }
    const u16 kRefused = u"C:\\work\\a.txtの名前をb.txtに変更できません\r\n";
};

class RenameErrorTest : public RenameFaultTest, public testing::WithParamInterface<int> {};

TEST_P(RenameErrorTest, aFailedRenameLeavesTheFileAndItsDescription)
{
    const Snapshot before = snapshotOf(drives.host(u"C:\\work"));
    faults.failAlways(FsCall::Rename, GetParam(), "/a.txt");
    EXPECT_EQ(renameAToB(), CommandResult::Failed);
    EXPECT_EQ(snapshotOf(drives.host(u"C:\\work")), before);
    EXPECT_EQ(ui.messages(), std::vector<u16>{kRefused + reasonFor(GetParam())});
    expectDescriptionStaysWithA();
}

INSTANTIATE_TEST_SUITE_P(
    Errors, RenameErrorTest, testing::Values(EACCES, EROFS, EBUSY), [](const testing::TestParamInfo<int>& p) {
        return std::string(p.param == EACCES ? "AccessDenied" : p.param == EROFS ? "ReadOnlyFileSystem" : "Busy");
    });

TEST_F(RenameFaultTest, aFileAppearingUnderTheNewNameMeanwhileIsNotReplaced)
{
    const std::string host = drives.host(u"C:\\work\\b.txt");
    faults.beforeCall(
        FsCall::Rename, 1, [host] { std::ofstream(host, std::ios::binary) << "someone else's b"; }, "/a.txt");
    EXPECT_EQ(renameAToB(), CommandResult::Failed);
    EXPECT_EQ(drives.readBytes(u"C:\\work\\b.txt"), "someone else's b");
    EXPECT_EQ(drives.readBytes(u"C:\\work\\a.txt"), "the user's a");
    EXPECT_EQ(ui.messages(), std::vector<u16>{kRefused + u"同じ名前のファイルがあります"});
    expectDescriptionStaysWithA();
}

TEST_F(RenameFaultTest, withoutAtomicNoReplaceRenameAFailedUnlinkLeavesOneName)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows renames with one MoveFileExW call that refuses an existing name itself; "
                    "there is no link-then-unlink road to fail";
#endif
    // The link-then-unlink road of file systems without RENAME_NOREPLACE.
    faults.failAt(FsCall::Rename, 1, EINVAL, "/a.txt");
    faults.failAt(FsCall::Unlink, 1, EACCES, "/a.txt");
    const Snapshot before = snapshotOf(drives.host(u"C:\\work"));
    EXPECT_EQ(renameAToB(), CommandResult::Failed);
    EXPECT_EQ(snapshotOf(drives.host(u"C:\\work")), before) << "no second name left for the file";
    EXPECT_EQ(ui.messages(), std::vector<u16>{kRefused + u"アクセスが拒否されました"});
    expectDescriptionStaysWithA();
}

TEST_F(RenameFaultTest, aFileVanishingBeforeTheRenameIsToldAndNothingIsMade)
{
    const std::string host = drives.host(u"C:\\work\\a.txt");
    faults.beforeCall(
        FsCall::Rename, 1, [host] { std::remove(host.c_str()); }, "/a.txt");
    EXPECT_EQ(renameAToB(), CommandResult::Failed);
    EXPECT_FALSE(drives.exists(u"C:\\work\\b.txt"));
    EXPECT_EQ(drives.readBytes(u"C:\\work\\c.txt"), "c");
    EXPECT_EQ(ui.messages(), std::vector<u16>{kRefused + u"ファイルが見つかりません"});
    expectDescriptionStaysWithA();
}

// --- attributes ---

struct AttributeFault {
    const char* name;
    int nth;                   // which attribute call of the change fails
    int err;                   // 0: the file vanishes before that call instead
    std::uint32_t start = 0;   // the attributes the file has before, when not the plain ones
};

class AttributeFaultTest : public test::OpsFixture, public testing::WithParamInterface<AttributeFault> {};

TEST_P(AttributeFaultTest, aFailedChangeLeavesTheOldAttributesAndNamesTheFile)
{
    const AttributeFault f = GetParam();
#ifdef _WIN32
    if (f.nth > 1)
        GTEST_SKIP() << "Windows sets all the attributes in one SetFileAttributesW call, "
                        "so there is no later call of the change to fail";
#endif
    file(u"C:\\work\\a.txt", "content");
    const u16 path = u"C:\\work\\a.txt";
    if (f.start) {
        ASSERT_TRUE(drives.fs().setAttributes(path, f.start));
    }
    load();
    const std::uint32_t before = *drives.fs().attributes(path) & 0x37;
    if (f.err) {
        faults.failAt(FsCall::SetAttributes, f.nth, f.err, "/a.txt");
    } else {
        const std::string host = drives.host(path);
        faults.beforeCall(
            FsCall::SetAttributes, f.nth, [host] { std::remove(host.c_str()); }, "/a.txt");
    }
    drives.fs().setFaults(&faults);
    // Read-only and hidden: the extended attribute first, then the mode.
    EXPECT_EQ(applyAttributes(*model, path, platform::kAttrReadOnly | platform::kAttrHidden | platform::kAttrArchive),
        CommandResult::Failed);
    drives.fs().setFaults(nullptr);
    ASSERT_EQ(ui.messages().size(), 1u);
    if (!f.err) {
        EXPECT_EQ(ui.messages()[0], path + u"の属性を変更できません\r\nファイルが見つかりません");
        return;
    }
    EXPECT_EQ(ui.messages()[0], path + u"の属性を変更できません\r\n" + reasonFor(f.err));
    EXPECT_EQ(*drives.fs().attributes(path) & 0x37, before) << "none of the new bits, none of the old lost";
    EXPECT_EQ(drives.readBytes(path), "content");
}

INSTANTIATE_TEST_SUITE_P(Calls, AttributeFaultTest,
    testing::Values(AttributeFault{"AccessDeniedAtFirstCall", 1, EACCES},
        AttributeFault{"ReadOnlyFileSystemAtFirstCall", 1, EROFS},
        AttributeFault{"AccessDeniedAtTheModeAfterTheExtendedAttribute", 2, EACCES},
        AttributeFault{
            "AnEarlierSystemBitSurvivesARefusedMode", 2, EACCES, platform::kAttrSystem | platform::kAttrArchive},
        AttributeFault{"AReadOnlyFileStaysReadOnlyWhenItsLastModeIsRefused", 3, EACCES,
            platform::kAttrReadOnly | platform::kAttrArchive},
        AttributeFault{"FileVanishes", 1, 0}),
    [](const testing::TestParamInfo<AttributeFault>& p) { return std::string(p.param.name); });

}
}

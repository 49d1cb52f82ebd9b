// Two running instances share one settings file: each loads it at start and
// saves it at its close, and neither loses what the other changed.

#include "platform/Faults.h"
#include "platform/Ui.h"
#include "tests/app/SettingsFixture.h"

#include <cerrno>
#include <filesystem>
#include <string>

namespace sorvik::test {
namespace {

// What one running program holds of the settings file.
struct Instance {
    SettingsValues values;
    DisplayKinds kinds;
    JumpList jumps;
    FilterList filters;
    SettingsOrigin origin;

    SettingsLists lists() { return {kinds, jumps, filters}; }
};

class SettingsMergeTest : public SettingsTest {
protected:
    void SetUp() override { platform::setUi(&ui); }
    void TearDown() override { platform::setUi(nullptr); }

    void start(Instance& instance)
    {
        instance = Instance{};
        LoadSettings(drives.fs(), DataDir, ProgramDir, instance.values, instance.lists(), instance.origin);
    }
    void close(Instance& instance, double top, u16 listed)
    {
        SettingsSnapshot window;
        window.Top = top;
        window.Left = 15;
        window.ClientWidth = 9000;
        window.ClientHeight = 6000;
        window.ListedDirectory = std::move(listed);
        SaveSettings(drives.fs(), DataDir, window, instance.lists(), instance.origin);
    }

    static constexpr const char* kStart
        = "[Init]\r\nTop= 100 \r\nLeft= 15 \r\nWidth= 9000 \r\nHeight= 6000 \r\n"
          "ReadOnly=  1 \r\nHidden=  0 \r\nSystem=  0 \r\nArchive=  1 \r\n\r\n"
          "[Jump]\r\nC:\\work\\\r\nold,C:\\old\\\r\nkept,C:\\kept\\\r\n\r\n"
          "[Filter]\r\n0 *.txt\r\n";
    Instance a, b;
    platform::ScriptedUi ui;
};

TEST_F(SettingsMergeTest, aJumpFolderRegisteredByTheInstanceThatClosedFirstSurvivesTheOthersClose)
{
    writeSettings(kStart);
    start(b);   // started earlier, closes later
    start(a);
    a.jumps.append(u"fromA", u"C:\\a\\");
    close(a, 200, u"C:\\a");
    b.jumps.append(u"fromB", u"D:\\b\\");
    close(b, 300, u"D:\\b");

    EXPECT_EQ(settingsBytes(),
        "[Init]\r\nTop= 300 \r\nLeft= 15 \r\nWidth= 9000 \r\nHeight= 6000 \r\n"
        "ReadOnly=  1 \r\nHidden=  0 \r\nSystem=  0 \r\nArchive=  1 \r\n\r\n"
        "[Jump]\r\nD:\\b\\\r\nold,C:\\old\\\r\nkept,C:\\kept\\\r\nfromA,C:\\a\\\r\nfromB,D:\\b\\\r\n\r\n"
        "[Filter]\r\n0 *.txt\r\n")
        << "the window's place and directory are the last one's; both entries are there";
    EXPECT_EQ(entries(b.jumps),
        (Entries{{u"old", u"C:\\old\\"}, {u"kept", u"C:\\kept\\"}, {u"fromA", u"C:\\a\\"}, {u"fromB", u"D:\\b\\"}}))
        << "the later instance holds what it wrote";
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(SettingsMergeTest, removalsAndRenamesOfEitherInstanceStand)
{
    writeSettings(kStart);
    start(b);
    start(a);
    a.jumps.remove(u"old");
    close(a, 200, u"C:\\a");
    b.jumps.rename(u"kept", u"Kept2");
    close(b, 300, u"C:\\b");
    const LoadedSettings next = load();
    EXPECT_EQ(entries(next.JumpList), (Entries{{u"Kept2", u"C:\\kept\\"}}));
}

TEST_F(SettingsMergeTest, filterEntriesAndDisplayKindsChangedInEitherInstanceAreKept)
{
    writeSettings(kStart);
    start(b);
    start(a);
    a.filters[1] = u"*.doc";
    a.kinds.ShowHidden = 1;
    close(a, 200, u"C:\\a");
    b.filters[2] = u"*.lzh";
    b.filters[0] = u"*.c";
    b.kinds.ShowArchive = 0;
    close(b, 300, u"C:\\b");

    const LoadedSettings next = load();
    EXPECT_EQ(next.FilterList[0], u"*.c");
    EXPECT_EQ(next.FilterList[1], u"*.doc");
    EXPECT_EQ(next.FilterList[2], u"*.lzh");
    EXPECT_EQ(next.ShowHidden, 1) << "changed by the first, left alone by the second";
    EXPECT_EQ(next.ShowArchive, 0);
    EXPECT_EQ(next.ShowReadOnly, 1);
    EXPECT_EQ(next.SavedTop, 300.0);
}

TEST_F(SettingsMergeTest, whereBothChangedOneEntryTheLaterCloseWins)
{
    writeSettings(kStart);
    start(b);
    start(a);
    a.filters[0] = u"*.a";
    a.jumps.remove(u"kept");
    a.jumps.append(u"kept", u"C:\\from-a\\");
    close(a, 200, u"C:\\a");
    b.filters[0] = u"*.b";
    b.jumps.remove(u"kept");
    b.jumps.append(u"KEPT", u"C:\\from-b\\");
    close(b, 300, u"C:\\b");
    const LoadedSettings next = load();
    EXPECT_EQ(next.FilterList[0], u"*.b");
    EXPECT_EQ(entries(next.JumpList), (Entries{{u"old", u"C:\\old\\"}, {u"KEPT", u"C:\\from-b\\"}}));
}

TEST_F(SettingsMergeTest, aFileTheOtherCreatedIsMergedIntoToo)
{
    start(b);
    start(a);
    ASSERT_EQ(a.origin.kind, SettingsOrigin::Kind::Absent);
    a.jumps.append(u"fromA", u"C:\\a\\");
    close(a, 200, u"C:\\a");
    b.jumps.append(u"fromB", u"C:\\b\\");
    close(b, 300, u"C:\\b");
    EXPECT_EQ(entries(load().JumpList), (Entries{{u"fromA", u"C:\\a\\"}, {u"fromB", u"C:\\b\\"}}));
}

TEST_F(SettingsMergeTest, aFileNobodyElseSavedIsWrittenFromThisInstanceAlone)
{
    writeSettings(kStart);
    start(a);
    a.jumps.remove(u"old");
    close(a, 200, u"C:\\a");
    EXPECT_EQ(settingsBytes(),
        "[Init]\r\nTop= 200 \r\nLeft= 15 \r\nWidth= 9000 \r\nHeight= 6000 \r\n"
        "ReadOnly=  1 \r\nHidden=  0 \r\nSystem=  0 \r\nArchive=  1 \r\n\r\n"
        "[Jump]\r\nC:\\a\\\r\nkept,C:\\kept\\\r\n\r\n"
        "[Filter]\r\n0 *.txt\r\n");
    // A second save of the same instance starts from what it wrote.
    a.jumps.append(u"again", u"C:\\again\\");
    close(a, 200, u"C:\\a");
    EXPECT_EQ(entries(load().JumpList), (Entries{{u"kept", u"C:\\kept\\"}, {u"again", u"C:\\again\\"}}));
}

TEST_F(SettingsMergeTest, aFileChangedByAnotherThatCannotBeReadIsLeftAsItIsAndTheUserIsTold)
{
    writeSettings(kStart);
    start(a);
    a.jumps.append(u"fromA", u"C:\\a\\");
    const std::string other = "[Jump]\r\nC:\\\r\nother,C:\\other\\\r\n";
    drives.writeBytes(SettingsPath + u".new", other);
    std::filesystem::rename(hostFsPath(drives.host(SettingsPath + u".new")), hostFsPath(drives.host(SettingsPath)));
    platform::FaultPlan faults;
    faults.failAlways(platform::FsCall::Open, EACCES, toUtf8(kSettingsFileName));
    drives.fs().setFaults(&faults);
    close(a, 200, u"C:\\a");
    drives.fs().setFaults(nullptr);
    EXPECT_EQ(settingsBytes(), other);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].rfind(SettingsPath + u"に設定を書き込めません\r\n", 0), 0u) << toUtf8(ui.messages()[0]);
    EXPECT_TRUE(drives.tempFilesIn(DataDir).empty());
}

}
}

#include "platform/Program.h"
#include "platform/FileSystem.h"
#include "platform/Ui.h"
#include "tests/support/TempDrive.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace sorvik::platform {
namespace {

#ifdef _WIN32
// The executable keeps its extension in its file name on Windows.
constexpr char16_t kExeFileName[] = u"test_platform.exe";

std::string exeDirectory()
{
    wchar_t buf[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
    const std::u8string exe = std::filesystem::path(std::wstring(buf, n)).parent_path().u8string();
    return std::string(exe.begin(), exe.end());
}
#else
constexpr char16_t kExeFileName[] = u"test_platform";

std::string exeDirectory()
{
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string exe(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
    return exe.substr(0, exe.rfind('/'));
}
#endif

TEST(ProgramInfo, DescribesTheRunningExecutableInWindowsForm)
{
    DriveTable drives;
#ifndef _WIN32
    drives.add(u'C', "/");
#endif
    drives.add(u'P', exeDirectory());
    FileSystem fs(drives);
    ProgramInfo info = detectProgramInfo(fs);
    EXPECT_EQ(info.directory, u"P:\\");
    EXPECT_EQ(info.fileName, kExeFileName);
    EXPECT_EQ(info.name, u"test_platform");
    EXPECT_EQ(info.revision, SORVIK_EXPECTED_REVISION) << "the third part of the project's version";
}

TEST(ProgramInfo, DirectoryIsEmptyWhenNoDriveHoldsTheExecutable)
{
    test::TempDrives drives;
    ProgramInfo info = detectProgramInfo(drives.fs());
    EXPECT_EQ(info.directory, u"");
    EXPECT_EQ(info.fileName, kExeFileName);
}

TEST(EndProgramNow, CallsTheInstalledHandlerFirst)
{
    test::throwOnProgramEnd();
    try {
        endProgramNow(7);
        FAIL() << "endProgramNow returned";
    } catch (const test::ProgramEnded& e) {
        EXPECT_EQ(e.code, 7);
    }
    setExitHandler(nullptr);
}

TEST(EndProgramNowDeathTest, EndsTheProcessWithTheCodeWithoutAHandler)
{
    setExitHandler(nullptr);
    EXPECT_EXIT(endProgramNow(3), ::testing::ExitedWithCode(3), "");
}

TEST(Ui, RecordsUntilAnAnswererIsInstalled)
{
    ui().showMessage(u"before");
    EXPECT_TRUE(ui().askYesNo(u"default yes?", true));
    EXPECT_FALSE(ui().askYesNo(u"default no?", false));

    ScriptedUi scripted({false, true});
    setUi(&scripted);
    EXPECT_FALSE(ui().askYesNo(u"first", true));
    EXPECT_TRUE(ui().askYesNo(u"second", false));
    EXPECT_FALSE(ui().askYesNo(u"script ran out", false));
    ui().showMessage(u"完了");
    EXPECT_EQ(scripted.questions(), (std::vector<u16>{u"first", u"second", u"script ran out"}));
    EXPECT_EQ(scripted.messages(), (std::vector<u16>{u"完了"}));
    setUi(nullptr);
    ui().showMessage(u"after");
    EXPECT_EQ(scripted.messages().size(), 1u);
}

}
}

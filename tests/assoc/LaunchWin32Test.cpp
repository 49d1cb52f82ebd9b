// The Windows launching layer where it runs: a program started with a
// document gets it as exactly one argument, in the document's directory; a
// program that cannot start is reported with the system's reason; the shell's
// open verb reports the documents it cannot open. The program started is
// fake_program.exe (FakeProgramWin32.cpp), built beside this test, which
// records how it was started.
#include "platform/FileSystem.h"
#include "platform/Launch.h"
#include "tests/support/TempDrive.h"

#include <gtest/gtest.h>

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace sorvik::platform {
namespace {

const wchar_t* const kOutVariable = L"SORVIK_FAKE_PROGRAM_OUT";

// The directory of this test program, where the build puts fake_program.exe.
std::filesystem::path ownDirectory()
{
    std::wstring buf(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    buf.resize(n);
    return std::filesystem::path(buf).parent_path();
}

// A host path (UTF-8, "/" or "\" separated) as Windows spells it, in UTF-8.
std::string windowsSpelling(const std::string& host)
{
    const std::u8string u8 = test::hostFsPath(host).make_preferred().u8string();
    return std::string(u8.begin(), u8.end());
}

struct Record {
    std::vector<std::string> args;
    std::string cwd;
    std::string content;
};

// The fake program's record, parsed; "argc=" must agree with the arguments.
std::optional<Record> parseRecord(const std::string& text)
{
    Record r;
    std::size_t count = std::string::npos;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            return std::nullopt;
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.rfind("argc=", 0) == 0)
            count = std::stoul(line.substr(5));
        else if (line.rfind("arg=", 0) == 0)
            r.args.push_back(line.substr(4));
        else if (line.rfind("cwd=", 0) == 0)
            r.cwd = line.substr(4);
        else if (line.rfind("content=", 0) == 0)
            r.content = line.substr(8);
        else
            return std::nullopt;
    }
    if (count != r.args.size())
        return std::nullopt;
    return r;
}

class LaunchWin32Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        drives.makeDir(u"C:\\tools ツール");
        drives.makeDir(u"C:\\out");
        const std::filesystem::path built = ownDirectory() / L"fake_program.exe";
        ASSERT_TRUE(std::filesystem::exists(built)) << "fake_program.exe is built beside the test";
        ASSERT_TRUE(CopyFileW(built.c_str(), test::hostFsPath(drives.host(kProgram)).c_str(), TRUE));
        outFile = test::hostFsPath(drives.host(u"C:\\out\\record.txt"));
        ASSERT_TRUE(SetEnvironmentVariableW(kOutVariable, outFile.c_str()));
    }

    void TearDown() override
    {
        SetEnvironmentVariableW(kOutVariable, nullptr);
        // The child may still hold its image open for a moment; the temporary
        // directory goes when it can.
        waitForExit();
    }

    // The record once the fake program wrote it, waiting at most `limit`.
    std::optional<Record> waitForRecord(std::chrono::milliseconds limit = std::chrono::seconds(10))
    {
        const auto until = std::chrono::steady_clock::now() + limit;
        std::error_code ec;
        while (!std::filesystem::exists(outFile, ec)) {
            if (std::chrono::steady_clock::now() >= until)
                return std::nullopt;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return parseRecord(drives.readBytes(u"C:\\out\\record.txt"));
    }

    // Gives a started fake program time to end before its directory goes.
    void waitForExit()
    {
        const std::filesystem::path image = test::hostFsPath(drives.host(kProgram));
        for (int i = 0; i < 100; ++i) {
            HANDLE h = CreateFileW(image.c_str(), DELETE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h != INVALID_HANDLE_VALUE) {
                CloseHandle(h);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    static constexpr const char16_t* kProgram = u"C:\\tools ツール\\fake program.exe";
    test::TempDrives drives;
    FileSystem& fs = drives.fs();
    std::filesystem::path outFile;
};

TEST_F(LaunchWin32Test, aDocumentWithSpacesJapaneseAndShellCharactersArrivesAsOneArgument)
{
    const std::u16string dir = u"C:\\work\\my  docs [1]";
    const std::u16string doc = dir + u"\\日本語 ファイル &^%!;,=()'x' @ #.txt";
    drives.makeDir(u"C:\\work");
    drives.makeDir(dir);
    drives.writeBytes(doc, "the document's bytes");

    const Status started = startProgram(fs, kProgram, doc);
    ASSERT_TRUE(started) << "error kind " << int(started.error().kind) << " code " << started.error().code;
    const std::optional<Record> r = waitForRecord();
    ASSERT_TRUE(r) << "the fake program wrote no readable record within 10 s";
    EXPECT_EQ(r->args, std::vector<std::string>{windowsSpelling(drives.host(doc))});
    // The argument names the document itself: the program could read it.
    EXPECT_EQ(r->content, "the document's bytes");
    // The program starts in the document's directory.
    EXPECT_EQ(r->cwd, windowsSpelling(drives.host(dir)));
}

// A drive's root as the document: one argument, spelt with backslashes.
TEST_F(LaunchWin32Test, aDriveRootAsTheDocumentArrivesAsOneArgument)
{
    ASSERT_TRUE(startProgram(fs, kProgram, u"C:\\"));
    const std::optional<Record> r = waitForRecord();
    ASSERT_TRUE(r) << "the fake program wrote no readable record within 10 s";
    EXPECT_EQ(r->args, std::vector<std::string>{windowsSpelling(drives.host(u"C:\\"))});
}

TEST_F(LaunchWin32Test, aMissingProgramIsAFailureThatSaysNotFound)
{
    drives.writeBytes(u"C:\\doc.txt", "x");
    StartedPrograms watch;
    const Status started = startProgram(fs, u"C:\\tools ツール\\absent.exe", u"C:\\doc.txt");
    ASSERT_FALSE(started);
    EXPECT_EQ(started.error().kind, ErrorKind::NotFound);
    EXPECT_EQ(watch.waitUntilEnded(), 0u);
    EXPECT_FALSE(std::filesystem::exists(outFile)) << "nothing was started";
}

TEST_F(LaunchWin32Test, aProgramInAMissingDirectoryIsAFailureThatSaysNotFound)
{
    drives.writeBytes(u"C:\\doc.txt", "x");
    const Status started = startProgram(fs, u"C:\\no such dir\\fake program.exe", u"C:\\doc.txt");
    ASSERT_FALSE(started);
    EXPECT_EQ(started.error().kind, ErrorKind::NotFound);
}

TEST_F(LaunchWin32Test, aProgramOnADriveWithNoHostPathIsAFailureThatSaysNotFound)
{
    drives.writeBytes(u"C:\\doc.txt", "x");
    const Status started = startProgram(fs, u"Q:\\fake program.exe", u"C:\\doc.txt");
    ASSERT_FALSE(started);
    EXPECT_EQ(started.error().kind, ErrorKind::NotFound);
}

TEST_F(LaunchWin32Test, aFileThatIsNoProgramDoesNotStart)
{
    drives.writeBytes(u"C:\\tools ツール\\bogus.exe", "this is no program\r\n");
    drives.writeBytes(u"C:\\doc.txt", "x");
    StartedPrograms watch;
    EXPECT_FALSE(startProgram(fs, u"C:\\tools ツール\\bogus.exe", u"C:\\doc.txt"));
    EXPECT_EQ(watch.waitUntilEnded(), 0u);
    EXPECT_FALSE(std::filesystem::exists(outFile)) << "nothing was started";
}

TEST_F(LaunchWin32Test, theOpenVerbOnAMissingDocumentFails)
{
    drives.makeDir(u"C:\\work");
    EXPECT_FALSE(openWithDesktop(fs, u"C:\\work\\absent.txt"));
}

TEST_F(LaunchWin32Test, theOpenVerbOnADocumentOfNoRegisteredTypeFails)
{
    drives.writeBytes(u"C:\\plain.sorvikunregistered", "x");
    EXPECT_FALSE(openWithDesktop(fs, u"C:\\plain.sorvikunregistered"));
}

TEST_F(LaunchWin32Test, theOpenVerbOnADriveWithNoHostPathFails)
{
    EXPECT_FALSE(openWithDesktop(fs, u"Q:\\doc.txt"));
}

TEST_F(LaunchWin32Test, programFilesAreTheRunnableExtensionsOfRegularFiles)
{
    drives.writeBytes(u"C:\\tools ツール\\notes.txt", "x");
    drives.writeBytes(u"C:\\tools ツール\\run.cmd", "@echo off\r\n");
    drives.writeBytes(u"C:\\tools ツール\\upper.BAT", "@echo off\r\n");
    drives.makeDir(u"C:\\tools ツール\\folder.exe");
    EXPECT_TRUE(isProgramFile(fs, kProgram));
    EXPECT_TRUE(isProgramFile(fs, u"C:\\tools ツール\\run.cmd"));
    EXPECT_TRUE(isProgramFile(fs, u"C:\\tools ツール\\upper.BAT"));
    EXPECT_FALSE(isProgramFile(fs, u"C:\\tools ツール\\notes.txt"));
    EXPECT_FALSE(isProgramFile(fs, u"C:\\tools ツール\\folder.exe"));
    EXPECT_FALSE(isProgramFile(fs, u"C:\\tools ツール\\absent.exe"));
    EXPECT_FALSE(isProgramFile(fs, u"Q:\\fake program.exe"));
}

}
}

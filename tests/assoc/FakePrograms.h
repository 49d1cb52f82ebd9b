#pragma once

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace sorvik::test {

// The arguments of every run of a recording program, in order.
using Runs = std::vector<std::vector<std::string>>;

#ifdef _WIN32
// The extension of the recording programs: fake_program.exe's copies.
inline constexpr char16_t kRecorderExt[] = u".exe";

// A host path as a started program receives it: Windows spells it with
// backslashes.
inline std::string asLaunched(const std::string& hostPath)
{
    const std::u8string u8
        = std::filesystem::path(std::u8string(hostPath.begin(), hostPath.end())).make_preferred().u8string();
    return std::string(u8.begin(), u8.end());
}

// Puts a copy of fake_program.exe (built beside the test program) at
// `hostPath` with a side file "<name>.rec" that makes it append its
// arguments to `log` (each run: the count, then every argument, all
// NUL-terminated), optionally sleep, and exit with `exitCode`.
inline void writeRecordingScript(
    const std::string& hostPath, const std::string& log, int exitCode, int sleepSeconds = 0)
{
    std::wstring own(32768, L'\0');
    own.resize(::GetModuleFileNameW(nullptr, own.data(), DWORD(own.size())));
    const std::filesystem::path built = std::filesystem::path(own).parent_path() / L"fake_program.exe";
    const std::filesystem::path target(std::u8string(hostPath.begin(), hostPath.end()));
    std::filesystem::copy_file(built, target, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::path side = target;
    side.replace_extension(L".rec");
    std::ofstream out(side, std::ios::binary | std::ios::trunc);
    out << log << "\n" << exitCode << "\n" << sleepSeconds << "\n";
    if (!out.flush())
        throw std::runtime_error("cannot write " + hostPath + ".rec");
}
#else
inline constexpr char16_t kRecorderExt[] = u".sh";

inline std::string asLaunched(const std::string& hostPath)
{
    return hostPath;
}

// Writes a small shell script that appends its arguments to `log` (each
// run: the count, then every argument, all NUL-terminated), optionally
// sleeps, and exits with `exitCode`.
inline void writeRecordingScript(
    const std::string& hostPath, const std::string& log, int exitCode, int sleepSeconds = 0)
{
    std::ofstream out(hostPath, std::ios::trunc);
    out << "#!/bin/sh\n"
        << "{ printf '%s\\0' \"$#\"; for a in \"$@\"; do printf '%s\\0' \"$a\"; done; } >> '" << log << "'\n";
    if (sleepSeconds > 0)
        out << "sleep " << sleepSeconds << "\n";
    out << "exit " << exitCode << "\n";
    out.close();
    ::chmod(hostPath.c_str(), 0755);
}
#endif

inline Runs readRuns(const std::string& log)
{
    std::ifstream in(std::filesystem::path(std::u8string(log.begin(), log.end())), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    const std::string bytes = s.str();
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\0') {
            fields.push_back(bytes.substr(start, i - start));
            start = i + 1;
        }
    Runs runs;
    for (std::size_t i = 0; i < fields.size();) {
        const std::size_t n = std::stoul(fields[i++]);
        runs.emplace_back(
            fields.begin() + std::ptrdiff_t(i), fields.begin() + std::ptrdiff_t(std::min(i + n, fields.size())));
        i += n;
    }
    return runs;
}

// A program started detached writes its record a moment later.
inline Runs waitForRuns(
    const std::string& log, std::size_t count, std::chrono::milliseconds limit = std::chrono::seconds(10))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    Runs runs = readRuns(log);
    while (runs.size() < count && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        runs = readRuns(log);
    }
    return runs;
}

#ifdef _WIN32
// Windows asks the shell's open verb, which no test can replace without
// changing the machine's file types: the tests' documents have types no
// program is registered for, so the shell refuses them, and that refusal
// leaves nothing to record (LaunchWin32Test checks that it is a refusal).
class FakeOpener {
public:
    void answer(int exitCode, int = 0)
    {
        if (exitCode == 0)
            throw std::logic_error("Windows' shell cannot be made to open everything");
    }
};
#else
// A fake desktop opener: a temporary directory first on PATH holding an
// `xdg-open` script that records its arguments and exits with a chosen
// code, so no test ever reaches the machine's real opener.
class FakeOpener {
public:
    FakeOpener()
    {
        std::string templ = (std::filesystem::temp_directory_path() / "sorvik-opener-XXXXXX").string();
        if (!::mkdtemp(templ.data()))
            throw std::runtime_error("mkdtemp failed");
        m_dir = templ;
        m_log = m_dir + "/opener.log";
        if (const char* path = std::getenv("PATH"))
            m_savedPath = path;
        ::setenv("PATH", (m_dir + ":/usr/bin:/bin").c_str(), 1);
    }
    ~FakeOpener()
    {
        ::setenv("PATH", m_savedPath.c_str(), 1);
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    FakeOpener(const FakeOpener&) = delete;
    FakeOpener& operator=(const FakeOpener&) = delete;

    // 0: opened; 3 or 4: no program registered or the action failed.
    void answer(int exitCode, int sleepSeconds = 0)
    {
        writeRecordingScript(m_dir + "/xdg-open", m_log, exitCode, sleepSeconds);
    }
    // No opener anywhere on PATH.
    void uninstall()
    {
        std::filesystem::remove(m_dir + "/xdg-open");
        ::setenv("PATH", m_dir.c_str(), 1);
    }
    Runs runs() const { return readRuns(m_log); }

private:
    std::string m_dir;
    std::string m_log;
    std::string m_savedPath;
};

#endif

}

// A stand-in program for the Windows launching tests: it writes how the
// system split its command line, the directory it started in and the first
// bytes of the file its first argument names into the file that the
// environment variable SORVIK_FAKE_PROGRAM_OUT names, then exits. The record
// is UTF-8, one field a line:
//   argc=<number of arguments after the program's own name>
//   arg=<each argument>
//   cwd=<the current directory>
//   content=<up to 64 bytes of the first argument's file, or "(unreadable)">
// It is written to a side file and renamed into place, so a reader never sees
// half of it.
//
// A copy with a file "<its name>.rec" beside it (tests/assoc/FakePrograms.h)
// records as the Linux tests' shell scripts do instead: that file names a log
// (UTF-8), an exit code and seconds to sleep, one a line; each run appends
// the argument count and every argument to the log, all NUL-terminated.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
// shellapi.h needs windows.h before it.
#include <shellapi.h>

#include <cstdlib>
#include <string>

namespace {

std::string utf8(const wchar_t* text, int length)
{
    if (length == 0)
        return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
    return out;
}

std::string utf8(const wchar_t* text)
{
    return utf8(text, static_cast<int>(::lstrlenW(text)));
}

std::string firstBytes(const wchar_t* path)
{
    HANDLE h = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return "(unreadable)";
    char buf[64];
    DWORD got = 0;
    const BOOL ok = ::ReadFile(h, buf, sizeof buf, &got, nullptr);
    ::CloseHandle(h);
    return ok ? std::string(buf, got) : std::string("(unreadable)");
}

// The side file's three lines, when there is one.
bool readSideFile(std::wstring& log, int& exitCode, int& sleepSeconds)
{
    std::wstring own(32768, L'\0');
    own.resize(::GetModuleFileNameW(nullptr, own.data(), static_cast<DWORD>(own.size())));
    const std::size_t dot = own.find_last_of(L'.');
    if (dot == std::wstring::npos)
        return false;
    const std::wstring side = own.substr(0, dot) + L".rec";
    HANDLE h = ::CreateFileW(side.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    char buf[8192];
    DWORD got = 0;
    const BOOL ok = ::ReadFile(h, buf, sizeof buf, &got, nullptr);
    ::CloseHandle(h);
    if (!ok)
        return false;
    const std::string text(buf, got);
    const std::size_t first = text.find('\n');
    const std::size_t second = first == std::string::npos ? first : text.find('\n', first + 1);
    if (second == std::string::npos)
        return false;
    const std::string path = text.substr(0, first);
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    log.assign(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), log.data(), n);
    exitCode = std::atoi(text.c_str() + first + 1);
    sleepSeconds = std::atoi(text.c_str() + second + 1);
    return true;
}

// Appends one run to the log in a single write, so runs never interleave.
int recordRun(const std::wstring& log, int exitCode, int sleepSeconds)
{
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv)
        return 3;
    std::string record = std::to_string(argc > 0 ? argc - 1 : 0);
    record += '\0';
    for (int i = 1; i < argc; ++i) {
        record += utf8(argv[i]);
        record += '\0';
    }
    ::LocalFree(argv);
    HANDLE h = ::CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return 4;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(h, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    ::CloseHandle(h);
    if (!ok || written != record.size())
        return 5;
    if (sleepSeconds > 0)
        ::Sleep(static_cast<DWORD>(sleepSeconds) * 1000);
    return exitCode;
}

}

int main()
{
    std::wstring log;
    int exitCode = 0;
    int sleepSeconds = 0;
    if (readSideFile(log, exitCode, sleepSeconds))
        return recordRun(log, exitCode, sleepSeconds);

    wchar_t outPath[4096];
    const DWORD n = ::GetEnvironmentVariableW(L"SORVIK_FAKE_PROGRAM_OUT", outPath, 4096);
    if (n == 0 || n >= 4096)
        return 2;

    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv)
        return 3;
    std::string record = "argc=" + std::to_string(argc > 0 ? argc - 1 : 0) + "\n";
    for (int i = 1; i < argc; ++i)
        record += "arg=" + utf8(argv[i]) + "\n";
    wchar_t cwd[4096];
    const DWORD c = ::GetCurrentDirectoryW(4096, cwd);
    record += "cwd=" + (c > 0 && c < 4096 ? utf8(cwd, static_cast<int>(c)) : std::string("(unknown)")) + "\n";
    record += "content=" + (argc > 1 ? firstBytes(argv[1]) : std::string("(none)")) + "\n";
    ::LocalFree(argv);

    const std::wstring part = std::wstring(outPath) + L".part";
    HANDLE h = ::CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return 4;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(h, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    ::CloseHandle(h);
    if (!ok || written != record.size())
        return 5;
    return ::MoveFileExW(part.c_str(), outPath, MOVEFILE_REPLACE_EXISTING) ? 0 : 6;
}

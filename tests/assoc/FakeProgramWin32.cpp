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
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#include <shellapi.h>

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

}

int main()
{
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

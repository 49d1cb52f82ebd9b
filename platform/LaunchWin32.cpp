#include "platform/Launch.h"

#include "platform/FileSystem.h"
#include "platform/Win32Files.h"

#include <shellapi.h>

#include <cwctype>
#include <mutex>
#include <optional>
#include <vector>

namespace sorvik::platform {

namespace {

// One argument as the C runtime's command-line parser reads it back: in
// quotes, with the backslashes before a quote (and at the end) doubled.
void appendQuoted(std::wstring& line, std::wstring_view arg)
{
    line += L'"';
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

// A host path as Windows programs expect one: host paths keep "/" between
// names, which a program reading its command line may take for a switch.
std::wstring windowsPath(const std::string& host)
{
    std::wstring wide = wideHost(host);
    for (wchar_t& c : wide)
        if (c == L'/')
            c = L'\\';
    return wide;
}

// What StartedPrograms keeps while one lives: how many programs started, and
// the handles of their processes.
struct Watch {
    std::size_t started = 0;
    std::vector<HANDLE> processes;
};
std::mutex g_watchMutex;
std::optional<Watch> g_watch;

std::wstring upper(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

}

// The shell's open verb: the program the user registered for the document's
// type. The shell decides at once, so `decideWithin` needs no waiting here.
bool openWithDesktop(const FileSystem& fs, u16view document, std::chrono::milliseconds)
{
    const std::optional<std::string> host = fs.hostPath(document);
    if (!host)
        return false;
    const std::wstring dir = windowsPath(hostDirectoryOf(*host));
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", windowsPath(*host).c_str(), nullptr, dir.c_str(), SW_SHOWNORMAL));
    return result > 32;
}

// CreateProcessW with the program named apart from the command line, so no
// search and no command interpreter ever reads the document's name.
Status startProgram(const FileSystem& fs, u16view program, u16view document)
{
    const std::optional<std::string> hostProgram = fs.hostPath(program);
    const std::optional<std::string> hostDocument = fs.hostPath(document);
    if (!hostProgram || !hostDocument)
        return Error{ErrorKind::NotFound, ENOENT};
    const std::wstring exe = windowsPath(*hostProgram);
    std::wstring line;
    appendQuoted(line, exe);
    line += L' ';
    appendQuoted(line, windowsPath(*hostDocument));
    const std::wstring dir = windowsPath(hostDirectoryOf(*hostDocument));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE,
            CREATE_NEW_PROCESS_GROUP | CREATE_UNICODE_ENVIRONMENT, nullptr, dir.c_str(), &si, &pi))
        return lastError();
    // Nothing waits for the program; it runs on by itself.
    ::CloseHandle(pi.hThread);
    {
        const std::lock_guard lock(g_watchMutex);
        if (g_watch) {
            ++g_watch->started;
            g_watch->processes.push_back(pi.hProcess);
            return Status::ok();
        }
    }
    ::CloseHandle(pi.hProcess);
    return Status::ok();
}

// A regular file whose extension the system runs (PATHEXT, or its usual list).
bool isProgramFile(const FileSystem& fs, u16view path)
{
    const std::optional<std::string> host = fs.hostPath(path);
    if (!host)
        return false;
    const std::wstring wide = wideHost(*host);
    const DWORD attrs = ::GetFileAttributesW(wide.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    const std::size_t dot = wide.rfind(L'.');
    const std::size_t slash = wide.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash))
        return false;
    const std::wstring ext = upper(wide.substr(dot));
    wchar_t buf[1024];
    const DWORD n = ::GetEnvironmentVariableW(L"PATHEXT", buf, 1024);
    const std::wstring list = upper(n > 0 && n < 1024 ? std::wstring(buf, n) : std::wstring(L".COM;.EXE;.BAT;.CMD"));
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(L';', start), list.size());
        if (list.compare(start, end - start, ext) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

StartedPrograms::StartedPrograms()
{
    const std::lock_guard lock(g_watchMutex);
    g_watch.emplace();
}

StartedPrograms::~StartedPrograms()
{
    waitUntilEnded();
    const std::lock_guard lock(g_watchMutex);
    g_watch.reset();
}

std::size_t StartedPrograms::waitUntilEnded()
{
    const std::lock_guard lock(g_watchMutex);
    for (const HANDLE process : g_watch->processes) {
        ::WaitForSingleObject(process, INFINITE);
        ::CloseHandle(process);
    }
    g_watch->processes.clear();
    return g_watch->started;
}

}

#include "platform/Win32Files.h"

namespace sorvik::platform {

namespace {

// A process id that names no running process. Ids are reused, so a name
// whose owner cannot be asked is left alone.
bool hasEnded(DWORD pid)
{
    HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process)
        return ::GetLastError() == ERROR_INVALID_PARAMETER;
    const bool ended = ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    ::CloseHandle(process);
    return ended;
}

bool onNetworkDrive(const std::string& dir)
{
    if (dir.size() < 2 || dir[1] != ':')
        return dir.rfind("\\\\", 0) == 0;
    const wchar_t root[] = {static_cast<wchar_t>(dir[0]), L':', L'\\', 0};
    return ::GetDriveTypeW(root) == DRIVE_REMOTE;
}

}

std::string hostDirectoryOf(const std::string& host)
{
    const std::size_t slash = host.find_last_of("\\/");
    if (slash == std::string::npos)
        return ".";
    // "C:\" stays the root, not "C:" (that drive's current directory).
    if (slash == 2 && host[1] == ':')
        return host.substr(0, 3);
    return host.substr(0, slash);
}

std::string hostJoin(const std::string& dir, std::string_view name)
{
    std::string s = dir;
    if (s.empty() || (s.back() != '\\' && s.back() != '/'))
        s += '/';   // the separator of the drive table's host paths
    s.append(name);
    return s;
}

std::string tempPathIn(const std::string& dir)
{
    return hostJoin(dir, temporaryName(::GetCurrentProcessId()));
}

// Housekeeping: its failures change nothing for the caller, so it stays
// outside the fault seam.
void sweepStaleTemps(TempSweep& sweep, const std::string& dir)
{
    if (!sweep.firstVisit(dir) || onNetworkDrive(dir))
        return;
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileExW(
        wideHost(hostJoin(dir, ".~sorvik-*")).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE)
        return;
    const std::uint64_t self = ::GetCurrentProcessId();
    FILETIME nowFt;
    ::GetSystemTimeAsFileTime(&nowFt);
    const std::int64_t now = unixSeconds(nowFt);
    do {
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        const std::string name = narrowHost(found.cFileName);
        const auto ended = [](std::uint64_t pid) { return hasEnded(static_cast<DWORD>(pid)); };
        if (isStaleTemporary(name, self, now - unixSeconds(found.ftLastWriteTime), ended))
            ::DeleteFileW(wideHost(hostJoin(dir, name)).c_str());
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
}

bool renameCaseOnly(const std::string& from, const std::string& to)
{
    const std::wstring wideFrom = wideHost(from), wideTo = wideHost(to);
    if (!::MoveFileExW(wideFrom.c_str(), wideTo.c_str(), 0))
        return false;
    const std::size_t slash = wideTo.find_last_of(L"\\/");
    const std::wstring wanted = slash == std::wstring::npos ? wideTo : wideTo.substr(slash + 1);
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileW(wideTo.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return true;
    ::FindClose(find);
    if (wanted == found.cFileName)
        return true;
    const std::wstring temp = wideHost(tempPathIn(hostDirectoryOf(to)));
    if (!::MoveFileExW(wideTo.c_str(), temp.c_str(), 0))
        return false;
    if (::MoveFileExW(temp.c_str(), wideTo.c_str(), 0))
        return true;
    const DWORD err = ::GetLastError();
    ::MoveFileExW(temp.c_str(), wideFrom.c_str(), 0);   // the old name again, as before
    ::SetLastError(err);
    return false;
}

namespace {

constexpr std::int64_t kUnixEpochIn100ns = 116444736000000000LL;

}

std::int64_t unixSeconds(const FILETIME& ft)
{
    const std::int64_t t = (std::int64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    const std::int64_t since = t - kUnixEpochIn100ns;
    // Floor, so times before 1970 round like the POSIX seconds do.
    return since >= 0 ? since / 10000000 : -((-since + 9999999) / 10000000);
}

FILETIME fileTimeOf(std::int64_t seconds)
{
    const std::uint64_t t = static_cast<std::uint64_t>(seconds * 10000000 + kUnixEpochIn100ns);
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(t & 0xFFFFFFFF);
    ft.dwHighDateTime = static_cast<DWORD>(t >> 32);
    return ft;
}

// The local time of that day's rules (daylight saving of the date itself, as
// localtime does on Linux), not of today's.
DateTime localDateTime(const FILETIME& ft)
{
    SYSTEMTIME utc, local;
    if (!::FileTimeToSystemTime(&ft, &utc) || !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return {};
    return DateTime{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

}

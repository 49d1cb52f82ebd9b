#pragma once

// Shared by the Win32 sources only.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/FileSystem.h"
#include "platform/TempNames.h"

#include <cerrno>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>

namespace sorvik::platform {

// Host paths are UTF-8 in the program's strings and UTF-16 at the system.
// A lone surrogate, which Windows allows in a file name, travels as its
// three-byte form (WTF-8) so that every name round-trips.
std::wstring wideHost(std::string_view host);
std::string narrowHost(std::wstring_view wide);

// The kind of a Win32 error code (GetLastError()).
Error errorFromWin32(DWORD code);

inline Error lastError()
{
    return errorFromWin32(::GetLastError());
}

// Closes a handle once, on every path out of a function.
class Handle {
public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : m_h(h) {}
    ~Handle() { reset(); }
    Handle(Handle&& other) noexcept : m_h(other.m_h) { other.m_h = INVALID_HANDLE_VALUE; }
    Handle& operator=(Handle&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_h = other.m_h;
            other.m_h = INVALID_HANDLE_VALUE;
        }
        return *this;
    }
    HANDLE get() const { return m_h; }
    bool valid() const { return m_h != INVALID_HANDLE_VALUE && m_h != nullptr; }
    // Closing can report a failed write on some file systems.
    bool close()
    {
        bool ok = !valid() || ::CloseHandle(m_h);
        m_h = INVALID_HANDLE_VALUE;
        return ok;
    }
    void reset()
    {
        if (valid())
            ::CloseHandle(m_h);
        m_h = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_h;
};

// A fault a test injected: an errno value, as on Linux.
inline Error injected(int err)
{
    return errorFromErrno(err);
}

std::string hostDirectoryOf(const std::string& host);
std::string hostJoin(const std::string& dir, std::string_view name);

// A fresh name ".~sorvik-<pid>-<random>.tmp" in `dir`, for a temporary file.
std::string tempPathIn(const std::string& dir);
// Removes the temporary files that ended processes left in `dir`, the first
// time this file system writes there.
void sweepStaleTemps(TempSweep& sweep, const std::string& dir);

// The stamp of the file a handle names.
FileStamp stampOf(const BY_HANDLE_FILE_INFORMATION& info);

// FILETIME <-> Unix seconds and the local calendar time of the file tables.
std::int64_t unixSeconds(const FILETIME& ft);
FILETIME fileTimeOf(std::int64_t unixSeconds);
DateTime localDateTime(const FILETIME& ft);

// Renames a file to another spelling of its own name (a change of letter
// case). Some file systems, Wine's among them, take the rename for a no-op;
// then it goes through a temporary name in the same directory.
bool renameCaseOnly(const std::string& from, const std::string& to);

inline bool isReadOnly(DWORD attrs)
{
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY) != 0;
}

inline constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens a file to read, sharing it with every other opener; a directory,
// which cannot be opened so, is told as one.
Result<Handle> openToRead(const std::wstring& wide);

}

#include "platform/FileSystem.h"

#include "platform/FileCopy.h"
#include "platform/Paths.h"
#include "platform/Win32Files.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace sorvik::platform {

namespace {

constexpr DWORD kAttributeBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM
    | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE;

// The system's attribute bits are the program's: the same values.
std::uint32_t attributesOf(DWORD attrs)
{
    return attrs & kAttributeBits;
}

std::int64_t sizeOf(DWORD high, DWORD low)
{
    return static_cast<std::int64_t>((std::uint64_t(high) << 32) | low);
}

FileInfo infoOf(DWORD attrs, DWORD sizeHigh, DWORD sizeLow, const FILETIME& lastWrite)
{
    FileInfo info;
    info.size = (attrs & FILE_ATTRIBUTE_DIRECTORY) ? 0 : sizeOf(sizeHigh, sizeLow);
    info.lastWrite = localDateTime(lastWrite);
    info.attributes = attributesOf(attrs);
    return info;
}

// What a handle names: its file's identity, length, time and attributes.
bool handleInfo(HANDLE h, BY_HANDLE_FILE_INFORMATION& info)
{
    return ::GetFileInformationByHandle(h, &info) != 0;
}

// Opens a file or directory only to ask about it; links are followed.
Handle openForQuery(const std::string& host)
{
    return Handle(::CreateFileW(wideHost(host).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// Length, time and attributes with links followed: a link's own entry tells
// nothing of its target.
bool queryFollowingLinks(const std::string& host, FileInfo& out)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(wideHost(host).c_str(), GetFileExInfoStandard, &data))
        return false;
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        out = infoOf(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime);
        return true;
    }
    Handle h = openForQuery(host);
    BY_HANDLE_FILE_INFORMATION info;
    if (!h.valid() || !handleInfo(h.get(), info))
        return false;
    out = infoOf(info.dwFileAttributes, info.nFileSizeHigh, info.nFileSizeLow, info.ftLastWriteTime);
    return true;
}

// Calls `visit(findData)` for every entry but "." and ".."; the Win32 error
// that stopped the reading, 0 when the whole directory was read.
template<class Visit>
DWORD forEachEntry(const std::string& host, Visit visit)
{
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileExW(wideHost(hostJoin(host, "*")).c_str(), FindExInfoBasic, &found,
        FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD err = ::GetLastError();
        // An empty drive root has not even "." to list.
        return err == ERROR_FILE_NOT_FOUND ? 0 : err;
    }
    DWORD err = 0;
    do {
        const std::wstring_view name = found.cFileName;
        if (name != L"." && name != L"..")
            visit(found);
    } while (::FindNextFileW(find, &found));
    err = ::GetLastError();
    ::FindClose(find);
    return err == ERROR_NO_MORE_FILES ? 0 : err;
}

u16 winName(const wchar_t* name)
{
    return u16(reinterpret_cast<const char16_t*>(name));
}

}

FileStamp stampOf(const BY_HANDLE_FILE_INFORMATION& info)
{
    const std::int64_t t
        = (std::int64_t(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
    const std::int64_t since = t - 116444736000000000LL;
    return FileStamp{info.dwVolumeSerialNumber, (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
        sizeOf(info.nFileSizeHigh, info.nFileSizeLow), since / 10000000, (since % 10000000) * 100};
}

FileSystem::FileSystem(DriveTable drives) : m_drives(std::move(drives)), m_sweep(std::make_shared<TempSweep>())
{
}

std::optional<u16> FileSystem::currentDirectory() const
{
    const DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
    if (needed == 0)
        return std::nullopt;
    std::wstring buf(needed, L'\0');
    const DWORD n = ::GetCurrentDirectoryW(needed, buf.data());
    if (n == 0 || n >= needed)
        return std::nullopt;
    buf.resize(n);
    std::optional<u16> win = m_drives.toWin(narrowHost(buf));
    if (!win)
        return std::nullopt;
    return AddBackslash(*win);
}

Status FileSystem::setCurrentDirectory(u16view dir)
{
    std::optional<std::string> host = hostPath(dir);
    if (!host)
        return noHostPath();
    if (!::SetCurrentDirectoryW(wideHost(*host).c_str()))
        return lastError();
    return Status::ok();
}

Status FileSystem::createDirectory(u16view dir)
{
    std::optional<std::string> host = hostPath(dir);
    if (!host)
        return noHostPath();
    if (int err = fault(FsCall::MakeDir, *host))
        return injected(err);
    if (!::CreateDirectoryW(wideHost(*host).c_str(), nullptr))
        return lastError();
    return Status::ok();
}

bool FileSystem::directoryExists(u16view dir) const
{
    std::optional<std::string> host = hostPath(dir);
    if (!host || fault(FsCall::Stat, *host))
        return false;
    const DWORD attrs = ::GetFileAttributesW(wideHost(*host).c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

Result<std::vector<DirEntry>> FileSystem::listDirectory(u16view dir) const
{
    std::optional<std::string> host = hostPath(dir);
    if (!host)
        return noHostPath();
    if (int err = fault(FsCall::Open, *host))
        return injected(err);
    std::vector<DirEntry> entries;
    const DWORD err = forEachEntry(*host, [&](const WIN32_FIND_DATAW& e) {
        entries.push_back(DirEntry{winName(e.cFileName), (e.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    });
    if (err != 0)
        return errorFromWin32(err);
    return entries;
}

Result<std::vector<ListedEntry>> FileSystem::listDirectoryWithInfo(u16view dir) const
{
    std::optional<std::string> host = hostPath(dir);
    if (!host)
        return noHostPath();
    if (int err = fault(FsCall::Open, *host))
        return injected(err);
    std::vector<ListedEntry> entries;
    // The directory listing carries every entry's facts, so no entry is asked
    // again (a link is, for what it points at).
    const DWORD err = forEachEntry(*host, [&](const WIN32_FIND_DATAW& e) {
        ListedEntry entry;
        entry.name = winName(e.cFileName);
        entry.isDirectory = (e.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const std::string child = hostJoin(*host, narrowHost(e.cFileName));
        if (fault(FsCall::Stat, child) == 0) {
            if (!(e.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                entry.info = infoOf(e.dwFileAttributes, e.nFileSizeHigh, e.nFileSizeLow, e.ftLastWriteTime);
            } else {
                FileInfo info;
                if (queryFollowingLinks(child, info)) {
                    entry.info = info;
                    entry.isDirectory = (info.attributes & kAttrDirectory) != 0;
                }
            }
        }
        entries.push_back(std::move(entry));
    });
    if (err != 0)
        return errorFromWin32(err);
    return entries;
}

Result<FileInfo> FileSystem::fileInfo(u16view path) const
{
    std::optional<std::string> host = hostPath(path);
    if (!host)
        return noHostPath();
    if (int err = fault(FsCall::Stat, *host))
        return injected(err);
    FileInfo info;
    if (!queryFollowingLinks(*host, info))
        return lastError();
    return info;
}

Result<std::uint32_t> FileSystem::attributes(u16view path) const
{
    Result<FileInfo> info = fileInfo(path);
    if (!info)
        return info.error();
    return info->attributes;
}

Status FileSystem::setAttributes(u16view path, std::uint32_t attributes)
{
    std::optional<std::string> host = hostPath(path);
    if (!host)
        return noHostPath();
    if (int err = fault(FsCall::Stat, *host))
        return injected(err);
    const std::wstring wide = wideHost(*host);
    if (::GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES)
        return lastError();
    if (int err = fault(FsCall::SetAttributes, *host))
        return injected(err);
    DWORD wanted = attributes & (kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive);
    if (!::SetFileAttributesW(wide.c_str(), wanted ? wanted : FILE_ATTRIBUTE_NORMAL))
        return lastError();
    return Status::ok();
}

Status FileSystem::rename(u16view from, u16view to)
{
    std::optional<std::string> hostFrom = hostPath(from);
    std::optional<std::string> hostTo = hostPath(to);
    if (!hostFrom || !hostTo)
        return noHostPath();
    if (int err = fault(FsCall::Stat, *hostFrom))
        return injected(err);
    const std::wstring wideFrom = wideHost(*hostFrom), wideTo = wideHost(*hostTo);
    if (::GetFileAttributesW(wideFrom.c_str()) == INVALID_FILE_ATTRIBUTES)
        return lastError();
    if (*hostFrom == *hostTo)
        return Status::ok();
    // The system finds the file itself under a new spelling of its name; only
    // another file is in the way.
    if (::GetFileAttributesW(wideTo.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (!sameFile(from, to))
            return Error{ErrorKind::Exists, EEXIST};
        if (int err = fault(FsCall::Rename, *hostFrom))
            return injected(err);
        if (!renameCaseOnly(*hostFrom, *hostTo))
            return lastError();
        return Status::ok();
    }
    if (int err = fault(FsCall::Rename, *hostFrom))
        return injected(err);
    // Without MOVEFILE_REPLACE_EXISTING the system refuses an existing name.
    if (!::MoveFileExW(wideFrom.c_str(), wideTo.c_str(), 0))
        return lastError();
    return Status::ok();
}

Status FileSystem::remove(u16view path)
{
    std::optional<std::string> host = hostPath(path);
    if (!host)
        return noHostPath();
    if (int err = fault(FsCall::Stat, *host))
        return injected(err);
    const std::wstring wide = wideHost(*host);
    const DWORD attrs = ::GetFileAttributesW(wide.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES)
        return lastError();
    // A link is removed itself, whatever it points at.
    if ((attrs & FILE_ATTRIBUTE_READONLY) && !(attrs & FILE_ATTRIBUTE_REPARSE_POINT))
        return Error{ErrorKind::ReadOnly, EACCES};
    if (int err = fault(FsCall::Unlink, *host))
        return injected(err);
    const BOOL done
        = (attrs & FILE_ATTRIBUTE_DIRECTORY) ? ::RemoveDirectoryW(wide.c_str()) : ::DeleteFileW(wide.c_str());
    if (!done)
        return lastError();
    return Status::ok();
}

bool FileSystem::canOpenForRead(u16view path) const
{
    std::optional<std::string> host = hostPath(path);
    if (!host || fault(FsCall::Open, *host))
        return false;
    Handle h(::CreateFileW(wideHost(*host).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    return h.valid() && fault(FsCall::Stat, *host) == 0 && ::GetFileType(h.get()) == FILE_TYPE_DISK;
}

bool FileSystem::exists(u16view path) const
{
    std::optional<std::string> host = hostPath(path);
    return host && fault(FsCall::Stat, *host) == 0
        && ::GetFileAttributesW(wideHost(*host).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool FileSystem::sameFile(u16view a, u16view b) const
{
    std::optional<std::string> hostA = hostPath(a);
    std::optional<std::string> hostB = hostPath(b);
    if (!hostA || !hostB || fault(FsCall::Stat, *hostA) || fault(FsCall::Stat, *hostB))
        return false;
    Handle ha = openForQuery(*hostA);
    Handle hb = openForQuery(*hostB);
    BY_HANDLE_FILE_INFORMATION ia, ib;
    return ha.valid() && hb.valid() && handleInfo(ha.get(), ia) && handleInfo(hb.get(), ib)
        && ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh
        && ia.nFileIndexLow == ib.nFileIndexLow;
}

Result<FileStamp> FileSystem::stamp(u16view path) const
{
    std::optional<std::string> host = hostPath(path);
    if (!host)
        return noHostPath();
    if (int err = fault(FsCall::Stat, *host))
        return injected(err);
    Handle h = openForQuery(*host);
    BY_HANDLE_FILE_INFORMATION info;
    if (!h.valid() || !handleInfo(h.get(), info))
        return lastError();
    return stampOf(info);
}

Result<Handle> openToRead(const std::wstring& wide)
{
    Handle h(::CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    if (h.valid())
        return h;
    const Error error = lastError();
    const DWORD attrs = ::GetFileAttributesW(wide.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY))
        return Error{ErrorKind::IsDirectory, EISDIR};
    return error;
}

Result<std::string> FileSystem::readFileStamped(u16view path, std::size_t maxBytes, FileStamp* stamp) const
{
    std::optional<std::string> host = hostPath(path);
    if (!host)
        return noHostPath();
    if (int err = fault(FsCall::Open, *host))
        return injected(err);
    Result<Handle> opened = openToRead(wideHost(*host));
    if (!opened)
        return opened.error();
    Handle h = std::move(*opened);
    if (int err = fault(FsCall::Stat, *host))
        return injected(err);
    // A device or pipe is refused before any read.
    if (::GetFileType(h.get()) != FILE_TYPE_DISK)
        return Error{ErrorKind::NotRegular, EINVAL};
    BY_HANDLE_FILE_INFORMATION info;
    if (!handleInfo(h.get(), info))
        return lastError();
    if (stamp)
        *stamp = stampOf(info);
    return readWhole(static_cast<std::uint64_t>(sizeOf(info.nFileSizeHigh, info.nFileSizeLow)), maxBytes,
        [&](char* data, std::size_t count) {
            if (int err = fault(FsCall::Read, *host))
                return Result<std::size_t>(injected(err));
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
            DWORD got = 0;
            if (!::ReadFile(h.get(), data, want, &got, nullptr))
                return Result<std::size_t>(lastError());
            return Result<std::size_t>(got);
        });
}

}

#include "platform/ArchiveIo.h"

#include "platform/Win32Files.h"

// The archiver's file services on Win32. The classes keep their handles in
// the header's int members: Windows guarantees that kernel handles fit in 32
// bits (HandleToLong / LongToHandle), for exactly this kind of sharing.
//
// A directory is held open without FILE_SHARE_DELETE, so while the archiver
// works below it nobody can rename it away or put a link in its place; each
// name below is checked not to be a link before it is used.
namespace sorvik::platform {

namespace {

HANDLE handleOf(int value)
{
    return LongToHandle(value);
}
int valueOf(HANDLE h)
{
    return HandleToLong(h);
}

EntryFacts factsOf(DWORD attrs, DWORD sizeHigh, DWORD sizeLow, const FILETIME& lastWrite)
{
    EntryFacts f;
    if (attrs & FILE_ATTRIBUTE_REPARSE_POINT)
        f.type = EntryType::Link;
    else if (attrs & FILE_ATTRIBUTE_DIRECTORY)
        f.type = EntryType::Directory;
    else
        f.type = EntryType::File;
    f.size = (std::uint64_t(sizeHigh) << 32) | sizeLow;
    f.mtime = unixSeconds(lastWrite);
    f.readOnly = (attrs & FILE_ATTRIBUTE_READONLY) != 0;
    return f;
}

bool isMissing(DWORD err)
{
    return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND;
}

// One sweep per directory and process for the archiver's temporaries.
TempSweep& archiveSweep()
{
    static TempSweep sweep;
    return sweep;
}

// A directory opened for listing and walking, never through a final link.
HANDLE openDirectoryHandle(const std::string& host, bool followLink)
{
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    HANDLE h = ::CreateFileW(wideHost(host).c_str(),
        FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE,
        nullptr, OPEN_EXISTING, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return h;
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(h, &info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        || (!followLink && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))) {
        ::CloseHandle(h);
        ::SetLastError(ERROR_DIRECTORY);
        return INVALID_HANDLE_VALUE;
    }
    return h;
}

bool writeAll(HANDLE h, const char* p, std::size_t n, DWORD& err)
{
    while (n > 0) {
        DWORD done = 0;
        if (!::WriteFile(h, p, static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30)), &done, nullptr)) {
            err = ::GetLastError();
            return false;
        }
        if (done == 0) {
            err = ERROR_WRITE_FAULT;
            return false;
        }
        p += done;
        n -= done;
    }
    return true;
}

}

InputFile::InputFile(int fd, std::string host, FaultInjector* faults, std::uint64_t size, std::int64_t mtime)
    : m_fd(fd), m_host(std::move(host)), m_faults(faults), m_size(size), m_mtime(mtime)
{
}

InputFile::~InputFile()
{
    ::CloseHandle(handleOf(m_fd));
}

std::ptrdiff_t InputFile::readAt(std::uint64_t offset, void* data, std::size_t count)
{
    if (int err = fault(FsCall::Read, m_host)) {
        m_error = injected(err);
        return -1;
    }
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!::ReadFile(handleOf(m_fd), data, static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30)), &got, &at)) {
        if (::GetLastError() == ERROR_HANDLE_EOF)
            return 0;
        m_error = lastError();
        return -1;
    }
    return static_cast<std::ptrdiff_t>(got);
}

TempOutput::TempOutput(int dirFd, std::string dirHost, std::string tempName, int fd, FaultInjector* faults)
    : m_dirFd(dirFd), m_dirHost(std::move(dirHost)), m_tempName(std::move(tempName)), m_fd(fd), m_faults(faults)
{
}

TempOutput::~TempOutput()
{
    discard();
    ::CloseHandle(handleOf(m_dirFd));
}

Status TempOutput::write(const void* data, std::size_t count)
{
    if (m_done)
        return Error{ErrorKind::Other, EBADF};
    if (int err = fault(FsCall::Write, hostJoin(m_dirHost, m_tempName)))
        return injected(err);
    DWORD err = 0;
    if (!writeAll(handleOf(m_fd), static_cast<const char*>(data), count, err))
        return errorFromWin32(err);
    m_size += count;
    return {};
}

Status TempOutput::writeAt(std::uint64_t offset, const void* data, std::size_t count)
{
    if (m_done)
        return Error{ErrorKind::Other, EBADF};
    if (int err = fault(FsCall::Write, hostJoin(m_dirHost, m_tempName)))
        return injected(err);
    // A positioned write moves the file pointer on Windows; later plain
    // writes go on where they were, as after pwrite.
    HANDLE h = handleOf(m_fd);
    LARGE_INTEGER zero{}, here{}, to{};
    if (!::SetFilePointerEx(h, zero, &here, FILE_CURRENT))
        return lastError();
    to.QuadPart = static_cast<LONGLONG>(offset);
    DWORD err = 0;
    const bool written
        = ::SetFilePointerEx(h, to, nullptr, FILE_BEGIN) && writeAll(h, static_cast<const char*>(data), count, err);
    if (!written && err == 0)
        err = ::GetLastError();
    if (!::SetFilePointerEx(h, here, nullptr, FILE_BEGIN) && written)
        return lastError();
    if (!written)
        return errorFromWin32(err);
    if (offset + count > m_size)
        m_size = offset + count;
    return {};
}

Status TempOutput::truncate(std::uint64_t size)
{
    if (int err = fault(FsCall::Write, hostJoin(m_dirHost, m_tempName)))
        return injected(err);
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(size);
    HANDLE h = handleOf(m_fd);
    if (!::SetFilePointerEx(h, to, nullptr, FILE_BEGIN) || !::SetEndOfFile(h))
        return lastError();
    m_size = size;
    return {};
}

Result<EntryFacts> TempOutput::targetEntry(std::string_view name)
{
    const std::string target = hostJoin(m_dirHost, name);
    if (int err = fault(FsCall::Stat, target))
        return injected(err);
    const DWORD old = ::GetFileAttributesW(wideHost(target).c_str());
    if (old == INVALID_FILE_ATTRIBUTES) {
        if (isMissing(::GetLastError()))
            return EntryFacts{};
        return lastError();
    }
    m_replaced = old;
    return factsOf(old, 0, 0, FILETIME{});
}

Status TempOutput::keepReplacedAttributes()
{
    // An existing file's attributes carry over to its replacement.
    const DWORD keep = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    if ((m_replaced & keep) == FILE_ATTRIBUTE_ARCHIVE)
        return {};
    if (int err = fault(FsCall::SetAttributes, hostJoin(m_dirHost, m_tempName)))
        return injected(err);
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = (m_replaced & keep) ? (m_replaced & keep) : FILE_ATTRIBUTE_NORMAL;
    if (!::SetFileInformationByHandle(handleOf(m_fd), FileBasicInfo, &basic, sizeof basic))
        return lastError();
    return {};
}

Status TempOutput::setTimes(std::int64_t mtime)
{
    if (int err = fault(FsCall::SetTimes, hostJoin(m_dirHost, m_tempName)))
        return injected(err);
    const FILETIME ft = fileTimeOf(mtime);
    if (!::SetFileTime(handleOf(m_fd), nullptr, &ft, &ft))
        return lastError();
    return {};
}

Status TempOutput::flush()
{
    if (int err = fault(FsCall::Sync, hostJoin(m_dirHost, m_tempName)))
        return injected(err);
    if (!::FlushFileBuffers(handleOf(m_fd)))
        return lastError();
    return {};
}

Status TempOutput::renameOver(std::string_view name, SyncMode sync)
{
    const std::string target = hostJoin(m_dirHost, name);
    if (int err = fault(FsCall::Rename, target))
        return injected(err);
    // The handle is closed first: a file still open cannot be renamed over
    // another on every file system.
    ::CloseHandle(handleOf(m_fd));
    m_fd = valueOf(INVALID_HANDLE_VALUE);
    if (!::MoveFileExW(wideHost(hostJoin(m_dirHost, m_tempName)).c_str(), wideHost(target).c_str(),
            MOVEFILE_REPLACE_EXISTING | (sync == SyncMode::Always ? MOVEFILE_WRITE_THROUGH : 0)))
        return lastError();
    return {};
}

void TempOutput::discard()
{
    if (m_done)
        return;
    m_done = true;
    if (handleOf(m_fd) != INVALID_HANDLE_VALUE)
        ::CloseHandle(handleOf(m_fd));
    m_fd = valueOf(INVALID_HANDLE_VALUE);
    // Not through the fault seam: clean-up must run even when a test makes
    // every other call fail.
    ::DeleteFileW(wideHost(hostJoin(m_dirHost, m_tempName)).c_str());
}

DirHandle::DirHandle(int fd, std::string host, FaultInjector* faults)
    : m_fd(fd), m_host(std::move(host)), m_faults(faults)
{
}

DirHandle::~DirHandle()
{
    ::CloseHandle(handleOf(m_fd));
}

Result<EntryFacts> DirHandle::entry(std::string_view name) const
{
    const std::string host = hostJoin(m_host, name);
    if (int err = fault(FsCall::Stat, host))
        return injected(err);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(wideHost(host).c_str(), GetFileExInfoStandard, &data)) {
        if (isMissing(::GetLastError()))
            return EntryFacts{};
        return lastError();
    }
    return factsOf(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime);
}

Result<std::unique_ptr<DirHandle>> DirHandle::openChild(std::string_view name, bool& missing) const
{
    const std::string host = hostJoin(m_host, name);
    missing = false;
    if (int err = fault(FsCall::Open, host))
        return injected(err);
    HANDLE h = openDirectoryHandle(host, false);
    if (h != INVALID_HANDLE_VALUE)
        return std::make_unique<DirHandle>(valueOf(h), host, m_faults);
    const DWORD err = ::GetLastError();
    // What the POSIX layer's openat says of a file or a link in the way.
    const DWORD attrs = ::GetFileAttributesW(wideHost(host).c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_REPARSE_POINT))
        return Error{ErrorKind::Other, ELOOP};
    if (attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY))
        return Error{ErrorKind::NotFound, ENOTDIR};
    missing = isMissing(err);
    return errorFromWin32(err);
}

Status DirHandle::makeChild(std::string_view name) const
{
    const std::string host = hostJoin(m_host, name);
    if (int err = fault(FsCall::MakeDir, host))
        return injected(err);
    if (!::CreateDirectoryW(wideHost(host).c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        return lastError();
    return {};
}

Result<std::unique_ptr<TempOutput>> DirHandle::createTemp() const
{
    sweepStaleTemps(archiveSweep(), m_host);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string name = temporaryName(::GetCurrentProcessId());
        const std::string host = hostJoin(m_host, name);
        if (int err = fault(FsCall::Open, host))
            return injected(err);
        HANDLE h = ::CreateFileW(wideHost(host).c_str(), GENERIC_READ | GENERIC_WRITE,
            FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            if (::GetLastError() == ERROR_FILE_EXISTS || ::GetLastError() == ERROR_ALREADY_EXISTS)
                continue;
            return lastError();
        }
        HANDLE dir = INVALID_HANDLE_VALUE;
        if (!::DuplicateHandle(
                ::GetCurrentProcess(), handleOf(m_fd), ::GetCurrentProcess(), &dir, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
            const Error error = lastError();
            ::CloseHandle(h);
            ::DeleteFileW(wideHost(host).c_str());
            return error;
        }
        return std::make_unique<TempOutput>(valueOf(dir), m_host, name, valueOf(h), m_faults);
    }
    return errorFromWin32(ERROR_FILE_EXISTS);
}

Result<std::unique_ptr<InputFile>> ArchiveIo::openInput(const std::string& host) const
{
    if (int err = fault(FsCall::Open, host))
        return injected(err);
    const std::wstring wide = wideHost(host);
    HANDLE h = ::CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const Error error = lastError();
        const DWORD attrs = ::GetFileAttributesW(wide.c_str());
        if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY))
            return Error{ErrorKind::IsDirectory, EISDIR};
        return error;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (::GetFileType(h) != FILE_TYPE_DISK || !::GetFileInformationByHandle(h, &info)) {
        ::CloseHandle(h);
        return Error{ErrorKind::NotRegular, EINVAL};
    }
    return std::make_unique<InputFile>(valueOf(h), host, m_faults,
        (std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow, unixSeconds(info.ftLastWriteTime));
}

Result<EntryFacts> ArchiveIo::facts(const std::string& host) const
{
    if (int err = fault(FsCall::Stat, host))
        return injected(err);
    const std::wstring wide = wideHost(host);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) {
        if (isMissing(::GetLastError()))
            return EntryFacts{};
        return lastError();
    }
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return factsOf(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime);
    // Links followed, as for any file the user names.
    Handle h(::CreateFileW(
        wide.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!h.valid()) {
        if (isMissing(::GetLastError()))
            return EntryFacts{};
        return lastError();
    }
    if (!::GetFileInformationByHandle(h.get(), &info))
        return lastError();
    return factsOf(info.dwFileAttributes, info.nFileSizeHigh, info.nFileSizeLow, info.ftLastWriteTime);
}

std::size_t ArchiveIo::firstLevelEnd(const std::string& host)
{
    // Below the drive's root.
    return host.size() >= 3 && host[1] == ':' ? 3 : 1;
}

bool ArchiveIo::separates(char c)
{
    return c == '\\' || c == '/';
}

Status ArchiveIo::makeLevel(const std::string& part) const
{
    if (::GetFileAttributesW(wideHost(part).c_str()) != INVALID_FILE_ATTRIBUTES)
        return {};
    if (int err = fault(FsCall::MakeDir, part))
        return injected(err);
    if (!::CreateDirectoryW(wideHost(part).c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        return lastError();
    return {};
}

Result<std::unique_ptr<DirHandle>> ArchiveIo::openExisting(const std::string& host) const
{
    if (int err = fault(FsCall::Open, host))
        return injected(err);
    HANDLE h = openDirectoryHandle(host, true);
    if (h == INVALID_HANDLE_VALUE)
        return lastError();
    return std::make_unique<DirHandle>(valueOf(h), host, m_faults);
}

}

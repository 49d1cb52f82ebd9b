#include "platform/FileSystem.h"

#include "platform/Win32Files.h"

#include <algorithm>

namespace sorvik::platform {

namespace {

constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

struct Identity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
    bool operator==(const Identity&) const = default;
};

std::optional<Identity> identityOf(const std::string& host)
{
    Handle h(::CreateFileW(wideHost(host).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!h.valid() || !::GetFileInformationByHandle(h.get(), &info))
        return std::nullopt;
    return Identity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

Status writeAll(FaultInjector* faults, HANDLE h, const std::string& path, std::string_view bytes)
{
    while (!bytes.empty()) {
        if (int err = faults ? faults->before(FsCall::Write, path) : 0)
            return injected(err);
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD done = 0;
        if (!::WriteFile(h, bytes.data(), want, &done, nullptr))
            return lastError();
        if (done == 0)
            return Error{ErrorKind::Other, EIO};   // no progress: do not spin
        bytes.remove_prefix(done);
    }
    return Status::ok();
}

// What the copy's progress routine carries between the system and us.
struct CopyProgress {
    FaultInjector* faults;
    const std::string* temp;
    CopyObserver* observer;
    std::int64_t reported = 0;
    bool called = false;
    Status stopped;

    // One chunk written: the fault seam for writes, then the caller's observer.
    bool chunk(std::int64_t bytes)
    {
        if (int err = faults ? faults->before(FsCall::Write, *temp) : 0) {
            stopped = injected(err);
            return false;
        }
        if (observer && bytes > 0 && !observer->copied(bytes)) {
            stopped = Error{ErrorKind::Cancelled, ECANCELED};
            return false;
        }
        return true;
    }
};

DWORD CALLBACK copyProgress(LARGE_INTEGER, LARGE_INTEGER transferred, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD reason,
    HANDLE, HANDLE, LPVOID data)
{
    auto* p = static_cast<CopyProgress*>(data);
    if (reason != CALLBACK_CHUNK_FINISHED)
        return PROGRESS_CONTINUE;
    p->called = true;
    const std::int64_t delta = transferred.QuadPart - p->reported;
    p->reported = transferred.QuadPart;
    return p->chunk(delta) ? PROGRESS_CONTINUE : PROGRESS_CANCEL;
}

enum class Sync { IfReplacing, Always };

// Flushes a finished copy to the disk; the copy may carry the source's
// read-only attribute, which is lifted only while the handle is opened.
Status flushFile(FaultInjector* faults, const std::string& host)
{
    if (int err = faults ? faults->before(FsCall::Sync, host) : 0)
        return injected(err);
    const std::wstring wide = wideHost(host);
    const DWORD attrs = ::GetFileAttributesW(wide.c_str());
    const bool readOnly = isReadOnly(attrs);
    if (readOnly)
        ::SetFileAttributesW(wide.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY);
    Handle h(::CreateFileW(wide.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    const bool flushed = h.valid() && ::FlushFileBuffers(h.get());
    const Error error = lastError();
    h.reset();
    if (readOnly)
        ::SetFileAttributesW(wide.c_str(), attrs);
    if (!flushed)
        return error;
    return Status::ok();
}

// Copies `src` to `dst` with the system's copy (which keeps the last-write
// time and the attributes) into a temporary file beside `dst`, renamed over
// it only when complete. The caller has checked `dst`.
Status copyThroughTemp(FaultInjector* faults, TempSweep& sweep, const std::string& src, std::int64_t size,
    const std::string& dst, bool replacing, Replace replace, Sync sync, CopyObserver* observer)
{
    const std::string dir = hostDirectoryOf(dst);
    std::string temp = tempPathIn(dir);
    if (int err = faults ? faults->before(FsCall::Open, temp) : 0)
        return injected(err);
    CopyProgress progress{faults, &temp, observer, 0, false, Status::ok()};
    BOOL cancel = FALSE;
    std::wstring wideTemp = wideHost(temp);
    BOOL copied = ::CopyFileExW(
        wideHost(src).c_str(), wideTemp.c_str(), copyProgress, &progress, &cancel, COPY_FILE_FAIL_IF_EXISTS);
    for (int attempt = 0; !copied && attempt < 16 && !progress.stopped.failed()
         && (::GetLastError() == ERROR_FILE_EXISTS || ::GetLastError() == ERROR_ALREADY_EXISTS);
         ++attempt) {
        temp = tempPathIn(dir);
        wideTemp = wideHost(temp);
        copied = ::CopyFileExW(
            wideHost(src).c_str(), wideTemp.c_str(), copyProgress, &progress, &cancel, COPY_FILE_FAIL_IF_EXISTS);
    }
    sweepStaleTemps(sweep, dir);
    auto fail = [&](Error error) {
        const DWORD attrs = ::GetFileAttributesW(wideTemp.c_str());
        if (isReadOnly(attrs))
            ::SetFileAttributesW(wideTemp.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY);
        ::DeleteFileW(wideTemp.c_str());
        return error;
    };
    if (!copied)
        return fail(progress.stopped.failed() ? progress.stopped.error() : lastError());
    // A copy routine that reports no chunks still passes the seam and the
    // observer once, for the whole file.
    if (!progress.called && !progress.chunk(size))
        return fail(progress.stopped.error());
    // The system's copy set the attributes and times itself; the seam is
    // asked for those steps after it, so tests can make them fail here too.
    for (FsCall step : {FsCall::SetAttributes, FsCall::SetTimes}) {
        if (int err = faults ? faults->before(step, temp) : 0)
            return fail(injected(err));
    }
    // The old destination must survive a crash, so its replacement is on disk
    // before the rename; a new file has nothing to lose and skips the wait.
    if (sync == Sync::Always || replacing) {
        if (Status s = flushFile(faults, temp); s.failed())
            return fail(s.error());
    }
    if (int err = faults ? faults->before(FsCall::Rename, temp) : 0)
        return fail(injected(err));
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace == Replace::Existing ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!::MoveFileExW(wideTemp.c_str(), wideHost(dst).c_str(), flags))
        return fail(lastError());
    return Status::ok();
}

// Checks an existing destination of a copy or move; `exists` tells whether
// there is one to replace. A file that is the source itself is `same`.
Status checkDestination(
    const std::string& dst, const std::optional<Identity>& src, Replace replace, bool& exists, bool& same)
{
    exists = same = false;
    const std::wstring wide = wideHost(dst);
    const DWORD attrs = ::GetFileAttributesW(wide.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) {
        const DWORD err = ::GetLastError();
        return err == ERROR_FILE_NOT_FOUND ? Status::ok() : Status(errorFromWin32(err));
    }
    if (src && identityOf(dst) == src) {
        same = true;
        return Status::ok();
    }
    if (attrs & FILE_ATTRIBUTE_DIRECTORY)
        return Error{ErrorKind::IsDirectory, EISDIR};
    if (replace == Replace::Never)
        return Error{ErrorKind::Exists, EEXIST};
    if (attrs & FILE_ATTRIBUTE_READONLY)
        return Error{ErrorKind::ReadOnly, EACCES};
    // What the attribute does not show (a file another program holds, access rights).
    Handle h(::CreateFileW(wide.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!h.valid())
        return lastError();
    exists = true;
    return Status::ok();
}

// The source of a copy: a regular file, opened once to be sure it can be read.
Status checkSource(FaultInjector* faults, const std::string& host, std::int64_t& size)
{
    if (int err = faults ? faults->before(FsCall::Open, host) : 0)
        return injected(err);
    const std::wstring wide = wideHost(host);
    Handle h(::CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!h.valid()) {
        const Error error = lastError();
        const DWORD attrs = ::GetFileAttributesW(wide.c_str());
        if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY))
            return Error{ErrorKind::IsDirectory, EISDIR};
        return error;
    }
    if (int err = faults ? faults->before(FsCall::Stat, host) : 0)
        return injected(err);
    if (::GetFileType(h.get()) != FILE_TYPE_DISK)
        return Error{ErrorKind::NotRegular, EINVAL};
    LARGE_INTEGER length;
    if (!::GetFileSizeEx(h.get(), &length))
        return lastError();
    size = length.QuadPart;
    return Status::ok();
}

}

Status FileSystem::writeFileAtomic(u16view path, std::string_view bytes)
{
    std::optional<FileStamp> written;
    return writeFileAtomic(path, bytes, written);
}

Status FileSystem::writeFileAtomic(u16view path, std::string_view bytes, std::optional<FileStamp>& written)
{
    written.reset();
    std::optional<std::string> host = hostPath(path);
    if (!host)
        return noHostPath();
    if (int err = fault(FsCall::Stat, *host))
        return injected(err);
    // A link (or junction) may have been put there by someone else to make
    // us overwrite the file it points at; a data file is never written through one.
    const std::string target = *host;
    const DWORD old = ::GetFileAttributesW(wideHost(target).c_str());
    if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_REPARSE_POINT))
        return Error{ErrorKind::Link, ELOOP};
    const bool replacing = old != INVALID_FILE_ATTRIBUTES;
    if (!replacing && ::GetLastError() != ERROR_FILE_NOT_FOUND)
        return lastError();
    if (replacing) {
        if (old & FILE_ATTRIBUTE_DIRECTORY)
            return Error{ErrorKind::IsDirectory, EISDIR};
        if (old & FILE_ATTRIBUTE_READONLY)
            return Error{ErrorKind::ReadOnly, EACCES};
        // A file another program holds, or one the user may not write, is not
        // ours to replace.
        Handle probe(
            ::CreateFileW(wideHost(target).c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!probe.valid())
            return lastError();
    }

    const std::string dir = hostDirectoryOf(target);
    std::string temp;
    if (int err = fault(FsCall::Open, tempPathIn(dir)))
        return injected(err);
    Handle h = createTemp(dir, temp);
    if (!h.valid())
        return lastError();
    sweepStaleTemps(*m_sweep, dir);
    const std::wstring wideTemp = wideHost(temp);
    auto fail = [&](Error error) {
        h.reset();
        ::DeleteFileW(wideTemp.c_str());
        return error;
    };
    if (Status s = writeAll(m_faults, h.get(), temp, bytes); s.failed())
        return fail(s.error());
    if (int err = fault(FsCall::Sync, temp))
        return fail(injected(err));
    if (!::FlushFileBuffers(h.get()))
        return fail(lastError());
    // Renaming keeps the file's identity, length and time, so the stamp of
    // the temporary file is the stamp of the written file.
    BY_HANDLE_FILE_INFORMATION info;
    const bool stamped = fault(FsCall::Stat, temp) == 0 && ::GetFileInformationByHandle(h.get(), &info);
    if (!h.close())
        return fail(lastError());
    if (replacing) {
        // A hidden description file stays hidden after it is saved.
        if (int err = fault(FsCall::SetAttributes, temp))
            return fail(injected(err));
        if (!::SetFileAttributesW(
                wideTemp.c_str(), (old & kKeptAttributes) ? (old & kKeptAttributes) : FILE_ATTRIBUTE_NORMAL))
            return fail(lastError());
    }
    if (int err = fault(FsCall::Rename, temp))
        return fail(injected(err));
    if (!::MoveFileExW(wideTemp.c_str(), wideHost(target).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail(lastError());
    if (stamped) {
        const std::int64_t t
            = (std::int64_t(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
        const std::int64_t since = t - 116444736000000000LL;
        written = FileStamp{info.dwVolumeSerialNumber, (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
            static_cast<std::int64_t>((std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow), since / 10000000,
            (since % 10000000) * 100};
    }
    return Status::ok();
}

Status FileSystem::copyFile(u16view from, u16view to, Replace replace, CopyObserver* observer)
{
    std::optional<std::string> hostFrom = hostPath(from);
    std::optional<std::string> hostTo = hostPath(to);
    if (!hostFrom || !hostTo)
        return noHostPath();
    std::int64_t size = 0;
    if (Status s = checkSource(m_faults, *hostFrom, size); s.failed())
        return s;
    if (int err = fault(FsCall::Stat, *hostTo))
        return injected(err);
    bool replacing = false, same = false;
    if (Status s = checkDestination(*hostTo, identityOf(*hostFrom), replace, replacing, same); s.failed())
        return s;
    if (same)
        return Status::ok();
    // A destination that is a link is replaced itself, never the file it
    // points at: a link planted in a shared directory must not make the copy
    // overwrite a file elsewhere.
    return copyThroughTemp(
        m_faults, *m_sweep, *hostFrom, size, *hostTo, replacing, replace, Sync::IfReplacing, observer);
}

Status FileSystem::moveFile(u16view from, u16view to, Replace replace, CopyObserver* observer)
{
    std::optional<std::string> hostFrom = hostPath(from);
    std::optional<std::string> hostTo = hostPath(to);
    if (!hostFrom || !hostTo)
        return noHostPath();
    if (int err = fault(FsCall::Stat, *hostFrom))
        return injected(err);
    const std::wstring wideFrom = wideHost(*hostFrom), wideTo = wideHost(*hostTo);
    const DWORD attrs = ::GetFileAttributesW(wideFrom.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES)
        return lastError();
    if (int err = fault(FsCall::Stat, *hostTo))
        return injected(err);
    bool replacing = false, same = false;
    if (Status s = checkDestination(*hostTo, identityOf(*hostFrom), replace, replacing, same); s.failed())
        return s;
    if (same) {
        // Two spellings of one entry: the rename only sets the new letter
        // case. Anything else stays as it is.
        if (*hostFrom != *hostTo && hostDirectoryOf(*hostFrom) == hostDirectoryOf(*hostTo)) {
            if (int err = fault(FsCall::Rename, *hostFrom))
                return injected(err);
            if (!renameCaseOnly(*hostFrom, *hostTo))
                return lastError();
        }
        return Status::ok();
    }

    // A test's EXDEV stands for another volume, as on Linux.
    if (int err = fault(FsCall::Rename, *hostFrom)) {
        if (err != EXDEV)
            return injected(err);
    } else {
        const DWORD flags = replace == Replace::Existing ? MOVEFILE_REPLACE_EXISTING : 0;
        if (::MoveFileExW(wideFrom.c_str(), wideTo.c_str(), flags))
            return Status::ok();
        if (::GetLastError() != ERROR_NOT_SAME_DEVICE)
            return lastError();
    }

    // Another volume: a copy, on disk before the source goes.
    if (attrs & FILE_ATTRIBUTE_DIRECTORY)
        return Error{ErrorKind::IsDirectory, EISDIR};
    std::int64_t size = 0;
    if (Status s = checkSource(m_faults, *hostFrom, size); s.failed())
        return s;
    if (Status s
        = copyThroughTemp(m_faults, *m_sweep, *hostFrom, size, *hostTo, replacing, replace, Sync::Always, observer);
        s.failed())
        return s;
    // The copy carries the read-only attribute; the source must lose it to go.
    // Failing here leaves both copies: nothing is lost, and the caller is told.
    if (int err = fault(FsCall::Unlink, *hostFrom))
        return injected(err);
    if (attrs & FILE_ATTRIBUTE_READONLY)
        ::SetFileAttributesW(wideFrom.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY);
    if (!::DeleteFileW(wideFrom.c_str())) {
        const Error error = lastError();
        if (attrs & FILE_ATTRIBUTE_READONLY)
            ::SetFileAttributesW(wideFrom.c_str(), attrs);
        return error;
    }
    return Status::ok();
}

}

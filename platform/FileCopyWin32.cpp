#include "platform/FileCopy.h"
#include "platform/Win32Files.h"

#include <algorithm>

namespace sorvik::platform {

namespace {

constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

FileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION& info)
{
    return FileIdentity{info.dwVolumeSerialNumber, (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

// What a name leads to, links followed.
std::optional<FileIdentity> identityOf(const std::string& host)
{
    Handle h(::CreateFileW(wideHost(host).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!h.valid() || !::GetFileInformationByHandle(h.get(), &info))
        return std::nullopt;
    return identityOf(info);
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
    const ChunkDone* done;
    std::int64_t reported = 0;
    bool called = false;
    Status stopped;

    // One chunk written: the fault seam for writes, then the caller.
    bool chunk(std::int64_t bytes)
    {
        if (int err = faults ? faults->before(FsCall::Write, *temp) : 0) {
            stopped = injected(err);
            return false;
        }
        stopped = (*done)(bytes);
        return !stopped.failed();
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

// The Win32 calls of a copy, a move and an atomic write. The copy itself is
// the system's (CopyFileExW, which keeps the last-write time and the
// attributes); the seam is still asked for those steps after it.
class Win32Primitives final : public FilePrimitives {
public:
    Win32Primitives(FaultInjector* faults, TempSweep& sweep) : m_faults(faults), m_sweep(sweep) {}

    std::string directoryOf(const std::string& host) const override { return hostDirectoryOf(host); }

    // The attributes are the name's own, a link's included; the identity is
    // that of the file it leads to, whichever `follow` asks for.
    Result<FileFacts> lookup(const std::string& host, Follow) override
    {
        if (int err = fault(FsCall::Stat, host))
            return injected(err);
        const DWORD attrs = ::GetFileAttributesW(wideHost(host).c_str());
        FileFacts facts;
        if (attrs == INVALID_FILE_ATTRIBUTES) {
            const DWORD err = ::GetLastError();
            if (err != ERROR_FILE_NOT_FOUND)
                return errorFromWin32(err);
            facts.missing = errorFromWin32(err);
            return facts;
        }
        facts.type = (attrs & FILE_ATTRIBUTE_DIRECTORY) ? FileType::Directory : FileType::Regular;
        facts.link = (attrs & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        facts.readOnly = (attrs & FILE_ATTRIBUTE_READONLY) != 0;
        facts.id = identityOf(host);
        m_lookedUp = host;
        m_lookedUpAttributes = attrs;
        return facts;
    }

    Status probeWritable(const std::string& host) override
    {
        if (int err = fault(FsCall::Stat, host))
            return injected(err);
        Handle h(::CreateFileW(wideHost(host).c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!h.valid())
            return lastError();
        return Status::ok();
    }

    void sweepTemps(const std::string& dir) override { sweepStaleTemps(m_sweep, dir); }

    // Opened once to be sure it can be read; the system's copy opens it again.
    Status openSource(const std::string& host, Follow, FileFacts& facts) override
    {
        if (int err = fault(FsCall::Open, host))
            return injected(err);
        Result<Handle> opened = openToRead(wideHost(host));
        if (!opened)
            return opened.error();
        Handle h = std::move(*opened);
        if (int err = fault(FsCall::Stat, host))
            return injected(err);
        facts = FileFacts{};
        if (::GetFileType(h.get()) != FILE_TYPE_DISK) {
            facts.type = FileType::Other;
            return Status::ok();
        }
        LARGE_INTEGER length;
        if (!::GetFileSizeEx(h.get(), &length))
            return lastError();
        BY_HANDLE_FILE_INFORMATION info;
        if (::GetFileInformationByHandle(h.get(), &info))
            facts.id = identityOf(info);
        facts.type = FileType::Regular;
        facts.size = m_sourceSize = length.QuadPart;
        m_sourcePath = host;
        return Status::ok();
    }

    void closeSource() override {}

    // A copy's temporary file is made by the system's copy under this name.
    Status createTemp(const std::string& dir, TempUse use) override
    {
        for (int attempt = 0; attempt < 64; ++attempt) {
            m_tempPath = tempPathIn(dir);
            if (int err = fault(FsCall::Open, m_tempPath))
                return injected(err);
            if (use == TempUse::Copy) {
                m_copyDir = dir;
                return Status::ok();
            }
            m_temp = Handle(::CreateFileW(wideHost(m_tempPath).c_str(), GENERIC_WRITE,
                FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (m_temp.valid())
                return Status::ok();
            if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS)
                break;
        }
        const Error error = lastError();
        m_tempPath.clear();
        return error;
    }

    Status writeTemp(std::string_view bytes) override { return writeAll(m_faults, m_temp.get(), m_tempPath, bytes); }

    Status copyToTemp(const ChunkDone& chunk) override
    {
        CopyProgress progress{m_faults, &m_tempPath, &chunk, 0, false, Status::ok()};
        BOOL cancel = FALSE;
        const std::wstring wideSource = wideHost(m_sourcePath);
        BOOL copied = ::CopyFileExW(wideSource.c_str(), wideHost(m_tempPath).c_str(), copyProgress, &progress, &cancel,
            COPY_FILE_FAIL_IF_EXISTS);
        for (int attempt = 0; !copied && attempt < 16 && !progress.stopped.failed()
             && (::GetLastError() == ERROR_FILE_EXISTS || ::GetLastError() == ERROR_ALREADY_EXISTS);
             ++attempt) {
            m_tempPath = tempPathIn(m_copyDir);
            copied = ::CopyFileExW(wideSource.c_str(), wideHost(m_tempPath).c_str(), copyProgress, &progress, &cancel,
                COPY_FILE_FAIL_IF_EXISTS);
        }
        if (!copied)
            return progress.stopped.failed() ? progress.stopped : Status(lastError());
        // A copy routine that reports no chunks still passes the seam and the
        // caller once, for the whole file.
        if (!progress.called && !progress.chunk(m_sourceSize))
            return progress.stopped;
        return Status::ok();
    }

    // The system's copy set the attributes and times itself.
    Status keepSourceAttributes() override { return seamOnly(FsCall::SetAttributes); }
    Status keepSourceTimes() override { return seamOnly(FsCall::SetTimes); }

    void rememberReplaced(const std::string& host) override
    {
        m_replacedAttributes = m_lookedUp == host ? m_lookedUpAttributes : ::GetFileAttributesW(wideHost(host).c_str());
    }

    Status keepReplacedAttributes() override
    {
        if (int err = fault(FsCall::SetAttributes, m_tempPath))
            return injected(err);
        FILE_BASIC_INFO basic{};   // times of zero stay as they are
        const DWORD kept = m_replacedAttributes & kKeptAttributes;
        basic.FileAttributes = kept ? kept : FILE_ATTRIBUTE_NORMAL;
        if (!::SetFileInformationByHandle(m_temp.get(), FileBasicInfo, &basic, sizeof basic))
            return lastError();
        return Status::ok();
    }

    Status flushTemp() override
    {
        if (!m_temp.valid())
            return flushFile(m_faults, m_tempPath);
        if (int err = fault(FsCall::Sync, m_tempPath))
            return injected(err);
        if (!::FlushFileBuffers(m_temp.get()))
            return lastError();
        return Status::ok();
    }

    std::optional<FileStamp> stampTemp() override
    {
        BY_HANDLE_FILE_INFORMATION info;
        if (!m_temp.valid() || fault(FsCall::Stat, m_tempPath) != 0
            || !::GetFileInformationByHandle(m_temp.get(), &info))
            return std::nullopt;
        return stampOf(info);
    }

    // Closing can report a failed write on some file systems.
    Status closeTemp() override
    {
        if (!m_temp.close())
            return lastError();
        return Status::ok();
    }

    Status renameTemp(const std::string& to, Replace replace) override
    {
        if (int err = fault(FsCall::Rename, m_tempPath))
            return injected(err);
        const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace == Replace::Existing ? MOVEFILE_REPLACE_EXISTING : 0);
        if (!::MoveFileExW(wideHost(m_tempPath).c_str(), wideHost(to).c_str(), flags))
            return lastError();
        return Status::ok();
    }

    // A copy may carry the source's read-only attribute.
    void removeTemp() override
    {
        m_temp.reset();
        if (!m_tempPath.empty())
            removeEvenReadOnly(m_tempPath);
    }

    // MOVEFILE_WRITE_THROUGH made the rename durable already.
    void syncDirectory(const std::string&) override {}

    // A test's EXDEV stands for another volume, as on Linux.
    Status renameEntry(const std::string& from, const std::string& to, Replace replace, bool) override
    {
        if (int err = fault(FsCall::Rename, from))
            return injected(err);
        const DWORD flags = replace == Replace::Existing ? MOVEFILE_REPLACE_EXISTING : 0;
        if (!::MoveFileExW(wideHost(from).c_str(), wideHost(to).c_str(), flags))
            return lastError();
        return Status::ok();
    }

    Status renameCase(const std::string& from, const std::string& to) override
    {
        if (int err = fault(FsCall::Rename, from))
            return injected(err);
        if (!renameCaseOnly(from, to))
            return lastError();
        return Status::ok();
    }

    // The copy carries the read-only attribute; the source must lose it to go.
    Status removeFile(const std::string& host) override { return removeEvenReadOnly(host); }

private:
    int fault(FsCall call, const std::string& host) const { return m_faults ? m_faults->before(call, host) : 0; }

    Status seamOnly(FsCall call) const
    {
        if (int err = fault(call, m_tempPath))
            return injected(err);
        return Status::ok();
    }

    // The read-only attribute is put back when the file stays.
    Status removeEvenReadOnly(const std::string& host) const
    {
        if (int err = fault(FsCall::Unlink, host))
            return injected(err);
        const std::wstring wide = wideHost(host);
        const DWORD attrs = ::GetFileAttributesW(wide.c_str());
        if (isReadOnly(attrs))
            ::SetFileAttributesW(wide.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY);
        if (!::DeleteFileW(wide.c_str())) {
            const Error error = lastError();
            if (isReadOnly(attrs))
                ::SetFileAttributesW(wide.c_str(), attrs);
            return error;
        }
        return Status::ok();
    }

    FaultInjector* m_faults;
    TempSweep& m_sweep;
    std::string m_sourcePath;
    std::int64_t m_sourceSize = 0;
    std::string m_copyDir;
    std::string m_tempPath;
    Handle m_temp;
    std::string m_lookedUp;
    DWORD m_lookedUpAttributes = 0;
    DWORD m_replacedAttributes = 0;
};

}

std::unique_ptr<FilePrimitives> systemPrimitives(FaultInjector* faults, TempSweep& sweep)
{
    return std::make_unique<Win32Primitives>(faults, sweep);
}

}

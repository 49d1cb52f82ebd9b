#include "platform/ArchiveIo.h"

#include "platform/PosixFiles.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvik::platform {

namespace {

Error errnoError(int err)
{
    return errorFromErrno(err);
}

EntryFacts factsOf(const struct stat& st)
{
    EntryFacts f;
    if (S_ISREG(st.st_mode))
        f.type = EntryType::File;
    else if (S_ISDIR(st.st_mode))
        f.type = EntryType::Directory;
    else if (S_ISLNK(st.st_mode))
        f.type = EntryType::Link;
    else
        f.type = EntryType::Other;
    f.size = static_cast<std::uint64_t>(st.st_size);
    f.mtime = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    f.readOnly = (st.st_mode & S_IWUSR) == 0;
    return f;
}

std::string join(const std::string& dir, std::string_view name)
{
    std::string s = dir;
    if (s.empty() || s.back() != '/')
        s.push_back('/');
    s.append(name);
    return s;
}

// One sweep per directory and process for the archiver's temporaries, as
// the file services keep theirs.
TempSweep& archiveSweep()
{
    static TempSweep sweep;
    return sweep;
}

bool writeAll(int fd, const char* p, std::size_t n, std::uint64_t offset, bool positioned, int& err)
{
    while (n > 0) {
        const ssize_t w = positioned ? ::pwrite(fd, p, n, static_cast<off_t>(offset)) : ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            return false;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
        offset += static_cast<std::uint64_t>(w);
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
    ::close(m_fd);
}

std::ptrdiff_t InputFile::readAt(std::uint64_t offset, void* data, std::size_t count)
{
    if (int err = fault(FsCall::Read, m_host)) {
        m_error = errnoError(err);
        return -1;
    }
    for (;;) {
        const ssize_t r = ::pread(m_fd, data, count, static_cast<off_t>(offset));
        if (r >= 0)
            return r;
        if (errno != EINTR) {
            m_error = errnoError(errno);
            return -1;
        }
    }
}

TempOutput::TempOutput(int dirFd, std::string dirHost, std::string tempName, int fd, FaultInjector* faults)
    : m_dirFd(dirFd), m_dirHost(std::move(dirHost)), m_tempName(std::move(tempName)), m_fd(fd), m_faults(faults)
{
}

TempOutput::~TempOutput()
{
    discard();
    ::close(m_dirFd);
}

Status TempOutput::write(const void* data, std::size_t count)
{
    if (m_done)
        return Error{ErrorKind::Other, EBADF};
    int err = fault(FsCall::Write, join(m_dirHost, m_tempName));
    if (err == 0 && writeAll(m_fd, static_cast<const char*>(data), count, 0, false, err)) {
        m_size += count;
        return {};
    }
    return errnoError(err);
}

Status TempOutput::writeAt(std::uint64_t offset, const void* data, std::size_t count)
{
    if (m_done)
        return Error{ErrorKind::Other, EBADF};
    int err = fault(FsCall::Write, join(m_dirHost, m_tempName));
    if (err == 0 && writeAll(m_fd, static_cast<const char*>(data), count, offset, true, err)) {
        if (offset + count > m_size)
            m_size = offset + count;
        return {};
    }
    return errnoError(err);
}

Status TempOutput::truncate(std::uint64_t size)
{
    int err = fault(FsCall::Write, join(m_dirHost, m_tempName));
    if (err == 0 && ::ftruncate(m_fd, static_cast<off_t>(size)) != 0)
        err = errno;
    if (err == 0 && ::lseek(m_fd, static_cast<off_t>(size), SEEK_SET) < 0)
        err = errno;
    if (err != 0)
        return errnoError(err);
    m_size = size;
    return {};
}

Result<EntryFacts> TempOutput::targetEntry(std::string_view name)
{
    const std::string nameStr(name);
    if (int err = fault(FsCall::Stat, join(m_dirHost, name)))
        return errnoError(err);
    struct stat st {};
    if (::fstatat(m_dirFd, nameStr.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT)
            return EntryFacts{};
        return errnoError(errno);
    }
    m_replaced = st.st_mode & 07777;
    return factsOf(st);
}

Status TempOutput::keepReplacedAttributes()
{
    int err = fault(FsCall::SetAttributes, join(m_dirHost, m_tempName));
    if (err == 0 && ::fchmod(m_fd, static_cast<mode_t>(m_replaced)) != 0)
        err = errno;
    return err ? Status(errnoError(err)) : Status();
}

Status TempOutput::setTimes(std::int64_t mtime)
{
    const struct timespec times[2] = {{mtime, 0}, {mtime, 0}};
    int err = fault(FsCall::SetTimes, join(m_dirHost, m_tempName));
    if (err == 0 && ::futimens(m_fd, times) != 0)
        err = errno;
    return err ? Status(errnoError(err)) : Status();
}

Status TempOutput::flush()
{
    int err = fault(FsCall::Sync, join(m_dirHost, m_tempName));
    if (err == 0 && ::fsync(m_fd) != 0)
        err = errno;
    return err ? Status(errnoError(err)) : Status();
}

Status TempOutput::renameOver(std::string_view name, SyncMode sync)
{
    const std::string nameStr(name);
    int err = fault(FsCall::Rename, join(m_dirHost, name));
    if (err == 0 && ::renameat(m_dirFd, m_tempName.c_str(), m_dirFd, nameStr.c_str()) != 0)
        err = errno;
    if (err != 0)
        return errnoError(err);
    ::close(m_fd);
    m_fd = -1;
    if (sync == SyncMode::Always)
        ::fsync(m_dirFd);   // the rename itself; a failure here cannot be undone
    return {};
}

void TempOutput::discard()
{
    if (m_done)
        return;
    m_done = true;
    ::close(m_fd);
    m_fd = -1;
    // Not through the fault seam: clean-up must run even when a test makes
    // every other call fail.
    ::unlinkat(m_dirFd, m_tempName.c_str(), 0);
}

DirHandle::DirHandle(int fd, std::string host, FaultInjector* faults)
    : m_fd(fd), m_host(std::move(host)), m_faults(faults)
{
}

DirHandle::~DirHandle()
{
    ::close(m_fd);
}

Result<EntryFacts> DirHandle::entry(std::string_view name) const
{
    const std::string nameStr(name);
    if (int err = fault(FsCall::Stat, join(m_host, name)))
        return errnoError(err);
    struct stat st {};
    if (::fstatat(m_fd, nameStr.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT)
            return EntryFacts{};
        return errnoError(errno);
    }
    return factsOf(st);
}

Result<std::unique_ptr<DirHandle>> DirHandle::openChild(std::string_view name, bool& missing) const
{
    const std::string nameStr(name);
    const std::string host = join(m_host, name);
    missing = false;
    if (int err = fault(FsCall::Open, host))
        return errnoError(err);
    const int fd = ::openat(m_fd, nameStr.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0)
        return std::make_unique<DirHandle>(fd, host, m_faults);
    missing = errno == ENOENT;
    return errnoError(errno);
}

Status DirHandle::makeChild(std::string_view name) const
{
    const std::string nameStr(name);
    int err = fault(FsCall::MakeDir, join(m_host, name));
    if (err == 0 && ::mkdirat(m_fd, nameStr.c_str(), 0777) != 0 && errno != EEXIST)
        err = errno;
    return err ? Status(errnoError(err)) : Status();
}

Result<std::unique_ptr<TempOutput>> DirHandle::createTemp() const
{
    if (archiveSweep().firstVisit(m_host))
        sweepStaleTempsAt(m_fd);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string name = temporaryName(static_cast<std::uint64_t>(::getpid()));
        if (int err = fault(FsCall::Open, join(m_host, name)))
            return errnoError(err);
        const int fd = ::openat(m_fd, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return errnoError(errno);
        }
        const int dirFd = ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
        if (dirFd < 0) {
            const int err = errno;
            ::close(fd);
            ::unlinkat(m_fd, name.c_str(), 0);
            return errnoError(err);
        }
        return std::make_unique<TempOutput>(dirFd, m_host, name, fd, m_faults);
    }
    return errnoError(EEXIST);
}

Result<std::unique_ptr<InputFile>> ArchiveIo::openInput(const std::string& host) const
{
    if (int err = fault(FsCall::Open, host))
        return errnoError(err);
    // Non-blocking so a FIFO named by mistake cannot hang the open.
    const int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errnoError(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool dir = S_ISDIR(st.st_mode);
        ::close(fd);
        return Error{dir ? ErrorKind::IsDirectory : ErrorKind::NotRegular, dir ? EISDIR : EINVAL};
    }
    return std::make_unique<InputFile>(
        fd, host, m_faults, static_cast<std::uint64_t>(st.st_size), static_cast<std::int64_t>(st.st_mtim.tv_sec));
}

Result<EntryFacts> ArchiveIo::facts(const std::string& host) const
{
    if (int err = fault(FsCall::Stat, host))
        return errnoError(err);
    struct stat st {};
    if (::stat(host.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return EntryFacts{};
        return errnoError(errno);
    }
    return factsOf(st);
}

std::size_t ArchiveIo::firstLevelEnd(const std::string&)
{
    return 1;
}

bool ArchiveIo::separates(char c)
{
    return c == '/';
}

Status ArchiveIo::makeLevel(const std::string& part) const
{
    struct stat st {};
    if (::stat(part.c_str(), &st) == 0)
        return {};
    int err = fault(FsCall::MakeDir, part);
    if (err == 0 && ::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
        err = errno;
    return err ? Status(errnoError(err)) : Status();
}

Result<std::unique_ptr<DirHandle>> ArchiveIo::openExisting(const std::string& host) const
{
    if (int err = fault(FsCall::Open, host))
        return errnoError(err);
    const int fd = ::open(host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errnoError(errno);
    return std::make_unique<DirHandle>(fd, host, m_faults);
}

}

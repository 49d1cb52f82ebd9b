#pragma once

// Shared by the POSIX file-system sources only.

#include "platform/FileSystem.h"
#include "platform/TempNames.h"

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <unordered_set>

namespace sorvik::platform {

inline constexpr const char* kDosAttribName = "user.DOSATTRIB";

// The system calls, each asking the fault seam first. A call a test wants to
// fail sets errno and returns -1 as the system would have, so every caller
// handles injected and real failures alike.
class SystemCalls {
public:
    explicit SystemCalls(FaultInjector* faults) : m_faults(faults) {}

    int open(const std::string& path, int flags, mode_t mode = 0) const
    {
        return refused(FsCall::Open, path) ? -1 : ::open(path.c_str(), flags, mode);
    }
    int stat(const std::string& path, struct stat& st) const
    {
        return refused(FsCall::Stat, path) ? -1 : ::stat(path.c_str(), &st);
    }
    int lstat(const std::string& path, struct stat& st) const
    {
        return refused(FsCall::Stat, path) ? -1 : ::lstat(path.c_str(), &st);
    }
    int fstat(int fd, const std::string& path, struct stat& st) const
    {
        return refused(FsCall::Stat, path) ? -1 : ::fstat(fd, &st);
    }
    ssize_t read(int fd, const std::string& path, void* buf, std::size_t n) const
    {
        return refused(FsCall::Read, path) ? -1 : ::read(fd, buf, n);
    }
    ssize_t write(int fd, const std::string& path, const void* buf, std::size_t n) const
    {
        return refused(FsCall::Write, path) ? -1 : ::write(fd, buf, n);
    }
    ssize_t copyFileRange(int in, int out, const std::string& outPath, std::size_t n) const
    {
        return refused(FsCall::Write, outPath) ? -1 : ::copy_file_range(in, nullptr, out, nullptr, n, 0);
    }
    ssize_t sendfile(int in, int out, const std::string& outPath, std::size_t n) const
    {
        return refused(FsCall::Write, outPath) ? -1 : ::sendfile(out, in, nullptr, n);
    }
    int fsync(int fd, const std::string& path) const { return refused(FsCall::Sync, path) ? -1 : ::fsync(fd); }
    int rename(const std::string& from, const std::string& to) const
    {
        return refused(FsCall::Rename, from) ? -1 : ::rename(from.c_str(), to.c_str());
    }
    int renameNoReplace(const std::string& from, const std::string& to) const
    {
        return refused(FsCall::Rename, from)
            ? -1
            : ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
    }
    int link(const std::string& from, const std::string& to) const
    {
        return refused(FsCall::Rename, from) ? -1 : ::link(from.c_str(), to.c_str());
    }
    int unlink(const std::string& path) const { return refused(FsCall::Unlink, path) ? -1 : ::unlink(path.c_str()); }
    int rmdir(const std::string& path) const { return refused(FsCall::Unlink, path) ? -1 : ::rmdir(path.c_str()); }
    int mkdir(const std::string& path, mode_t mode) const
    {
        return refused(FsCall::MakeDir, path) ? -1 : ::mkdir(path.c_str(), mode);
    }
    int chmod(const std::string& path, mode_t mode) const
    {
        return refused(FsCall::SetAttributes, path) ? -1 : ::chmod(path.c_str(), mode);
    }
    int fchmod(int fd, const std::string& path, mode_t mode) const
    {
        return refused(FsCall::SetAttributes, path) ? -1 : ::fchmod(fd, mode);
    }
    int setxattr(const std::string& path, const char* name, const void* value, std::size_t size) const
    {
        return refused(FsCall::SetAttributes, path) ? -1 : ::setxattr(path.c_str(), name, value, size, 0);
    }
    int fsetxattr(int fd, const std::string& path, const char* name, const void* value, std::size_t size) const
    {
        return refused(FsCall::SetAttributes, path) ? -1 : ::fsetxattr(fd, name, value, size, 0);
    }
    // Whether the rights in effect let this process write the file.
    int mayWrite(const std::string& path) const
    {
        return refused(FsCall::Stat, path) ? -1 : ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS);
    }
    int futimens(int fd, const std::string& path, const struct timespec times[2]) const
    {
        return refused(FsCall::SetTimes, path) ? -1 : ::futimens(fd, times);
    }

private:
    bool refused(FsCall call, const std::string& path) const
    {
        if (!m_faults)
            return false;
        int err = m_faults->before(call, path);
        if (err == 0)
            return false;
        errno = err;
        return true;
    }

    FaultInjector* m_faults;
};

inline Error lastError()
{
    return errorFromErrno(errno);
}

inline bool isReadOnlyMode(mode_t mode)
{
    return (mode & S_IWUSR) == 0;
}

inline bool sameInode(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

inline FileStamp stampOf(const struct stat& st)
{
    return FileStamp{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
        static_cast<std::int64_t>(st.st_size), static_cast<std::int64_t>(st.st_mtim.tv_sec),
        static_cast<std::int64_t>(st.st_mtim.tv_nsec)};
}

// The error for a file of this type where a regular file is needed.
inline Error notARegularFile(const struct stat& st)
{
    return S_ISDIR(st.st_mode) ? Error{ErrorKind::IsDirectory, EISDIR} : Error{ErrorKind::NotRegular, EINVAL};
}

// Closes a descriptor once, on every path out of a function.
class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    Fd& operator=(Fd&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_fd = other.m_fd;
            other.m_fd = -1;
        }
        return *this;
    }
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // The close result matters for writes: some file systems report a failed
    // write only there.
    int close()
    {
        int rc = m_fd >= 0 ? ::close(m_fd) : 0;
        m_fd = -1;
        return rc;
    }
    void reset()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

std::string hostDirectoryOf(const std::string& host);

// A new temporary file ".~sorvik-<pid>-<random>.tmp" in `dir`, its path in
// `path`; invalid with errno set when none could be made.
Fd createTemp(const SystemCalls& sys, const std::string& dir, mode_t mode, std::string& path);
// Removes the temporary files that ended processes left in `dir`, the first
// time this file system writes there.
void sweepStaleTemps(TempSweep& sweep, const std::string& dir);
// The same in a directory open as `dirFd`, every time it is asked.
void sweepStaleTempsAt(int dirFd);

// rename() that fails with EEXIST rather than replace an existing name. Where
// the file system lacks RENAME_NOREPLACE a hard link stands in, for files.
int renameWithoutReplacing(const SystemCalls& sys, const std::string& from, const std::string& to, bool regularFile);

}

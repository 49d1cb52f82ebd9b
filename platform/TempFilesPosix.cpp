#include "platform/PosixFiles.h"

#include <climits>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <sys/statfs.h>

namespace sorvik::platform {

namespace {

// Pids on a shared file system may belong to processes on other machines.
bool isNetworkFileSystem(const struct statfs& fs)
{
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x6969ul:       // NFS
    case 0xFF534D42ul:   // CIFS
    case 0xFE534D42ul:   // SMB2
    case 0x517Bul:       // SMB
    case 0x65735546ul:   // FUSE (sshfs, rclone ...)
    case 0x01021997ul:   // 9P
        return true;
    default:
        return false;
    }
}

bool onNetworkFileSystem(const std::string& dir)
{
    struct statfs fs;
    return ::statfs(dir.c_str(), &fs) == 0 && isNetworkFileSystem(fs);
}

void sweepStaleTempsIn(int fd, DIR* d)
{
    const auto self = static_cast<std::uint64_t>(::getpid());
    const std::int64_t now = std::time(nullptr);
    while (struct dirent* e = ::readdir(d)) {
        if (e->d_name[0] != '.')
            continue;
        struct stat st;
        if (::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
            continue;
        // A pid beyond pid_t would ask about every process at once.
        const auto ended = [](std::uint64_t pid) {
            return pid <= INT_MAX && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
        };
        if (isStaleTemporary(e->d_name, self, now - st.st_mtim.tv_sec, ended))
            ::unlinkat(fd, e->d_name, 0);
    }
}

}

// Housekeeping: its failures change nothing for the caller, so it stays
// outside the fault seam.
void sweepStaleTemps(TempSweep& sweep, const std::string& dir)
{
    if (!sweep.firstVisit(dir) || onNetworkFileSystem(dir))
        return;
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return;
    sweepStaleTempsIn(::dirfd(d), d);
    ::closedir(d);
}

void sweepStaleTempsAt(int dirFd)
{
    // A directory stream of its own, so the caller's descriptor stays where it was.
    const int fd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    DIR* d = ::fdopendir(fd);
    if (!d) {
        ::close(fd);
        return;
    }
    struct statfs fs;
    if (::fstatfs(fd, &fs) != 0 || !isNetworkFileSystem(fs))
        sweepStaleTempsIn(fd, d);
    ::closedir(d);
}

Fd createTemp(const SystemCalls& sys, const std::string& dir, mode_t mode, std::string& path)
{
    for (int attempt = 0; attempt < 64; ++attempt) {
        path = dir;
        if (path.back() != '/')
            path += '/';
        path += temporaryName(static_cast<std::uint64_t>(::getpid()));
        int fd = sys.open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return Fd(fd);
    }
    return Fd();
}

}

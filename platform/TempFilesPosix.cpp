#include "platform/PosixFiles.h"

#include <atomic>
#include <cctype>
#include <climits>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <random>
#include <sys/statfs.h>

namespace sorvik::platform {

namespace {

constexpr std::string_view kTempPrefix = ".~sorvik-";
constexpr std::string_view kTempSuffix = ".tmp";

// ".~sorvik-<pid>-<random>.tmp": the dot keeps it out of listings, the pid
// tells a later process whether its writer still runs.
std::string tempName()
{
    static std::atomic<std::uint64_t> state{(std::uint64_t(std::random_device{}()) << 32) ^ std::random_device{}()};
    // splitmix64 over a shared counter: distinct names across threads.
    std::uint64_t z = state.fetch_add(0x9E3779B97F4A7C15ull) + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    char name[64];
    std::snprintf(name, sizeof name, "%.*s%ld-%012llx%.*s", int(kTempPrefix.size()), kTempPrefix.data(),
        long(::getpid()), static_cast<unsigned long long>(z & 0xFFFFFFFFFFFFull), int(kTempSuffix.size()),
        kTempSuffix.data());
    return name;
}

// The pid in one of our temporary names; 0 for any other name.
pid_t tempOwner(std::string_view name)
{
    if (name.size() <= kTempPrefix.size() + kTempSuffix.size() || name.substr(0, kTempPrefix.size()) != kTempPrefix
        || name.substr(name.size() - kTempSuffix.size()) != kTempSuffix)
        return 0;
    name = name.substr(kTempPrefix.size(), name.size() - kTempPrefix.size() - kTempSuffix.size());
    long pid = 0;
    std::size_t i = 0;
    for (; i < name.size() && name[i] >= '0' && name[i] <= '9' && i < 10; ++i)
        pid = pid * 10 + (name[i] - '0');
    if (i == 0 || i + 1 >= name.size() || name[i] != '-' || pid <= 0 || pid > INT_MAX)
        return 0;
    for (++i; i < name.size(); ++i)
        if (!std::isxdigit(static_cast<unsigned char>(name[i])))
            return 0;
    return static_cast<pid_t>(pid);
}

// Pids on a shared file system may belong to processes on other machines.
bool onNetworkFileSystem(const std::string& dir)
{
    struct statfs fs;
    if (::statfs(dir.c_str(), &fs) != 0)
        return false;
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
    const pid_t self = ::getpid();
    while (struct dirent* e = ::readdir(d)) {
        const pid_t owner = tempOwner(e->d_name);
        if (owner == 0 || owner == self || ::kill(owner, 0) == 0 || errno != ESRCH)
            continue;
        ::unlinkat(::dirfd(d), e->d_name, 0);
    }
    ::closedir(d);
}

Fd createTemp(const SystemCalls& sys, const std::string& dir, mode_t mode, std::string& path)
{
    for (int attempt = 0; attempt < 64; ++attempt) {
        path = dir;
        if (path.back() != '/')
            path += '/';
        path += tempName();
        int fd = sys.open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return Fd(fd);
    }
    return Fd();
}

}

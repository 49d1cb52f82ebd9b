#include "platform/FileSystem.h"

#include "platform/Paths.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace sorvik::platform {

namespace {

constexpr const char* kDosAttribName = "user.DOSATTRIB";
constexpr std::uint32_t kDosAttribBits = kAttrHidden | kAttrSystem | kAttrArchive;

bool isReadOnlyMode(mode_t mode)
{
    return (mode & S_IWUSR) == 0;
}

// Samba and Wine keep the attributes as text "0x<hex>"; Samba may append a
// binary block after it, which carries nothing we need.
std::optional<std::uint32_t> readDosAttrib(const std::string& host)
{
    char buf[256];
    ssize_t n = ::getxattr(host.c_str(), kDosAttribName, buf, sizeof buf);
    if (n < 3 || buf[0] != '0' || (buf[1] != 'x' && buf[1] != 'X'))
        return std::nullopt;
    std::uint32_t value = 0;
    ssize_t i = 2;
    for (; i < n; ++i) {
        char c = buf[i];
        int digit = (c >= '0' && c <= '9') ? c - '0'
            : (c >= 'a' && c <= 'f')       ? c - 'a' + 10
            : (c >= 'A' && c <= 'F')       ? c - 'A' + 10
                                           : -1;
        if (digit < 0)
            break;
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    if (i == 2)
        return std::nullopt;
    return value;
}

// Errno of a failed write, 0 on success.
int writeDosAttrib(const std::string& host, std::uint32_t value)
{
    char text[16];
    int n = std::snprintf(text, sizeof text, "0x%x", value);
    if (::setxattr(host.c_str(), kDosAttribName, text, static_cast<std::size_t>(n), 0) != 0)
        return errno;
    return 0;
}

bool startsWithDot(u16view name)
{
    return !name.empty() && name[0] == u'.' && name != u"." && name != u"..";
}

// The last name of a Windows path; empty for a drive root.
u16 lastName(u16view path)
{
    while (!path.empty() && path.back() == u'\\')
        path.remove_suffix(1);
    if (path.size() == 2 && path[1] == u':')
        return {};
    return fileNameOf(path);
}

std::uint32_t attributesOf(const std::string& host, const struct stat& st, u16view winPath)
{
    std::uint32_t attrs = 0;
    bool directory = S_ISDIR(st.st_mode);
    if (directory)
        attrs |= kAttrDirectory;
    if (isReadOnlyMode(st.st_mode))
        attrs |= kAttrReadOnly;
    if (std::optional<std::uint32_t> dos = readDosAttrib(host))
        attrs |= *dos & kDosAttribBits;
    else if (!directory)
        attrs |= kAttrArchive;   // what Windows gives a file nobody has touched the attributes of
    if (startsWithDot(lastName(winPath)))
        attrs |= kAttrHidden;
    return attrs;
}

DateTime localDateTime(std::time_t t)
{
    std::tm tm{};
    localtime_r(&t, &tm);
    return DateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

mode_t currentUmask()
{
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

std::string hostDirectoryOf(const std::string& host)
{
    std::size_t slash = host.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return host.substr(0, slash);
}

}

FileSystem::FileSystem(DriveTable drives)
    : m_drives(std::move(drives))
{
}

std::optional<std::string> FileSystem::hostPath(u16view path) const
{
    // "\dir" is rooted on the drive of the working directory.
    if (!path.empty() && path[0] == u'\\' && (path.size() == 1 || path[1] != u'\\')) {
        std::optional<u16> cwd = currentDirectory();
        if (!cwd)
            return std::nullopt;
        return m_drives.toHost(cwd->substr(0, 2) + u16(path));
    }
    return m_drives.toHost(path);
}

std::optional<u16> FileSystem::currentDirectory() const
{
    char buf[PATH_MAX];
    if (!::getcwd(buf, sizeof buf))
        return std::nullopt;
    std::optional<u16> win = m_drives.toWin(buf);
    if (!win)
        return std::nullopt;
    return AddBackslash(*win);
}

bool FileSystem::setCurrentDirectory(u16view dir)
{
    std::optional<std::string> host = hostPath(dir);
    return host && ::chdir(host->c_str()) == 0;
}

bool FileSystem::createDirectory(u16view dir)
{
    std::optional<std::string> host = hostPath(dir);
    return host && ::mkdir(host->c_str(), 0777) == 0;
}

bool FileSystem::directoryExists(u16view dir) const
{
    std::optional<std::string> host = hostPath(dir);
    struct stat st;
    return host && ::stat(host->c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

namespace {

// Calls `visit(dirFd, name)` for every entry but "." and ".."; false when
// the directory cannot be opened.
template<class Visit>
bool forEachEntry(const std::string& host, Visit visit)
{
    DIR* d = ::opendir(host.c_str());
    if (!d)
        return false;
    while (struct dirent* e = ::readdir(d)) {
        std::string_view name = e->d_name;
        if (name != "." && name != "..")
            visit(::dirfd(d), *e);
    }
    ::closedir(d);
    return true;
}

FileInfo infoOf(const std::string& host, const struct stat& st, u16view winPath)
{
    FileInfo info;
    info.size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::int64_t>(st.st_size);
    info.lastWrite = localDateTime(st.st_mtime);
    info.attributes = attributesOf(host, st, winPath);
    return info;
}

}

std::optional<std::vector<DirEntry>> FileSystem::listDirectory(u16view dir) const
{
    std::optional<std::string> host = hostPath(dir);
    if (!host)
        return std::nullopt;
    std::vector<DirEntry> entries;
    const bool opened = forEachEntry(*host, [&](int dirFd, const struct dirent& e) {
        bool isDir = e.d_type == DT_DIR;
        if (e.d_type == DT_UNKNOWN || e.d_type == DT_LNK) {
            struct stat st;
            isDir = ::fstatat(dirFd, e.d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        entries.push_back(DirEntry{hostNameToWin(e.d_name), isDir});
    });
    if (!opened)
        return std::nullopt;
    return entries;
}

std::optional<std::vector<ListedEntry>> FileSystem::listDirectoryWithInfo(u16view dir) const
{
    std::optional<std::string> host = hostPath(dir);
    if (!host)
        return std::nullopt;
    std::string hostChild = *host;
    if (hostChild.empty() || hostChild.back() != '/')
        hostChild += '/';
    const std::size_t prefix = hostChild.size();
    std::vector<ListedEntry> entries;
    const bool opened = forEachEntry(*host, [&](int dirFd, const struct dirent& e) {
        ListedEntry entry;
        entry.name = hostNameToWin(e.d_name);
        struct stat st;
        if (::fstatat(dirFd, e.d_name, &st, 0) == 0) {
            hostChild.resize(prefix);
            hostChild += e.d_name;
            entry.isDirectory = S_ISDIR(st.st_mode);
            entry.info = infoOf(hostChild, st, entry.name);
        } else {
            entry.isDirectory = e.d_type == DT_DIR;
        }
        entries.push_back(std::move(entry));
    });
    if (!opened)
        return std::nullopt;
    return entries;
}

std::optional<FileInfo> FileSystem::fileInfo(u16view path) const
{
    std::optional<std::string> host = hostPath(path);
    struct stat st;
    if (!host || ::stat(host->c_str(), &st) != 0)
        return std::nullopt;
    return infoOf(*host, st, path);
}

std::optional<std::uint32_t> FileSystem::attributes(u16view path) const
{
    std::optional<std::string> host = hostPath(path);
    struct stat st;
    if (!host || ::stat(host->c_str(), &st) != 0)
        return std::nullopt;
    return attributesOf(*host, st, path);
}

bool FileSystem::setAttributes(u16view path, std::uint32_t attributes)
{
    std::optional<std::string> host = hostPath(path);
    struct stat st;
    if (!host || ::stat(host->c_str(), &st) != 0)
        return false;
    bool dotName = startsWithDot(lastName(path));
    // A leading dot hides whatever the attribute says; that cannot be undone here.
    if (dotName && !(attributes & kAttrHidden))
        return false;

    // What user.DOSATTRIB must say; the dot already tells hidden.
    std::uint32_t wanted = attributes & kDosAttribBits & ~(dotName ? kAttrHidden : 0u);
    std::optional<std::uint32_t> stored = readDosAttrib(*host);
    std::uint32_t implied = stored ? *stored & kDosAttribBits : (S_ISDIR(st.st_mode) ? 0u : kAttrArchive);
    bool needXattr = implied != wanted;

    const mode_t mode = st.st_mode & 07777;
    const bool wantReadOnly = (attributes & kAttrReadOnly) != 0;
    const mode_t finalMode = wantReadOnly ? mode & ~mode_t(0222) : (isReadOnlyMode(mode) ? mode | S_IWUSR : mode);
    // A file without owner write permission refuses new extended attributes
    // (to anyone but root), so it is writable while the attribute is written.
    mode_t inEffect = mode;
    if (needXattr && isReadOnlyMode(mode)) {
        inEffect = mode | S_IWUSR;
        if (::chmod(host->c_str(), inEffect) != 0)
            return false;
    }
    if (needXattr) {
        if (int err = writeDosAttrib(*host, wanted); err != 0) {
            // Without extended attributes hidden follows the dot alone and
            // system cannot be kept; archive means nothing else here.
            bool unsupported = err == ENOTSUP || err == EOPNOTSUPP;
            bool lost = (wanted & (kAttrHidden | kAttrSystem)) != 0;
            if (!unsupported || lost) {
                if (inEffect != mode)
                    ::chmod(host->c_str(), mode);
                return false;
            }
        }
    }
    if (finalMode != inEffect && ::chmod(host->c_str(), finalMode) != 0)
        return false;
    return true;
}

bool FileSystem::rename(u16view from, u16view to)
{
    std::optional<std::string> hostFrom = hostPath(from);
    std::optional<std::string> hostTo = hostPath(to);
    if (!hostFrom || !hostTo)
        return false;
    struct stat src, dst;
    if (::lstat(hostFrom->c_str(), &src) != 0)
        return false;
    if (*hostFrom == *hostTo)
        return true;
    if (::lstat(hostTo->c_str(), &dst) == 0) {
        // On a case-insensitive file system the new spelling finds the file itself.
        if (src.st_dev == dst.st_dev && src.st_ino == dst.st_ino)
            return ::rename(hostFrom->c_str(), hostTo->c_str()) == 0;
        return false;
    }
    if (::renameat2(AT_FDCWD, hostFrom->c_str(), AT_FDCWD, hostTo->c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return false;
    // No RENAME_NOREPLACE here: a hard link fails on an existing name, for files.
    if (S_ISREG(src.st_mode)) {
        if (::link(hostFrom->c_str(), hostTo->c_str()) == 0)
            return ::unlink(hostFrom->c_str()) == 0;
        if (errno == EEXIST)
            return false;
    }
    if (::lstat(hostTo->c_str(), &dst) == 0)
        return false;
    return ::rename(hostFrom->c_str(), hostTo->c_str()) == 0;
}

bool FileSystem::remove(u16view path)
{
    std::optional<std::string> host = hostPath(path);
    struct stat lst, st;
    if (!host || ::lstat(host->c_str(), &lst) != 0)
        return false;
    if (S_ISLNK(lst.st_mode))
        return ::unlink(host->c_str()) == 0;
    if (::stat(host->c_str(), &st) != 0 || isReadOnlyMode(st.st_mode))
        return false;
    if (S_ISDIR(st.st_mode))
        return ::rmdir(host->c_str()) == 0;
    return ::unlink(host->c_str()) == 0;
}

bool FileSystem::canOpenForRead(u16view path) const
{
    std::optional<std::string> host = hostPath(path);
    if (!host)
        return false;
    int fd = ::open(host->c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
    ::close(fd);
    return ok;
}

bool FileSystem::exists(u16view path) const
{
    std::optional<std::string> host = hostPath(path);
    struct stat st;
    return host && ::lstat(host->c_str(), &st) == 0;
}

std::optional<std::string> FileSystem::readFile(u16view path) const
{
    std::optional<std::string> host = hostPath(path);
    if (!host)
        return std::nullopt;
    int fd = ::open(host->c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    // Sized once from fstat and read in one go; a file that grows meanwhile
    // (or reports no size, like /proc) is read on until its end.
    struct stat st;
    std::size_t expected = 0;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        expected = static_cast<std::size_t>(st.st_size);
    std::string bytes(expected + 1, '\0');
    std::size_t size = 0;
    for (;;) {
        if (size == bytes.size())
            bytes.resize(bytes.size() < 65536 ? 65536 : bytes.size() * 2);
        ssize_t n = ::read(fd, bytes.data() + size, bytes.size() - size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        size += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(size);
    return bytes;
}

bool FileSystem::writeFileAtomic(u16view path, std::string_view bytes)
{
    std::optional<std::string> host = hostPath(path);
    if (!host)
        return false;
    std::string target = *host;
    struct stat old;
    bool replacing = ::stat(target.c_str(), &old) == 0;
    if (replacing) {
        if (!S_ISREG(old.st_mode) || isReadOnlyMode(old.st_mode))
            return false;
        // Replace what a link points at, not the link.
        if (char* real = ::realpath(target.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }

    std::string temp = target + ".tmpXXXXXX";
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, bytes);
    if (replacing) {
        ok = ok && ::fchmod(fd, old.st_mode & 07777) == 0;
        if (ok && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Keeping the owner is a courtesy; a foreign owner is not ours to give.
        }
    } else {
        ok = ok && ::fchmod(fd, 0666 & ~currentUmask()) == 0;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    int dirFd = ::open(hostDirectoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

std::optional<std::vector<u16>> readTextFile(const FileSystem& fs, u16view path)
{
    std::optional<std::string> bytes = fs.readFile(path);
    if (!bytes)
        return std::nullopt;
    return splitLines(decodeCp932(*bytes));
}

WriteResult writeTextFile(FileSystem& fs, u16view path, const std::vector<u16>& lines)
{
    std::optional<std::string> bytes = encodeCp932(joinLinesCrLf(lines));
    if (!bytes)
        return WriteResult::Unencodable;
    return fs.writeFileAtomic(path, *bytes) ? WriteResult::Ok : WriteResult::Failed;
}

}

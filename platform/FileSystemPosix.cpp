#include "platform/FileSystem.h"

#include "platform/DirectoryNames.h"
#include "platform/FileCopy.h"
#include "platform/Paths.h"
#include "platform/PosixFiles.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <limits>

namespace sorvik::platform {

namespace {

constexpr std::uint32_t kDosAttribBits = kAttrHidden | kAttrSystem | kAttrArchive;

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

FileInfo infoOf(const std::string& host, const struct stat& st, u16view winPath)
{
    FileInfo info;
    info.size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::int64_t>(st.st_size);
    info.lastWrite = localDateTime(st.st_mtime);
    info.attributes = attributesOf(host, st, winPath);
    return info;
}

// Calls `visit(dirFd, entry)` for every entry but "." and ".."; the errno
// that stopped the reading, 0 when the whole directory was read.
template<class Visit>
int forEachEntry(const std::string& host, Visit visit)
{
    DIR* d = ::opendir(host.c_str());
    if (!d)
        return errno;
    int err = 0;
    for (;;) {
        errno = 0;
        struct dirent* e = ::readdir(d);
        if (!e) {
            err = errno;
            break;
        }
        std::string_view name = e->d_name;
        if (name != "." && name != "..")
            visit(::dirfd(d), *e);
    }
    ::closedir(d);
    return err;
}

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

FileSystem::FileSystem(DriveTable drives) : m_drives(std::move(drives)), m_sweep(std::make_shared<TempSweep>())
{
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

Status FileSystem::setCurrentDirectory(u16view dir)
{
    std::optional<std::string> host = hostPath(dir);
    if (!host)
        return noHostPath();
    if (::chdir(host->c_str()) != 0)
        return lastError();
    return Status::ok();
}

Status FileSystem::createDirectory(u16view dir)
{
    std::optional<std::string> host = hostPath(dir);
    if (!host)
        return noHostPath();
    if (SystemCalls(m_faults).mkdir(*host, 0777) != 0)
        return lastError();
    return Status::ok();
}

bool FileSystem::directoryExists(u16view dir) const
{
    std::optional<std::string> host = hostPath(dir);
    struct stat st;
    return host && SystemCalls(m_faults).stat(*host, st) == 0 && S_ISDIR(st.st_mode);
}

Result<std::vector<DirEntry>> FileSystem::listDirectory(u16view dir) const
{
    std::optional<std::string> host = hostPath(dir);
    if (!host)
        return noHostPath();
    if (int err = fault(FsCall::Open, *host))
        return errorFromErrno(err);
    std::vector<DirEntry> entries;
    const int err = forEachEntry(*host, [&](int dirFd, const struct dirent& e) {
        bool isDir = e.d_type == DT_DIR;
        if (e.d_type == DT_UNKNOWN || e.d_type == DT_LNK) {
            struct stat st;
            isDir = ::fstatat(dirFd, e.d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        entries.push_back(DirEntry{hostNameToWin(e.d_name), isDir});
    });
    if (err != 0)
        return errorFromErrno(err);
    return entries;
}

Result<std::vector<ListedEntry>> FileSystem::listDirectoryWithInfo(u16view dir) const
{
    std::optional<std::string> host = hostPath(dir);
    if (!host)
        return noHostPath();
    if (int err = fault(FsCall::Open, *host))
        return errorFromErrno(err);
    std::string hostChild = *host;
    if (hostChild.empty() || hostChild.back() != '/')
        hostChild += '/';
    const std::size_t prefix = hostChild.size();
    std::vector<ListedEntry> entries;
    const int err = forEachEntry(*host, [&](int dirFd, const struct dirent& e) {
        ListedEntry entry;
        entry.name = hostNameToWin(e.d_name);
        hostChild.resize(prefix);
        hostChild += e.d_name;
        struct stat st;
        if (fault(FsCall::Stat, hostChild) == 0 && ::fstatat(dirFd, e.d_name, &st, 0) == 0) {
            entry.isDirectory = S_ISDIR(st.st_mode);
            entry.info = infoOf(hostChild, st, entry.name);
        } else {
            entry.isDirectory = e.d_type == DT_DIR;
        }
        entries.push_back(std::move(entry));
    });
    if (err != 0)
        return errorFromErrno(err);
    return entries;
}

Result<FileInfo> FileSystem::fileInfo(u16view path) const
{
    std::optional<std::string> host = hostPath(path);
    if (!host)
        return noHostPath();
    struct stat st;
    if (SystemCalls(m_faults).stat(*host, st) != 0)
        return lastError();
    return infoOf(*host, st, path);
}

Result<std::uint32_t> FileSystem::attributes(u16view path) const
{
    std::optional<std::string> host = hostPath(path);
    if (!host)
        return noHostPath();
    struct stat st;
    if (SystemCalls(m_faults).stat(*host, st) != 0)
        return lastError();
    return attributesOf(*host, st, path);
}

Status FileSystem::setAttributes(u16view path, std::uint32_t attributes)
{
    const SystemCalls sys(m_faults);
    std::optional<std::string> host = hostPath(path);
    if (!host)
        return noHostPath();
    struct stat st;
    if (sys.stat(*host, st) != 0)
        return lastError();
    bool dotName = startsWithDot(lastName(path));
    // A leading dot hides whatever the attribute says; that cannot be undone here.
    if (dotName && !(attributes & kAttrHidden))
        return Error{ErrorKind::AccessDenied, EPERM};

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
        if (sys.chmod(*host, inEffect) != 0)
            return lastError();
    }
    // The attribute as it was, to put back should the mode below be refused.
    std::optional<std::string> oldXattr;
    bool wroteXattr = false;
    if (needXattr) {
        ssize_t size = ::getxattr(host->c_str(), kDosAttribName, nullptr, 0);
        std::string value(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
        if (size >= 0 && (size = ::getxattr(host->c_str(), kDosAttribName, value.data(), value.size())) >= 0) {
            value.resize(static_cast<std::size_t>(size));
            oldXattr = std::move(value);
        }
        char text[16];
        int n = std::snprintf(text, sizeof text, "0x%x", wanted);
        wroteXattr = sys.setxattr(*host, kDosAttribName, text, static_cast<std::size_t>(n)) == 0;
        if (!wroteXattr) {
            const int err = errno;
            // Without extended attributes hidden follows the dot alone and
            // system cannot be kept; archive means nothing else here.
            bool unsupported = err == ENOTSUP || err == EOPNOTSUPP;
            bool lost = (wanted & (kAttrHidden | kAttrSystem)) != 0;
            if (!unsupported || lost) {
                if (inEffect != mode)
                    ::chmod(host->c_str(), mode);
                return errorFromErrno(err);
            }
        }
    }
    if (finalMode != inEffect && sys.chmod(*host, finalMode) != 0) {
        const int err = errno;
        // A refused mode must not leave half the change behind: hidden set
        // but not read-only, while the user is told nothing changed.
        if (wroteXattr) {
            if (oldXattr)
                ::setxattr(host->c_str(), kDosAttribName, oldXattr->data(), oldXattr->size(), 0);
            else
                ::removexattr(host->c_str(), kDosAttribName);
        }
        if (inEffect != mode)
            ::chmod(host->c_str(), mode);
        return errorFromErrno(err);
    }
    return Status::ok();
}

Status FileSystem::rename(u16view from, u16view to)
{
    const SystemCalls sys(m_faults);
    std::optional<std::string> hostFrom = hostPath(from);
    std::optional<std::string> hostTo = hostPath(to);
    if (!hostFrom || !hostTo)
        return noHostPath();
    struct stat src, dst;
    if (sys.lstat(*hostFrom, src) != 0)
        return lastError();
    if (*hostFrom == *hostTo)
        return Status::ok();
    if (sys.lstat(*hostTo, dst) == 0) {
        // On a case-insensitive file system the new spelling finds the file itself.
        if (!sameInode(src, dst))
            return Error{ErrorKind::Exists, EEXIST};
        if (sys.rename(*hostFrom, *hostTo) != 0)
            return lastError();
        return Status::ok();
    }
    if (errno != ENOENT)
        return lastError();
    // Windows takes names that differ only in letter case for one, and so do
    // the description keys: another file under such a name is in the way.
    const u16 toDir = directoryOf(to);
    if (Result<DirectoryNames> names = DirectoryNames::read(*this, toDir)) {
        for (const u16& name : names->matches(fileNameOf(to))) {
            std::optional<std::string> hostOther = hostPath(toDir + name);
            struct stat other;
            if (hostOther && sys.lstat(*hostOther, other) == 0 && !sameInode(src, other))
                return Error{ErrorKind::Exists, EEXIST};
        }
    }
    if (renameWithoutReplacing(sys, *hostFrom, *hostTo, S_ISREG(src.st_mode)) != 0)
        return lastError();
    return Status::ok();
}

Status FileSystem::remove(u16view path)
{
    const SystemCalls sys(m_faults);
    std::optional<std::string> host = hostPath(path);
    if (!host)
        return noHostPath();
    struct stat st;
    if (sys.lstat(*host, st) != 0)
        return lastError();
    // A link is removed itself, whatever it points at.
    if (!S_ISLNK(st.st_mode) && isReadOnlyMode(st.st_mode))
        return Error{ErrorKind::ReadOnly, EACCES};
    const int rc = S_ISDIR(st.st_mode) ? sys.rmdir(*host) : sys.unlink(*host);
    if (rc != 0)
        return lastError();
    return Status::ok();
}

bool FileSystem::canOpenForRead(u16view path) const
{
    const SystemCalls sys(m_faults);
    std::optional<std::string> host = hostPath(path);
    if (!host)
        return false;
    // Without O_NONBLOCK opening a pipe waits for a writer.
    Fd fd(sys.open(*host, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    return fd.valid() && sys.fstat(fd.get(), *host, st) == 0 && S_ISREG(st.st_mode);
}

bool FileSystem::exists(u16view path) const
{
    std::optional<std::string> host = hostPath(path);
    struct stat st;
    return host && SystemCalls(m_faults).lstat(*host, st) == 0;
}

bool FileSystem::sameFile(u16view a, u16view b) const
{
    const SystemCalls sys(m_faults);
    std::optional<std::string> hostA = hostPath(a);
    std::optional<std::string> hostB = hostPath(b);
    struct stat stA, stB;
    return hostA && hostB && sys.stat(*hostA, stA) == 0 && sys.stat(*hostB, stB) == 0 && sameInode(stA, stB);
}

Result<FileStamp> FileSystem::stamp(u16view path) const
{
    std::optional<std::string> host = hostPath(path);
    if (!host)
        return noHostPath();
    struct stat st;
    if (SystemCalls(m_faults).stat(*host, st) != 0)
        return lastError();
    return stampOf(st);
}

Result<std::string> FileSystem::readFileStamped(u16view path, std::size_t maxBytes, FileStamp* stamp) const
{
    const SystemCalls sys(m_faults);
    std::optional<std::string> host = hostPath(path);
    if (!host)
        return noHostPath();
    // Not blocking on a pipe's open; the type is checked before any read, so
    // a device or pipe is refused at once.
    Fd fd(sys.open(*host, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid())
        return lastError();
    struct stat st;
    if (sys.fstat(fd.get(), *host, st) != 0)
        return lastError();
    if (!S_ISREG(st.st_mode))
        return notARegularFile(st);
    if (stamp)
        *stamp = stampOf(st);
    return readWhole(static_cast<std::uint64_t>(st.st_size), maxBytes, [&](char* data, std::size_t count) {
        for (;;) {
            const ssize_t n = sys.read(fd.get(), *host, data, count);
            if (n >= 0)
                return Result<std::size_t>(static_cast<std::size_t>(n));
            if (errno != EINTR)
                return Result<std::size_t>(lastError());
        }
    });
}

}

#include "platform/FileSystem.h"

#include "platform/PosixFiles.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace sorvik::platform {

namespace {

constexpr std::size_t kCopyChunk = std::size_t(8) << 20;
constexpr std::size_t kPlainBuffer = std::size_t(1) << 20;

Status writeAll(const SystemCalls& sys, int fd, const std::string& path, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t n = sys.write(fd, path, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return lastError();
        }
        if (n == 0)
            return Error{ErrorKind::Other, EIO};   // no progress: do not spin
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return Status::ok();
}

// The raw value of user.DOSATTRIB, read by `get(buffer, size)`; empty when
// there is none.
template<class Get>
std::string dosAttribBy(Get get)
{
    char buf[256];
    ssize_t n = get(buf, sizeof buf);
    if (n >= 0)
        return std::string(buf, static_cast<std::size_t>(n));
    if (errno != ERANGE)
        return {};
    // Samba's form with its binary block can be longer.
    ssize_t size = get(nullptr, 0);
    std::string value(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    n = size > 0 ? get(value.data(), value.size()) : -1;
    value.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return value;
}

std::string dosAttribOf(int fd)
{
    return dosAttribBy([fd](void* buf, std::size_t size) { return ::fgetxattr(fd, kDosAttribName, buf, size); });
}

std::string dosAttribOf(const std::string& path)
{
    return dosAttribBy(
        [&](void* buf, std::size_t size) { return ::getxattr(path.c_str(), kDosAttribName, buf, size); });
}

// A destination without extended attributes (a FAT stick) cannot keep them;
// that is no reason to fail the copy.
Status keepDosAttrib(const SystemCalls& sys, int fd, const std::string& path, const std::string& value)
{
    if (value.empty() || sys.fsetxattr(fd, path, kDosAttribName, value.data(), value.size()) == 0)
        return Status::ok();
    if (errno == ENOTSUP || errno == EOPNOTSUPP)
        return Status::ok();
    return lastError();
}

// Bytes through user space, for sources the kernel cannot copy by itself.
ssize_t plainCopy(const SystemCalls& sys, int in, const std::string& inPath, int out, const std::string& outPath,
    std::vector<char>& buffer, std::size_t want)
{
    if (buffer.empty())
        buffer.resize(kPlainBuffer);
    ssize_t n = sys.read(in, inPath, buffer.data(), std::min(want, buffer.size()));
    if (n <= 0)
        return n;
    Status written = writeAll(sys, out, outPath, std::string_view(buffer.data(), static_cast<std::size_t>(n)));
    if (written.failed()) {
        errno = written.error().code;
        return -1;
    }
    return n;
}

bool kernelCopyUnsupported(int err)
{
    return err == EXDEV || err == ENOSYS || err == EINVAL || err == EOPNOTSUPP;
}

// Copies `expected` bytes (or, for a file that tells no size, everything up
// to its end). A source that shrank meanwhile ends the copy at its new end.
Status copyData(const SystemCalls& sys, int in, const std::string& inPath, int out, const std::string& outPath,
    std::int64_t expected, CopyObserver* observer)
{
    enum class Method { Range, SendFile, Plain } method = Method::Range;
    std::vector<char> buffer;
    std::int64_t done = 0;
    while (expected == 0 || done < expected) {
        const std::size_t want = expected > done ? std::min<std::size_t>(kCopyChunk, expected - done) : kCopyChunk;
        ssize_t n;
        if (method == Method::Range) {
            n = sys.copyFileRange(in, out, outPath, want);
            if (n < 0 && kernelCopyUnsupported(errno)) {
                method = Method::SendFile;
                continue;
            }
        } else if (method == Method::SendFile) {
            n = sys.sendfile(in, out, outPath, want);
            if (n < 0 && kernelCopyUnsupported(errno)) {
                method = Method::Plain;
                continue;
            }
        } else {
            n = plainCopy(sys, in, inPath, out, outPath, buffer, want);
        }
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return lastError();
        }
        if (n == 0)
            break;
        done += n;
        if (observer && !observer->copied(n))
            return Error{ErrorKind::Cancelled, ECANCELED};
    }
    return Status::ok();
}

enum class Sync { IfReplacing, Always };

// Copies the open regular file `in` to `dst` through a temporary file beside
// it, renamed over `dst` only when complete. The caller has checked `dst`.
Status copyThroughTemp(const SystemCalls& sys, TempSweep& sweep, int in, const struct stat& src,
    const std::string& srcHost, const std::string& dst, bool replacing, Replace replace, Sync sync,
    CopyObserver* observer)
{
    const std::string dir = hostDirectoryOf(dst);
    std::string temp;
    Fd out = createTemp(sys, dir, 0600, temp);
    if (!out.valid())
        return lastError();
    sweepStaleTemps(sweep, dir);

    auto fail = [&](Error error) {
        out.reset();
        sys.unlink(temp);
        return error;
    };
    if (Status s = copyData(sys, in, srcHost, out.get(), temp, src.st_size, observer); s.failed())
        return fail(s.error());
    // The attribute before the mode: without owner write permission the
    // attribute could no longer be set.
    if (Status s = keepDosAttrib(sys, out.get(), temp, dosAttribOf(in)); s.failed())
        return fail(s.error());
    // Set-id bits stay behind: the copy belongs to whoever made it.
    if (sys.fchmod(out.get(), temp, src.st_mode & 0777) != 0)
        return fail(lastError());
    const struct timespec times[2] = {src.st_atim, src.st_mtim};
    if (sys.futimens(out.get(), temp, times) != 0)
        return fail(lastError());
    // The old destination must survive a crash, so its replacement is on disk
    // before the rename; a new file has nothing to lose and skips the wait.
    if ((sync == Sync::Always || replacing) && sys.fsync(out.get(), temp) != 0)
        return fail(lastError());
    if (out.close() != 0)
        return fail(lastError());
    const int renamed
        = replace == Replace::Existing ? sys.rename(temp, dst) : renameWithoutReplacing(sys, temp, dst, true);
    if (renamed != 0)
        return fail(lastError());
    return Status::ok();
}

// Checks an existing destination of a copy or move; `exists` tells whether
// there is one to replace. A file that is the source itself is `same`.
Status checkDestination(
    const SystemCalls& sys, const std::string& dst, const struct stat& src, Replace replace, bool& exists, bool& same)
{
    struct stat st;
    exists = same = false;
    if (sys.stat(dst, st) != 0)
        return errno == ENOENT ? Status::ok() : Status(lastError());
    if (sameInode(src, st)) {
        same = true;
        return Status::ok();
    }
    if (S_ISDIR(st.st_mode))
        return Error{ErrorKind::IsDirectory, EISDIR};
    if (replace == Replace::Never)
        return Error{ErrorKind::Exists, EEXIST};
    if (!S_ISREG(st.st_mode))
        return notARegularFile(st);
    if (isReadOnlyMode(st.st_mode))
        return Error{ErrorKind::ReadOnly, EACCES};
    // Permissions the read-only attribute does not show (another owner's file).
    if (::faccessat(AT_FDCWD, dst.c_str(), W_OK, AT_EACCESS) != 0)
        return lastError();
    exists = true;
    return Status::ok();
}

// Opens the source of a copy; only a regular file will do.
Status openSource(const SystemCalls& sys, const std::string& host, int flags, Fd& fd, struct stat& st)
{
    // Not blocking on a pipe's open; its type is refused just after.
    fd = Fd(sys.open(host, O_RDONLY | O_NONBLOCK | O_CLOEXEC | flags));
    if (!fd.valid())
        return lastError();
    if (sys.fstat(fd.get(), host, st) != 0)
        return lastError();
    if (!S_ISREG(st.st_mode))
        return notARegularFile(st);
    return Status::ok();
}

// Makes a completed rename durable before anything depends on it.
void syncDirectory(const SystemCalls& sys, const std::string& dir)
{
    Fd fd(sys.open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid())
        sys.fsync(fd.get(), dir);
}

}

int renameWithoutReplacing(const SystemCalls& sys, const std::string& from, const std::string& to, bool regularFile)
{
    if (sys.renameNoReplace(from, to) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return -1;
    if (regularFile) {
        if (sys.link(from, to) == 0) {
            if (sys.unlink(from) == 0)
                return 0;
            const int err = errno;
            ::unlink(to.c_str());   // one name, as before
            errno = err;
            return -1;
        }
        if (errno == EEXIST)
            return -1;
    }
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0) {
        errno = EEXIST;
        return -1;
    }
    return sys.rename(from, to);
}

Status FileSystem::writeFileAtomic(u16view path, std::string_view bytes)
{
    std::optional<FileStamp> written;
    return writeFileAtomic(path, bytes, written);
}

Status FileSystem::writeFileAtomic(u16view path, std::string_view bytes, std::optional<FileStamp>& written)
{
    written.reset();
    const SystemCalls sys(m_faults);
    std::optional<std::string> host = hostPath(path);
    if (!host)
        return noHostPath();
    std::string target = *host;
    struct stat old;
    bool replacing = sys.lstat(target, old) == 0;
    if (!replacing && errno != ENOENT)
        return lastError();
    // A link may have been put there by someone else to make us overwrite
    // the file it points at; a data file is never written through one.
    if (replacing && S_ISLNK(old.st_mode))
        return Error{ErrorKind::Link, ELOOP};
    std::string dosAttrib;
    if (replacing) {
        if (!S_ISREG(old.st_mode))
            return notARegularFile(old);
        if (isReadOnlyMode(old.st_mode))
            return Error{ErrorKind::ReadOnly, EACCES};
        // The owner bit is our read-only attribute; the system may still
        // refuse (another user's file), and then the file is not ours to replace.
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            return lastError();
        dosAttrib = dosAttribOf(target);
    }

    const std::string dir = hostDirectoryOf(target);
    std::string temp;
    // A new file gets what the umask allows; a replacement the old mode.
    Fd fd = createTemp(sys, dir, replacing ? 0600 : 0666, temp);
    if (!fd.valid())
        return lastError();
    sweepStaleTemps(*m_sweep, dir);
    auto fail = [&](Error error) {
        fd.reset();
        sys.unlink(temp);
        return error;
    };
    if (Status s = writeAll(sys, fd.get(), temp, bytes); s.failed())
        return fail(s.error());
    if (replacing) {
        // A hidden description file stays hidden after it is saved.
        if (Status s = keepDosAttrib(sys, fd.get(), temp, dosAttrib); s.failed())
            return fail(s.error());
        if (sys.fchmod(fd.get(), temp, old.st_mode & 07777) != 0)
            return fail(lastError());
        if (::fchown(fd.get(), old.st_uid, old.st_gid) != 0) {
            // Keeping the owner is a courtesy; a foreign owner is not ours to give.
        }
    }
    if (sys.fsync(fd.get(), temp) != 0)
        return fail(lastError());
    // Nothing below changes what the stamp holds; the rename keeps the inode.
    struct stat done;
    const bool stamped = sys.fstat(fd.get(), temp, done) == 0;
    if (fd.close() != 0)
        return fail(lastError());
    if (sys.rename(temp, target) != 0)
        return fail(lastError());
    if (stamped)
        written = stampOf(done);
    syncDirectory(sys, dir);
    return Status::ok();
}

Status FileSystem::copyFile(u16view from, u16view to, Replace replace, CopyObserver* observer)
{
    const SystemCalls sys(m_faults);
    std::optional<std::string> hostFrom = hostPath(from);
    std::optional<std::string> hostTo = hostPath(to);
    if (!hostFrom || !hostTo)
        return noHostPath();
    Fd in;
    struct stat src;
    if (Status s = openSource(sys, *hostFrom, 0, in, src); s.failed())
        return s;
    bool replacing = false, same = false;
    if (Status s = checkDestination(sys, *hostTo, src, replace, replacing, same); s.failed())
        return s;
    if (same)
        return Status::ok();
    // A destination that is a link is replaced itself, never the file it
    // points at: a link planted in a shared directory must not make the copy
    // overwrite a file elsewhere.
    return copyThroughTemp(
        sys, *m_sweep, in.get(), src, *hostFrom, *hostTo, replacing, replace, Sync::IfReplacing, observer);
}

Status FileSystem::moveFile(u16view from, u16view to, Replace replace, CopyObserver* observer)
{
    const SystemCalls sys(m_faults);
    std::optional<std::string> hostFrom = hostPath(from);
    std::optional<std::string> hostTo = hostPath(to);
    if (!hostFrom || !hostTo)
        return noHostPath();
    struct stat src;
    if (sys.lstat(*hostFrom, src) != 0)
        return lastError();
    // Sameness is judged on what the names lead to, so a link is never
    // moved over the file it points at.
    struct stat target = src;
    if (S_ISLNK(src.st_mode) && ::stat(hostFrom->c_str(), &target) != 0)
        target = src;
    bool replacing = false, same = false;
    if (Status s = checkDestination(sys, *hostTo, target, replace, replacing, same); s.failed())
        return s;
    if (same) {
        // Two spellings of one entry (a case-insensitive file system): the
        // rename only sets the new letter case. Anything else stays as it is.
        struct stat dst;
        if (*hostFrom != *hostTo && ::lstat(hostTo->c_str(), &dst) == 0 && sameInode(src, dst)
            && hostDirectoryOf(*hostFrom) == hostDirectoryOf(*hostTo) && sys.rename(*hostFrom, *hostTo) != 0)
            return lastError();
        return Status::ok();
    }

    const int renamed = replace == Replace::Existing
        ? sys.rename(*hostFrom, *hostTo)
        : renameWithoutReplacing(sys, *hostFrom, *hostTo, S_ISREG(src.st_mode));
    if (renamed == 0)
        return Status::ok();
    if (errno != EXDEV)
        return lastError();

    // Another file system: a copy, on disk before the source goes.
    if (S_ISDIR(src.st_mode))
        return Error{ErrorKind::IsDirectory, EISDIR};
    if (!S_ISREG(src.st_mode))
        return Error{ErrorKind::NotRegular, EINVAL};
    Fd in;
    struct stat opened;
    if (Status s = openSource(sys, *hostFrom, O_NOFOLLOW, in, opened); s.failed())
        return s;
    if (Status s = copyThroughTemp(
            sys, *m_sweep, in.get(), opened, *hostFrom, *hostTo, replacing, replace, Sync::Always, observer);
        s.failed())
        return s;
    syncDirectory(sys, hostDirectoryOf(*hostTo));
    in.reset();
    // Failing here leaves both copies: nothing is lost, and the caller is told.
    if (sys.unlink(*hostFrom) != 0)
        return lastError();
    return Status::ok();
}

}

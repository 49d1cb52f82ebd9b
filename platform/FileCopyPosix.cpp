#include "platform/FileCopy.h"
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
    std::int64_t expected, const ChunkDone& chunk)
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
        if (Status s = chunk(n); s.failed())
            return s;
    }
    return Status::ok();
}

FileFacts factsOf(const struct stat& st)
{
    FileFacts facts;
    facts.type = S_ISREG(st.st_mode) ? FileType::Regular : S_ISDIR(st.st_mode) ? FileType::Directory : FileType::Other;
    facts.link = S_ISLNK(st.st_mode);
    facts.readOnly = isReadOnlyMode(st.st_mode);
    facts.size = static_cast<std::int64_t>(st.st_size);
    facts.id = FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    return facts;
}

Status failedIf(bool failed)
{
    return failed ? Status(lastError()) : Status::ok();
}

// The POSIX calls of a copy, a move and an atomic write.
class PosixPrimitives final : public FilePrimitives {
public:
    PosixPrimitives(FaultInjector* faults, TempSweep& sweep) : m_sys(faults), m_sweep(sweep) {}

    std::string directoryOf(const std::string& host) const override { return hostDirectoryOf(host); }

    Result<FileFacts> lookup(const std::string& host, Follow follow) override
    {
        struct stat st;
        if ((follow == Follow::Yes ? m_sys.stat(host, st) : m_sys.lstat(host, st)) != 0) {
            if (errno != ENOENT)
                return lastError();
            FileFacts missing;
            missing.missing = lastError();
            return missing;
        }
        if (follow == Follow::No) {
            m_lookedUp = host;
            m_lookedUpStat = st;
        }
        return factsOf(st);
    }

    Status probeWritable(const std::string& host) override { return failedIf(m_sys.mayWrite(host) != 0); }

    void sweepTemps(const std::string& dir) override { sweepStaleTemps(m_sweep, dir); }

    Status openSource(const std::string& host, Follow follow, FileFacts& facts) override
    {
        // Not blocking on a pipe's open; its type is refused just after.
        m_source = Fd(m_sys.open(host, O_RDONLY | O_NONBLOCK | O_CLOEXEC | (follow == Follow::No ? O_NOFOLLOW : 0)));
        if (!m_source.valid())
            return lastError();
        if (m_sys.fstat(m_source.get(), host, m_sourceStat) != 0)
            return lastError();
        m_sourcePath = host;
        facts = factsOf(m_sourceStat);
        return Status::ok();
    }

    void closeSource() override { m_source.reset(); }

    Status createTemp(const std::string& dir, TempUse use) override
    {
        // A new file gets what the umask allows; a replacement the old mode.
        m_temp = platform::createTemp(m_sys, dir, use == TempUse::NewFile ? 0666 : 0600, m_tempPath);
        return failedIf(!m_temp.valid());
    }

    Status writeTemp(std::string_view bytes) override { return writeAll(m_sys, m_temp.get(), m_tempPath, bytes); }

    Status copyToTemp(const ChunkDone& chunk) override
    {
        return copyData(m_sys, m_source.get(), m_sourcePath, m_temp.get(), m_tempPath, m_sourceStat.st_size, chunk);
    }

    Status keepSourceAttributes() override
    {
        // The attribute before the mode: without owner write permission the
        // attribute could no longer be set.
        if (Status s = keepDosAttrib(m_sys, m_temp.get(), m_tempPath, dosAttribOf(m_source.get())); s.failed())
            return s;
        // Set-id bits stay behind: the copy belongs to whoever made it.
        return failedIf(m_sys.fchmod(m_temp.get(), m_tempPath, m_sourceStat.st_mode & 0777) != 0);
    }

    Status keepSourceTimes() override
    {
        const struct timespec times[2] = {m_sourceStat.st_atim, m_sourceStat.st_mtim};
        return failedIf(m_sys.futimens(m_temp.get(), m_tempPath, times) != 0);
    }

    void rememberReplaced(const std::string& host) override
    {
        if (m_lookedUp != host && m_sys.lstat(host, m_lookedUpStat) != 0)
            m_lookedUpStat = {};
        m_replaced = m_lookedUpStat;
        m_replacedDosAttrib = dosAttribOf(host);
    }

    Status keepReplacedAttributes() override
    {
        if (Status s = keepDosAttrib(m_sys, m_temp.get(), m_tempPath, m_replacedDosAttrib); s.failed())
            return s;
        if (m_sys.fchmod(m_temp.get(), m_tempPath, m_replaced.st_mode & 07777) != 0)
            return lastError();
        if (::fchown(m_temp.get(), m_replaced.st_uid, m_replaced.st_gid) != 0) {
            // Keeping the owner is a courtesy; a foreign owner is not ours to give.
        }
        return Status::ok();
    }

    Status flushTemp() override { return failedIf(m_sys.fsync(m_temp.get(), m_tempPath) != 0); }

    std::optional<FileStamp> stampTemp() override
    {
        struct stat st;
        if (m_sys.fstat(m_temp.get(), m_tempPath, st) != 0)
            return std::nullopt;
        return stampOf(st);
    }

    // The close result matters: some file systems report a failed write only there.
    Status closeTemp() override { return failedIf(m_temp.close() != 0); }

    Status renameTemp(const std::string& to, Replace replace) override
    {
        return renameEntry(m_tempPath, to, replace, true);
    }

    void removeTemp() override
    {
        m_temp.reset();
        m_sys.unlink(m_tempPath);
    }

    // Makes a completed rename durable before anything depends on it.
    void syncDirectory(const std::string& dir) override
    {
        Fd fd(m_sys.open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (fd.valid())
            m_sys.fsync(fd.get(), dir);
    }

    Status renameEntry(const std::string& from, const std::string& to, Replace replace, bool regularFile) override
    {
        return failedIf((replace == Replace::Existing ? m_sys.rename(from, to)
                                                      : renameWithoutReplacing(m_sys, from, to, regularFile))
            != 0);
    }

    Status renameCase(const std::string& from, const std::string& to) override
    {
        return failedIf(m_sys.rename(from, to) != 0);
    }

    Status removeFile(const std::string& host) override { return failedIf(m_sys.unlink(host) != 0); }

private:
    const SystemCalls m_sys;
    TempSweep& m_sweep;
    Fd m_source;
    std::string m_sourcePath;
    struct stat m_sourceStat {};
    Fd m_temp;
    std::string m_tempPath;
    std::string m_lookedUp;
    struct stat m_lookedUpStat {};
    struct stat m_replaced {};
    std::string m_replacedDosAttrib;
};

}

std::unique_ptr<FilePrimitives> systemPrimitives(FaultInjector* faults, TempSweep& sweep)
{
    return std::make_unique<PosixPrimitives>(faults, sweep);
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

}

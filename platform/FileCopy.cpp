#include "platform/FileCopy.h"

#include "platform/TempNames.h"

#include <cerrno>

// What a copy, a move and an atomic write decide, the same on every system:
// which destinations may be replaced, when the bytes reach the disk, and that
// a failure or a cancel leaves no temporary file and the old file whole.
namespace sorvik::platform {

namespace {

enum class Sync { IfReplacing, Always };

// The error for a file of this type where a regular file is needed.
Error notARegularFile(const FileFacts& facts)
{
    return facts.type == FileType::Directory ? Error{ErrorKind::IsDirectory, EISDIR}
                                             : Error{ErrorKind::NotRegular, EINVAL};
}

// Whether an existing file at `host` may be replaced: a regular file the
// read-only attribute does not protect, and that the system lets us write
// (another owner's file, or one another program holds, it may not).
Status replaceable(FilePrimitives& sys, const std::string& host, const FileFacts& facts)
{
    if (facts.type != FileType::Regular)
        return notARegularFile(facts);
    if (facts.readOnly)
        return Error{ErrorKind::ReadOnly, EACCES};
    return sys.probeWritable(host);
}

// Opens the source of a copy; only a regular file will do.
Status openRegularSource(FilePrimitives& sys, const std::string& host, Follow follow, FileFacts& facts)
{
    if (Status s = sys.openSource(host, follow, facts); s.failed())
        return s;
    if (facts.type != FileType::Regular)
        return notARegularFile(facts);
    return Status::ok();
}

// Checks an existing destination of a copy or move; `exists` tells whether
// there is one to replace. A file that is the source itself is `same`.
Status checkDestination(FilePrimitives& sys, const std::string& dst, const std::optional<FileIdentity>& src,
    Replace replace, bool& exists, bool& same)
{
    exists = same = false;
    Result<FileFacts> facts = sys.lookup(dst, Follow::Yes);
    if (!facts)
        return facts.error();
    if (facts->type == FileType::Missing)
        return Status::ok();
    if (src && facts->id == src) {
        same = true;
        return Status::ok();
    }
    if (facts->type == FileType::Directory)
        return Error{ErrorKind::IsDirectory, EISDIR};
    if (replace == Replace::Never)
        return Error{ErrorKind::Exists, EEXIST};
    if (Status s = replaceable(sys, dst, *facts); s.failed())
        return s;
    exists = true;
    return Status::ok();
}

// Copies the open source to `dst` through a temporary file beside it, renamed
// over `dst` only when complete. The caller has checked `dst`.
Status copyThroughTemp(
    FilePrimitives& sys, const std::string& dst, bool replacing, Replace replace, Sync sync, CopyObserver* observer)
{
    const std::string dir = sys.directoryOf(dst);
    if (Status s = sys.createTemp(dir, TempUse::Copy); s.failed())
        return s;
    sys.sweepTemps(dir);
    auto fail = [&](const Status& s) {
        sys.removeTemp();
        return s;
    };
    const ChunkDone chunk = [observer](std::int64_t bytes) {
        if (observer && bytes > 0 && !observer->copied(bytes))
            return Status(Error{ErrorKind::Cancelled, ECANCELED});
        return Status::ok();
    };
    if (Status s = sys.copyToTemp(chunk); s.failed())
        return fail(s);
    if (Status s = sys.keepSourceAttributes(); s.failed())
        return fail(s);
    if (Status s = sys.keepSourceTimes(); s.failed())
        return fail(s);
    // The old destination must survive a crash, so its replacement is on disk
    // before the rename; a new file has nothing to lose and skips the wait.
    if (sync == Sync::Always || replacing) {
        if (Status s = sys.flushTemp(); s.failed())
            return fail(s);
    }
    if (Status s = sys.closeTemp(); s.failed())
        return fail(s);
    if (Status s = sys.renameTemp(dst, replace); s.failed())
        return fail(s);
    return Status::ok();
}

}

Status writeFileAtomic(
    FilePrimitives& sys, const std::string& target, std::string_view bytes, std::optional<FileStamp>& written)
{
    written.reset();
    Result<FileFacts> old = sys.lookup(target, Follow::No);
    if (!old)
        return old.error();
    // A link may have been put there by someone else to make us overwrite
    // the file it points at; a data file is never written through one.
    if (old->link)
        return Error{ErrorKind::Link, ELOOP};
    const bool replacing = old->type != FileType::Missing;
    if (replacing) {
        if (Status s = replaceable(sys, target, *old); s.failed())
            return s;
        sys.rememberReplaced(target);
    }

    const std::string dir = sys.directoryOf(target);
    if (Status s = sys.createTemp(dir, replacing ? TempUse::Replacement : TempUse::NewFile); s.failed())
        return s;
    sys.sweepTemps(dir);
    auto fail = [&](const Status& s) {
        sys.removeTemp();
        return s;
    };
    if (Status s = sys.writeTemp(bytes); s.failed())
        return fail(s);
    // A hidden description file stays hidden after it is saved.
    if (replacing) {
        if (Status s = sys.keepReplacedAttributes(); s.failed())
            return fail(s);
    }
    if (Status s = sys.flushTemp(); s.failed())
        return fail(s);
    // Nothing below changes what the stamp holds: the rename keeps the file.
    const std::optional<FileStamp> stamp = sys.stampTemp();
    if (Status s = sys.closeTemp(); s.failed())
        return fail(s);
    if (Status s = sys.renameTemp(target, Replace::Existing); s.failed())
        return fail(s);
    written = stamp;
    sys.syncDirectory(dir);
    return Status::ok();
}

Status copyFile(
    FilePrimitives& sys, const std::string& from, const std::string& to, Replace replace, CopyObserver* observer)
{
    FileFacts src;
    if (Status s = openRegularSource(sys, from, Follow::Yes, src); s.failed())
        return s;
    bool replacing = false, same = false;
    if (Status s = checkDestination(sys, to, src.id, replace, replacing, same); s.failed())
        return s;
    if (same)
        return Status::ok();
    // A destination that is a link is replaced itself, never the file it
    // points at: a link planted in a shared directory must not make the copy
    // overwrite a file elsewhere.
    return copyThroughTemp(sys, to, replacing, replace, Sync::IfReplacing, observer);
}

Status moveFile(
    FilePrimitives& sys, const std::string& from, const std::string& to, Replace replace, CopyObserver* observer)
{
    Result<FileFacts> src = sys.lookup(from, Follow::No);
    if (!src)
        return src.error();
    if (src->type == FileType::Missing)
        return src->missing;
    // Sameness is judged on what the names lead to, so a link is never
    // moved over the file it points at.
    std::optional<FileIdentity> target = src->id;
    if (src->link) {
        if (Result<FileFacts> followed = sys.lookup(from, Follow::Yes); followed && followed->type != FileType::Missing)
            target = followed->id;
    }
    bool replacing = false, same = false;
    if (Status s = checkDestination(sys, to, target, replace, replacing, same); s.failed())
        return s;
    if (same) {
        // Two spellings of one entry (a case-insensitive file system): the
        // rename only sets the new letter case. Anything else stays as it is.
        if (from != to && sys.directoryOf(from) == sys.directoryOf(to)) {
            Result<FileFacts> entry = sys.lookup(to, Follow::No);
            if (entry && entry->type != FileType::Missing && entry->id == src->id)
                return sys.renameCase(from, to);
        }
        return Status::ok();
    }

    Status renamed = sys.renameEntry(from, to, replace, src->type == FileType::Regular);
    if (!renamed.failed() || renamed.error().kind != ErrorKind::CrossDevice)
        return renamed;

    // Another file system: a copy, on disk before the source goes.
    if (src->type != FileType::Regular)
        return notARegularFile(*src);
    FileFacts opened;
    if (Status s = openRegularSource(sys, from, Follow::No, opened); s.failed())
        return s;
    if (Status s = copyThroughTemp(sys, to, replacing, replace, Sync::Always, observer); s.failed())
        return s;
    sys.syncDirectory(sys.directoryOf(to));
    sys.closeSource();
    // Failing here leaves both copies: nothing is lost, and the caller is told.
    return sys.removeFile(from);
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
    return platform::writeFileAtomic(*systemPrimitives(m_faults, *m_sweep), *host, bytes, written);
}

Status FileSystem::copyFile(u16view from, u16view to, Replace replace, CopyObserver* observer)
{
    std::optional<std::string> hostFrom = hostPath(from);
    std::optional<std::string> hostTo = hostPath(to);
    if (!hostFrom || !hostTo)
        return noHostPath();
    return platform::copyFile(*systemPrimitives(m_faults, *m_sweep), *hostFrom, *hostTo, replace, observer);
}

Status FileSystem::moveFile(u16view from, u16view to, Replace replace, CopyObserver* observer)
{
    std::optional<std::string> hostFrom = hostPath(from);
    std::optional<std::string> hostTo = hostPath(to);
    if (!hostFrom || !hostTo)
        return noHostPath();
    return platform::moveFile(*systemPrimitives(m_faults, *m_sweep), *hostFrom, *hostTo, replace, observer);
}

}

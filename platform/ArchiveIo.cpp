#include "platform/ArchiveIo.h"

#include <cerrno>

// What the archiver's file services decide the same on every system: which
// existing file a finished one may replace and in which order it is made
// ready, which directories are made, and that every call asks the fault
// injector. ArchiveIoPosix.cpp and ArchiveIoWin32.cpp make the calls.
namespace sorvik::platform {

namespace {

int callFault(FaultInjector* faults, FsCall call, const std::string& host)
{
    return faults ? faults->before(call, host) : 0;
}

}

int InputFile::fault(FsCall call, const std::string& host) const
{
    return callFault(m_faults, call, host);
}

int TempOutput::fault(FsCall call, const std::string& host) const
{
    return callFault(m_faults, call, host);
}

int DirHandle::fault(FsCall call, const std::string& host) const
{
    return callFault(m_faults, call, host);
}

int ArchiveIo::fault(FsCall call, const std::string& host) const
{
    return callFault(m_faults, call, host);
}

Status TempOutput::commit(std::string_view name, std::optional<std::int64_t> mtime, SyncMode sync)
{
    if (m_done)
        return Error{ErrorKind::Other, EBADF};
    auto fail = [this](const Error& error) {
        discard();
        return error;
    };
    const Result<EntryFacts> old = targetEntry(name);
    if (!old)
        return fail(old.error());
    // Nothing is written through a link, and only a writable regular file is
    // replaced.
    switch (old->type) {
    case EntryType::Link:
        return fail(Error{ErrorKind::NotRegular, ELOOP});
    case EntryType::Directory:
        return fail(Error{ErrorKind::IsDirectory, EISDIR});
    case EntryType::Other:
        return fail(Error{ErrorKind::NotRegular, EINVAL});
    case EntryType::File:
    case EntryType::Missing:
        break;
    }
    if (old->readOnly)
        return fail(Error{ErrorKind::ReadOnly, EACCES});
    const bool replacing = old->type != EntryType::Missing;
    if (replacing) {
        if (Status s = keepReplacedAttributes(); s.failed())
            return fail(s.error());
    }
    if (mtime) {
        if (Status s = setTimes(*mtime); s.failed())
            return fail(s.error());
    }
    // A replaced file must survive a crash, so its successor is on the disk
    // before the rename.
    if (sync == SyncMode::Always || replacing) {
        if (Status s = flush(); s.failed())
            return fail(s.error());
    }
    if (Status s = renameOver(name, sync); s.failed())
        return fail(s.error());
    m_done = true;
    return {};
}

Result<std::unique_ptr<DirHandle>> DirHandle::child(std::string_view name, CreateDir create) const
{
    bool missing = false;
    Result<std::unique_ptr<DirHandle>> dir = openChild(name, missing);
    if (dir || !missing || create == CreateDir::No)
        return dir;
    if (Status s = makeChild(name); s.failed())
        return s.error();
    return openChild(name, missing);
}

Result<std::unique_ptr<DirHandle>> ArchiveIo::openDirectory(const std::string& host, CreateDir create) const
{
    if (create == CreateDir::IfMissing) {
        // Each missing level from the top.
        for (std::size_t at = firstLevelEnd(host); at <= host.size(); ++at) {
            if (at != host.size() && !separates(host[at]))
                continue;
            if (Status s = makeLevel(host.substr(0, at)); s.failed())
                return s.error();
        }
    }
    return openExisting(host);
}

}

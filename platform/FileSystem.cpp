#include "platform/FileSystem.h"

#include "platform/Faults.h"
#include "platform/FileCopy.h"
#include "platform/TempNames.h"

#include <algorithm>
#include <cerrno>
#include <limits>

// What both system layers share: the path mapping, the fault seam, reading a
// whole file, the text files.
namespace sorvik::platform {

int FileSystem::fault(FsCall call, const std::string& host) const
{
    return m_faults ? m_faults->before(call, host) : 0;
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

Result<std::string> FileSystem::readFile(u16view path, std::size_t maxBytes) const
{
    return readFileStamped(path, maxBytes, nullptr);
}

Result<std::string> FileSystem::readFile(u16view path, FileStamp& stamp, std::size_t maxBytes) const
{
    return readFileStamped(path, maxBytes, &stamp);
}

Result<std::string> readWhole(std::uint64_t expected, std::size_t maxBytes, const ReadSome& read)
{
    maxBytes = std::min(maxBytes, std::numeric_limits<std::size_t>::max() - 1);
    if (expected > maxBytes)
        return Error{ErrorKind::TooLarge, EFBIG};
    // One byte more than the size, so the usual read ends at the first zero
    // return; a file that grows meanwhile is read on, up to the limit.
    std::string bytes(static_cast<std::size_t>(expected) + 1, '\0');
    std::size_t size = 0;
    for (;;) {
        if (size == bytes.size()) {
            if (size > maxBytes)
                return Error{ErrorKind::TooLarge, EFBIG};
            bytes.resize(std::min(maxBytes + 1, std::max<std::size_t>(65536, bytes.size() * 2)));
        }
        Result<std::size_t> n = read(bytes.data() + size, bytes.size() - size);
        if (!n)
            return n.error();
        if (*n == 0)
            break;
        size += *n;
    }
    if (size > maxBytes)
        return Error{ErrorKind::TooLarge, EFBIG};
    bytes.resize(size);
    return bytes;
}

void FileSystem::removeStaleTemporaries(u16view dir)
{
    std::optional<std::string> host = hostPath(dir);
    if (!host)
        return;
    // The drive table's host paths of directories end in "/"; the writers
    // sweep the directory part of a file's path, without it.
    while (
        host->size() > 1 && (host->back() == '/' || host->back() == '\\') && !(host->size() == 3 && (*host)[1] == ':'))
        host->pop_back();
    sweepStaleTemps(*m_sweep, *host);
}

std::optional<std::vector<u16>> readTextFile(const FileSystem& fs, u16view path)
{
    Result<std::string> bytes = fs.readFile(path);
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

#pragma once

#include "platform/DriveTable.h"
#include "platform/Error.h"
#include "platform/Faults.h"
#include "platform/Text.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sorvik::platform {

// Windows attribute bits, the form every caller works with.
enum Attribute : std::uint32_t {
    kAttrReadOnly = 0x01,
    kAttrHidden = 0x02,
    kAttrSystem = 0x04,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20,
};

struct DateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;   // local time
    bool operator==(const DateTime&) const = default;
};

struct FileInfo {
    std::int64_t size = 0;
    DateTime lastWrite;
    std::uint32_t attributes = 0;
};

struct DirEntry {
    u16 name;   // Windows form of the host name
    bool isDirectory = false;
};

// A directory entry with what one query learnt of it; `info` is empty when
// the entry vanished between reading the directory and asking about it.
struct ListedEntry {
    u16 name;
    bool isDirectory = false;
    std::optional<FileInfo> info;
};

// Tells one version of a file from the next without reading it: a file
// replaced by a rename is another inode, one rewritten in place has another
// length or modification time. The change time is left out because a rename
// sets it, so a file's stamp is known before it is renamed into place.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    bool operator==(const FileStamp&) const = default;
};

// Whether a copy or move may replace an existing destination.
enum class Replace { Never, Existing };

// Told after every chunk a copy writes; returning false cancels the copy,
// which then removes what it wrote and fails with ErrorKind::Cancelled.
class CopyObserver {
public:
    virtual ~CopyObserver() = default;
    virtual bool copied(std::int64_t bytes) = 0;
};

class TempSweep;

// The file services, on Windows paths ("C:\dir\name" or a bare relative name).
// Linux keeps Windows semantics where they protect data: read-only files are
// never replaced, renames never overwrite, data files are written atomically.
// Every call that can fail says why.
class FileSystem {
public:
    // Readers refuse files larger than this, so a link to an endless device
    // cannot grow memory without limit.
    static constexpr std::size_t kMaxReadBytes = std::size_t(1) << 30;

    explicit FileSystem(DriveTable drives = {});

    const DriveTable& drives() const { return m_drives; }
    void setDrives(DriveTable drives) { m_drives = std::move(drives); }

    // Tests make chosen calls fail through this; nullptr for none.
    void setFaults(FaultInjector* faults) { m_faults = faults; }

    // Host path of a Windows path: drive paths through the drive table, bare
    // relative paths relative to the process's working directory.
    std::optional<std::string> hostPath(u16view path) const;

    std::optional<u16> currentDirectory() const;   // with trailing "\"
    Status setCurrentDirectory(u16view dir);
    Status createDirectory(u16view dir);
    bool directoryExists(u16view dir) const;

    // Every entry but "." and ".."; an error when the directory cannot be read.
    Result<std::vector<DirEntry>> listDirectory(u16view dir) const;
    // The same with length, time and attributes of every entry, asked
    // relative to the open directory so a large directory lists fast.
    Result<std::vector<ListedEntry>> listDirectoryWithInfo(u16view dir) const;

    // One query for length, last-write time and attributes (links followed).
    Result<FileInfo> fileInfo(u16view path) const;
    Result<std::uint32_t> attributes(u16view path) const;
    // Read-only clears every write bit; clearing it gives the owner write back.
    // Hidden and system live in user.DOSATTRIB; refused when that is refused.
    Status setAttributes(u16view path, std::uint32_t attributes);

    // Never replaces an existing target, nor takes a name that differs from
    // another file's only in letter case (one name on Windows); a change of
    // the letter case of the file's own name works.
    Status rename(u16view from, u16view to);
    // Refuses a read-only file (ErrorKind::ReadOnly), as Windows does.
    Status remove(u16view path);
    bool canOpenForRead(u16view path) const;
    bool exists(u16view path) const;
    // Both paths name the same file (the same inode, also through links or a
    // second path to the same directory).
    bool sameFile(u16view a, u16view b) const;

    // Removes what crashed runs left of their temporary files in `dir`, as the
    // first write there would; a data directory is swept so at start-up.
    void removeStaleTemporaries(u16view dir);

    // Regular files only, opened without blocking, at most `maxBytes`.
    Result<std::string> readFile(u16view path, std::size_t maxBytes = kMaxReadBytes) const;
    // The same with the stamp of what was read, taken before the bytes: a
    // change made while they are read still differs from it.
    Result<std::string> readFile(u16view path, FileStamp& stamp, std::size_t maxBytes = kMaxReadBytes) const;
    // The stamp of the file a path names now (links followed).
    Result<FileStamp> stamp(u16view path) const;
    // Temporary file in the same directory, then renamed over the old one; an
    // existing read-only or unwritable target is refused and left as it was.
    // The old file's permissions and attributes are kept.
    Status writeFileAtomic(u16view path, std::string_view bytes);
    // The same, telling the stamp of the file written; empty when it could
    // not be asked, though the write succeeded.
    Status writeFileAtomic(u16view path, std::string_view bytes, std::optional<FileStamp>& written);

    // Copies a regular file (links followed) as the Windows copy does: the
    // destination keeps the source's last-write time, permissions and
    // attributes. The bytes go to a temporary file in the destination
    // directory that is renamed over the destination only when complete, so
    // a failure or cancel leaves an existing destination whole and no partial
    // file behind. A read-only destination is never replaced. Copying a file
    // onto itself does nothing and succeeds.
    Status copyFile(u16view from, u16view to, Replace replace, CopyObserver* observer = nullptr);
    // A rename within one file system; across file systems a copy, checked
    // complete and synced, after which the source is removed. A failed move
    // leaves the source whole, and a replacing move never leaves both names
    // missing. A read-only destination is never replaced. Moving a file onto
    // itself does nothing and succeeds.
    Status moveFile(u16view from, u16view to, Replace replace, CopyObserver* observer = nullptr);

private:
    Result<std::string> readFileStamped(u16view path, std::size_t maxBytes, FileStamp* stamp) const;
    // The errno a test wants this call to fail with, 0 to run it.
    int fault(FsCall call, const std::string& host) const;

    DriveTable m_drives;
    FaultInjector* m_faults = nullptr;
    // Directories already cleared of stale temporary files.
    std::shared_ptr<TempSweep> m_sweep;
};

enum class WriteResult { Ok, Unencodable, Failed };

// Data files: code page 932 with CR LF. Reading decodes invalid bytes to U+FFFD.
std::optional<std::vector<u16>> readTextFile(const FileSystem& fs, u16view path);
WriteResult writeTextFile(FileSystem& fs, u16view path, const std::vector<u16>& lines);

}

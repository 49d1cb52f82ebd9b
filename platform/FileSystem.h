#pragma once

#include "platform/DriveTable.h"
#include "platform/Text.h"

#include <cstdint>
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
    u16 name;                 // Windows form of the host name
    bool isDirectory = false;
};

// A directory entry with what one query learnt of it; `info` is empty when
// the entry vanished between reading the directory and asking about it.
struct ListedEntry {
    u16 name;
    bool isDirectory = false;
    std::optional<FileInfo> info;
};

// The file services, on Windows paths ("C:\dir\name" or a bare relative name).
// Linux keeps Windows semantics where they protect data: read-only files are
// never replaced, renames never overwrite, data files are written atomically.
class FileSystem {
public:
    explicit FileSystem(DriveTable drives = {});

    const DriveTable& drives() const { return m_drives; }
    void setDrives(DriveTable drives) { m_drives = std::move(drives); }

    // Host path of a Windows path: drive paths through the drive table, bare
    // relative paths relative to the process's working directory.
    std::optional<std::string> hostPath(u16view path) const;

    std::optional<u16> currentDirectory() const;          // with trailing "\"
    bool setCurrentDirectory(u16view dir);
    bool createDirectory(u16view dir);
    bool directoryExists(u16view dir) const;

    // Every entry but "." and ".."; nothing when the directory cannot be read.
    std::optional<std::vector<DirEntry>> listDirectory(u16view dir) const;
    // The same with length, time and attributes of every entry, asked
    // relative to the open directory so a large directory lists fast.
    std::optional<std::vector<ListedEntry>> listDirectoryWithInfo(u16view dir) const;

    // One query for length, last-write time and attributes (links followed).
    std::optional<FileInfo> fileInfo(u16view path) const;
    std::optional<std::uint32_t> attributes(u16view path) const;
    // Read-only clears every write bit; clearing it gives the owner write back.
    // Hidden and system live in user.DOSATTRIB; false when that is refused.
    bool setAttributes(u16view path, std::uint32_t attributes);

    // Never replaces an existing target.
    bool rename(u16view from, u16view to);
    bool remove(u16view path);
    bool canOpenForRead(u16view path) const;
    bool exists(u16view path) const;

    std::optional<std::string> readFile(u16view path) const;
    // Temporary file in the same directory, then renamed over the old one; an
    // existing read-only target is refused and left as it was.
    bool writeFileAtomic(u16view path, std::string_view bytes);

private:
    DriveTable m_drives;
};

enum class WriteResult { Ok, Unencodable, Failed };

// Data files: code page 932 with CR LF. Reading decodes invalid bytes to U+FFFD.
std::optional<std::vector<u16>> readTextFile(const FileSystem& fs, u16view path);
WriteResult writeTextFile(FileSystem& fs, u16view path, const std::vector<u16>& lines);

}

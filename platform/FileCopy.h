#pragma once

// The copy, move, atomic write and whole-file read of FileSystem, once for
// both systems, over the few calls each system makes for them. Shared by the
// system layers.

#include "platform/FileSystem.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace sorvik::platform {

// Which file a name leads to: equal for two names of one file.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileIdentity&) const = default;
};

enum class FileType { Missing, Regular, Directory, Other };
enum class Follow { No, Yes };

// What the decisions of a copy need to know of a name.
struct FileFacts {
    FileType type = FileType::Missing;
    bool link = false;   // the name itself is a symbolic link (or a reparse point)
    bool readOnly = false;
    std::int64_t size = 0;
    std::optional<FileIdentity> id;
    Error missing;   // what a caller that needs the file reports when it is Missing
};

// What a temporary file is made for: a new data file gets what the umask
// allows, a replacement or a copy starts private until its own rights are set.
enum class TempUse { NewFile, Replacement, Copy };

// Told the bytes of every chunk a copy wrote; its error stops the copy.
using ChunkDone = std::function<Status(std::int64_t bytes)>;

// One system's calls for one operation: the source it opened and the
// temporary file it made stay with it until it is destroyed. Every call that
// touches the disk asks the fault seam (FaultInjector, by FsCall) first, so
// tests fail injected and real calls alike on both systems.
class FilePrimitives {
public:
    virtual ~FilePrimitives() = default;

    virtual std::string directoryOf(const std::string& host) const = 0;
    // Missing (with the error that says so) is no failure here.
    virtual Result<FileFacts> lookup(const std::string& host, Follow follow) = 0;
    // What the type and attribute do not show: another owner's file, one
    // another program holds.
    virtual Status probeWritable(const std::string& host) = 0;
    // The stale temporary files of ended processes, the first time a
    // directory is written to.
    virtual void sweepTemps(const std::string& dir) = 0;

    // Opens the source of a copy, to be read by copyToTemp.
    virtual Status openSource(const std::string& host, Follow follow, FileFacts& facts) = 0;
    virtual void closeSource() = 0;

    virtual Status createTemp(const std::string& dir, TempUse use) = 0;
    virtual Status writeTemp(std::string_view bytes) = 0;
    // The open source's bytes into the temporary file, `chunk` told after each.
    virtual Status copyToTemp(const ChunkDone& chunk) = 0;
    // The source's attributes and permissions, then its times.
    virtual Status keepSourceAttributes() = 0;
    virtual Status keepSourceTimes() = 0;
    // Reads what a replacement keeps of the file `host` it replaces
    // (attributes, permissions, owner) and gives it to the temporary file.
    virtual void rememberReplaced(const std::string& host) = 0;
    virtual Status keepReplacedAttributes() = 0;
    virtual Status flushTemp() = 0;
    virtual std::optional<FileStamp> stampTemp() = 0;
    virtual Status closeTemp() = 0;
    virtual Status renameTemp(const std::string& to, Replace replace) = 0;
    // Removes the temporary file after a failure; nothing to report.
    virtual void removeTemp() = 0;
    // Makes a completed rename durable, where the system needs to be asked.
    virtual void syncDirectory(const std::string& dir) = 0;

    // Renames within a volume; ErrorKind::CrossDevice when it cannot.
    virtual Status renameEntry(const std::string& from, const std::string& to, Replace replace, bool regularFile) = 0;
    // Another spelling of an entry's own name (a change of letter case).
    virtual Status renameCase(const std::string& from, const std::string& to) = 0;
    virtual Status removeFile(const std::string& host) = 0;
};

// Reads a whole file that said it holds `expected` bytes, at most `maxBytes`
// (ErrorKind::TooLarge beyond); `read` fills a buffer and tells how much, 0
// at the end of the file.
using ReadSome = std::function<Result<std::size_t>(char* data, std::size_t count)>;
Result<std::string> readWhole(std::uint64_t expected, std::size_t maxBytes, const ReadSome& read);

// The system's own set, asking `faults` (may be null) before every call.
std::unique_ptr<FilePrimitives> systemPrimitives(FaultInjector* faults, TempSweep& sweep);

// The policies, on host paths; FileSystem's members of these names call them.
Status writeFileAtomic(
    FilePrimitives& sys, const std::string& target, std::string_view bytes, std::optional<FileStamp>& written);
Status copyFile(
    FilePrimitives& sys, const std::string& from, const std::string& to, Replace replace, CopyObserver* observer);
Status moveFile(
    FilePrimitives& sys, const std::string& from, const std::string& to, Replace replace, CopyObserver* observer);

}

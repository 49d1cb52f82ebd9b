#pragma once

#include "platform/Error.h"
#include "platform/Faults.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace sorvik::platform {

// The few file services the archiver needs, with the data-safety rules of
// the rest of the program: every file is written to a temporary file in its
// directory and renamed into place when complete, a read-only target is never
// replaced, and extraction walks directories by handle so that no write goes
// through a symbolic link. Chosen calls fail through the fault injector.
//
// What is decided the same on every system (which targets a file may replace,
// the order of a commit, which directories to make) is in ArchiveIo.cpp; the
// private members marked as this system's calls are in ArchiveIo<System>.cpp,
// each asking the fault injector before its call.

enum class EntryType { Missing, File, Directory, Link, Other };

struct EntryFacts {
    EntryType type = EntryType::Missing;
    std::uint64_t size = 0;
    std::int64_t mtime = 0;   // Unix seconds
    bool readOnly = false;    // no write permission for the owner
};

enum class CreateDir { No, IfMissing };
// When a finished file is flushed to the disk before its rename: always (an
// archive), or only when it replaces an existing file (an extracted file,
// whose loss in a crash the archive itself still covers).
enum class SyncMode { Always, WhenReplacing };

// A regular file opened for reading.
class InputFile {
public:
    InputFile(int fd, std::string host, FaultInjector* faults, std::uint64_t size, std::int64_t mtime);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    std::uint64_t size() const { return m_size; }
    std::int64_t mtime() const { return m_mtime; }
    // Bytes read at `offset`, fewer only at the end of the file; -1 on an
    // error, which lastError() then tells.
    std::ptrdiff_t readAt(std::uint64_t offset, void* data, std::size_t count);
    const Error& lastError() const { return m_error; }

private:
    int fault(FsCall call, const std::string& host) const;

    int m_fd;
    std::string m_host;
    FaultInjector* m_faults;
    std::uint64_t m_size;
    std::int64_t m_mtime;
    Error m_error;
};

// A temporary file (".~sorvik-<pid>-<random>.tmp") in a directory, removed again
// unless commit() renamed it into place.
class TempOutput {
public:
    TempOutput(int dirFd, std::string dirHost, std::string tempName, int fd, FaultInjector* faults);
    ~TempOutput();
    TempOutput(const TempOutput&) = delete;
    TempOutput& operator=(const TempOutput&) = delete;

    Status write(const void* data, std::size_t count);
    Status writeAt(std::uint64_t offset, const void* data, std::size_t count);
    // Cuts the file to `size`; writing goes on from there.
    Status truncate(std::uint64_t size);
    std::uint64_t size() const { return m_size; }
    const std::string& tempName() const { return m_tempName; }

    // Sets the time stamp, then renames over `name` in the same directory. An
    // existing `name` that is read-only, a directory or a link is refused and
    // left as it was; an existing file's permissions carry over.
    Status commit(std::string_view name, std::optional<std::int64_t> mtime, SyncMode sync);
    // Removes the temporary file now.
    void discard();

private:
    int fault(FsCall call, const std::string& host) const;
    // This system's calls for commit(). `name`'s entry, not following a link,
    // Missing when absent; an existing one's mode or attributes are kept for
    // keepReplacedAttributes().
    Result<EntryFacts> targetEntry(std::string_view name);
    Status keepReplacedAttributes();
    Status setTimes(std::int64_t mtime);
    Status flush();
    // Renames the temporary file over `name` and closes it, the rename made
    // durable when `sync` is Always.
    Status renameOver(std::string_view name, SyncMode sync);

    int m_dirFd;   // its own copy of the directory handle
    std::string m_dirHost;
    std::string m_tempName;
    int m_fd;
    FaultInjector* m_faults;
    std::uint64_t m_size = 0;
    std::uint32_t m_replaced = 0;   // the replaced file's mode or attributes
    bool m_done = false;
};

// An open directory; names below it are resolved one component at a time.
class DirHandle {
public:
    DirHandle(int fd, std::string host, FaultInjector* faults);
    ~DirHandle();
    DirHandle(const DirHandle&) = delete;
    DirHandle& operator=(const DirHandle&) = delete;

    const std::string& hostPath() const { return m_host; }
    // A name's entry, not following a final link; Missing when absent.
    Result<EntryFacts> entry(std::string_view name) const;
    // A subdirectory, never reached through a link, made when missing and
    // asked for.
    Result<std::unique_ptr<DirHandle>> child(std::string_view name, CreateDir create) const;
    Result<std::unique_ptr<TempOutput>> createTemp() const;

private:
    int fault(FsCall call, const std::string& host) const;
    // This system's calls for child(): the subdirectory, never through a
    // link, `missing` telling when there is nothing of that name; making it.
    Result<std::unique_ptr<DirHandle>> openChild(std::string_view name, bool& missing) const;
    Status makeChild(std::string_view name) const;

    int m_fd;
    std::string m_host;
    FaultInjector* m_faults;
};

class ArchiveIo {
public:
    explicit ArchiveIo(FaultInjector* faults = nullptr) : m_faults(faults) {}

    // A regular file (links followed, as for any file the user names).
    Result<std::unique_ptr<InputFile>> openInput(const std::string& host) const;
    // Facts of a path, links followed; Missing when absent.
    Result<EntryFacts> facts(const std::string& host) const;
    // A directory the user named (links in its own path followed), made with
    // its parents when missing and asked for.
    Result<std::unique_ptr<DirHandle>> openDirectory(const std::string& host, CreateDir create) const;

private:
    int fault(FsCall call, const std::string& host) const;
    // This system's calls for openDirectory(): the earliest place the first
    // level below the root can end, what separates levels, making one level
    // when it is missing (an existing one is fine), opening the directory.
    static std::size_t firstLevelEnd(const std::string& host);
    static bool separates(char c);
    Status makeLevel(const std::string& part) const;
    Result<std::unique_ptr<DirHandle>> openExisting(const std::string& host) const;

    FaultInjector* m_faults;
};

}

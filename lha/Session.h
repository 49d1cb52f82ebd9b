#pragma once

#include "lha/CommandLine.h"
#include "lha/Header.h"
#include "lha/Progress.h"

#include "platform/ArchiveIo.h"
#include "platform/FileSystem.h"

#include <optional>
#include <string>
#include <vector>

namespace sorvik::lha {

// What one command call works with.
struct Session {
    platform::FileSystem& fs;
    platform::ArchiveIo io;
    std::vector<u16> report;
    Progress* progress = nullptr;
    // Every note told, and the first failure with the system's error behind it.
    std::vector<Note> notes = {};
    std::optional<Note> firstFailure = std::nullopt;
    std::optional<platform::Error> firstError = std::nullopt;

    void say(u16 line) { report.push_back(std::move(line)); }
    void begin(int members, std::uint64_t bytes)
    {
        if (progress)
            progress->begin(members, bytes);
    }
    void startMember(u16view name, std::uint64_t bytes)
    {
        if (progress)
            progress->startMember(name, bytes);
    }
    // False once the caller asked to stop.
    bool advanced(std::uint64_t bytes) { return !progress || progress->advanced(bytes); }
    void memberDone()
    {
        if (progress)
            progress->memberDone();
    }
    // Reports a failure with its code and returns the code.
    int fail(int code, u16view what, u16view why);
    // The same for a failure the system gave its reason for.
    int fail(int code, u16view what, const platform::Error& error);
    // Reports a member the command leaves alone on purpose.
    void leftAlone(NoteKind kind, u16view what, u16view why, int code = 0);
};

// Adapts an opened input file to the header reader.
class FileSource : public ArchiveSource {
public:
    explicit FileSource(platform::InputFile& file) : m_file(file) {}
    std::uint64_t size() const override { return m_file.size(); }
    std::ptrdiff_t readAt(std::uint64_t offset, std::uint8_t* data, std::size_t count) override
    {
        return m_file.readAt(offset, data, count);
    }

private:
    platform::InputFile& m_file;
};

// Reads a byte range of an archive in order.
class RangeSource : public ByteSource {
public:
    RangeSource(ArchiveSource& src, std::uint64_t offset, std::uint64_t size)
        : m_src(src), m_offset(offset), m_left(size)
    {
    }
    std::ptrdiff_t read(std::uint8_t* data, std::size_t count) override;
    bool failed() const { return m_failed; }

private:
    ArchiveSource& m_src;
    std::uint64_t m_offset;
    std::uint64_t m_left;
    bool m_failed = false;
};

// The code of a failed write: disk full, read-only, or cannot write.
int writeErrorCode(const platform::Error& e);

int runUpdate(Session& s, const CommandLine& line);
int runExtract(Session& s, const CommandLine& line);
// The check behind UnlhaCheckArchive: true when the archive reads cleanly.
bool checkArchive(Session& s, const std::string& host, bool decodeAll);

// Every member header in order up to the end mark, or the first error code.
int readAllHeaders(ArchiveSource& src, std::vector<MemberHeader>& out);

}

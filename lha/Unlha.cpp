#include "lha/Unlha.h"

#include "lha/Crc16.h"
#include "lha/ErrorCodes.h"
#include "lha/LzDecoder.h"
#include "lha/MemberPath.h"
#include "lha/Run.h"
#include "lha/Session.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

namespace sorvik::lha {

namespace {

// One command at a time, as with the classic library; the settings below
// are read under the same lock.
std::mutex g_lock;
platform::FileSystem* g_fs = nullptr;
platform::FaultInjector* g_faults = nullptr;
Progress* g_progress = nullptr;

platform::FileSystem& fileSystem()
{
    if (g_fs)
        return *g_fs;
    static platform::FileSystem machine(platform::DriveTable::detect());
    return machine;
}

// Code page 932 text of the report, character by character so that one
// unmappable character becomes "?" instead of losing the line.
std::string reportBytes(const std::vector<u16>& lines)
{
    std::string out;
    for (const u16& line : lines) {
        if (!platform::appendCp932(line, out)) {
            for (char16_t c : line)
                if (!platform::appendCp932(u16view(&c, 1), out))
                    out.push_back('?');
        }
        out += "\r\n";
    }
    return out;
}

// Copies at most size-1 bytes, never cutting a two-byte character in half.
void copyReport(const std::string& text, char* buffer, unsigned long size)
{
    if (!buffer || size == 0)
        return;
    std::size_t n = 0;
    while (n < text.size()) {
        const auto c = static_cast<unsigned char>(text[n]);
        const std::size_t w = ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ? 2 : 1;
        if (n + w > size - 1)
            break;
        n += w;
    }
    std::memcpy(buffer, text.data(), std::min<std::size_t>(n, text.size()));
    buffer[n] = '\0';
}

class CrcSink : public ByteSink {
public:
    bool write(const std::uint8_t* data, std::size_t size) override
    {
        crc = crc16(crc, data, size);
        return true;
    }
    std::uint16_t crc = 0;
};

}

void setFileSystem(platform::FileSystem* fs)
{
    std::lock_guard lock(g_lock);
    g_fs = fs;
}

void setFaults(platform::FaultInjector* faults)
{
    std::lock_guard lock(g_lock);
    g_faults = faults;
}

void setProgress(Progress* progress)
{
    std::lock_guard lock(g_lock);
    g_progress = progress;
}

namespace {

void tell(Session& s, Note note)
{
    s.say(noteLine(note));
    if (s.progress)
        s.progress->told(note);
    s.notes.push_back(std::move(note));
}

}

int Session::fail(int code, u16view what, u16view why)
{
    Note note{NoteKind::Failed, shownText(what), u16(why), code};
    if (!firstFailure)
        firstFailure = note;
    tell(*this, std::move(note));
    return code;
}

int Session::fail(int code, u16view what, const platform::Error& error)
{
    if (!firstFailure)
        firstError = error;
    return fail(code, what, platform::reasonText(error));
}

void Session::leftAlone(NoteKind kind, u16view what, u16view why, int code)
{
    tell(*this, Note{kind, shownText(what), u16(why), code});
}

std::ptrdiff_t RangeSource::read(std::uint8_t* data, std::size_t count)
{
    if (m_left == 0)
        return 0;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count, m_left));
    const std::ptrdiff_t got = m_src.readAt(m_offset, data, n);
    if (got <= 0) {
        m_failed = true;
        return -1;
    }
    m_offset += static_cast<std::uint64_t>(got);
    m_left -= static_cast<std::uint64_t>(got);
    return got;
}

int writeErrorCode(const platform::Error& e)
{
    switch (e.kind) {
    case platform::ErrorKind::DiskFull:
        return kErrDiskSpace;
    case platform::ErrorKind::ReadOnly:
        return kErrReadOnly;
    default:
        return kErrCannotWrite;
    }
}

int readAllHeaders(ArchiveSource& src, std::vector<MemberHeader>& out)
{
    std::uint64_t offset = 0;
    for (;;) {
        HeaderRead r = readHeader(src, offset);
        if (r.kind == HeaderRead::Kind::EndMark)
            return kOk;
        if (r.kind == HeaderRead::Kind::Error)
            return r.error;
        offset = r.header.endOffset();
        out.push_back(std::move(r.header));
    }
}

RunResult run(u16view commandLine)
{
    std::lock_guard lock(g_lock);
    Session s{fileSystem(), platform::ArchiveIo(g_faults), {}};
    s.progress = g_progress;
    RunResult out;
    out.code = kErrCommandName;
    const ParsedCommand parsed = parseCommandLine(commandLine);
    if (parsed.error) {
        s.fail(parsed.error, u"コマンド", u"この形式のコマンドラインは受け付けません");
    } else if (parsed.line.command == Command::Update) {
        out.code = runUpdate(s, parsed.line);
    } else {
        out.code = runExtract(s, parsed.line);
    }
    if (s.firstFailure) {
        out.member = std::move(s.firstFailure->name);
        out.reason = std::move(s.firstFailure->reason);
        out.error = s.firstError;
    }
    out.notes = std::move(s.notes);
    out.lines = std::move(s.report);
    return out;
}

bool checkArchive(Session& s, const std::string& host, bool decodeAll)
{
    auto file = s.io.openInput(host);
    if (!file)
        return false;
    FileSource src(**file);
    std::uint64_t offset = 0;
    for (int n = 0; decodeAll || n < 3; ++n) {
        HeaderRead r = readHeader(src, offset);
        if (r.kind == HeaderRead::Kind::EndMark)
            return n > 0 || src.size() == 1;
        if (r.kind == HeaderRead::Kind::Error)
            return false;
        const MemberHeader& h = r.header;
        if (decodeAll && !h.isDirectory()) {
            RangeSource data(src, h.dataOffset(), h.compressedSize);
            CrcSink sink;
            const char* m = h.method.data();
            if (std::memcmp(m, "-lh0-", 5) == 0) {
                if (h.compressedSize != h.originalSize)
                    return false;
                std::vector<std::uint8_t> buf(1 << 16);
                for (std::ptrdiff_t got; (got = data.read(buf.data(), buf.size())) > 0;)
                    sink.write(buf.data(), static_cast<std::size_t>(got));
                if (data.failed())
                    return false;
            } else if (decodableMethod(m)) {
                if (decodeMember(m, data, h.compressedSize, h.originalSize, sink) != DecodeStatus::Ok)
                    return false;
            } else {
                return false;
            }
            if (sink.crc != h.dataCrc)
                return false;
        }
        offset = h.endOffset();
    }
    return true;
}

}

using namespace sorvik;

extern "C" int Unlha(void* /*hwnd*/, const char* cmdLine, char* outputBuffer, unsigned long bufferSize)
{
    lha::RunResult result = lha::run(cmdLine ? platform::decodeCp932(cmdLine) : u16());
    if (result.code == lha::kOk && result.lines.empty())
        result.lines.push_back(u"完了");
    lha::copyReport(lha::reportBytes(result.lines), outputBuffer, bufferSize);
    return result.code;
}

extern "C" int UnlhaCheckArchive(const char* path, int mode)
{
    std::lock_guard lock(lha::g_lock);
    if (!path)
        return 0;
    lha::Session s{lha::fileSystem(), platform::ArchiveIo(lha::g_faults), {}};
    const auto host = s.fs.hostPath(platform::decodeCp932(path));
    if (!host)
        return 0;
    return lha::checkArchive(s, *host, mode == 2) ? 1 : 0;
}

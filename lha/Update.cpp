#include "lha/Crc16.h"
#include "lha/ErrorCodes.h"
#include "lha/LzEncoder.h"
#include "lha/MemberPath.h"
#include "lha/Session.h"

#include <cstring>

namespace sorvik::lha {

namespace {

constexpr std::size_t kChunk = 1 << 18;

// Appends compressed bytes to the temporary archive; refuses to go on once
// they are no smaller than the original, which then is stored instead.
class ArchiveSink : public ByteSink {
public:
    ArchiveSink(platform::TempOutput& out, std::uint64_t limit) : m_out(out), m_limit(limit) {}
    bool write(const std::uint8_t* data, std::size_t size) override
    {
        m_written += size;
        if (m_written >= m_limit) {
            tooBig = true;
            return false;
        }
        const platform::Status st = m_out.write(data, size);
        if (!st) {
            error = st.error();
            failed = true;
        }
        return !failed;
    }
    bool tooBig = false;
    bool failed = false;
    platform::Error error;

private:
    platform::TempOutput& m_out;
    std::uint64_t m_limit;
    std::uint64_t m_written = 0;
};

struct FileToAdd {
    std::string host;
    u16 shown;               // the stored path as reports show it
    std::string directory;   // code page 932, "dir\xFF" parts
    std::string name;
    platform::EntryFacts facts;
};

bool isAbsolute(u16view p)
{
    return (!p.empty() && (p[0] == u'\\' || p[0] == u'/')) || p.find(u':') != u16view::npos;
}

// The stored name (and with -x1 the directories) of the file argument.
int storedName(Session& s, const CommandLine& line, FileToAdd& f)
{
    std::vector<u16> parts;
    u16 part;
    for (std::size_t i = 0; i <= line.file.size(); ++i) {
        if (i == line.file.size() || line.file[i] == u'\\' || line.file[i] == u'/') {
            if (part == u"..")
                return s.fail(kErrInvalidPath, line.file, u"親ディレクトリを指す名前は格納できません");
            if (!part.empty() && part != u".")
                parts.push_back(part);
            part.clear();
        } else {
            part.push_back(line.file[i]);
        }
    }
    if (parts.empty() || isAbsolute(line.file))
        return s.fail(kErrInvalidPath, line.file, u"基準ディレクトリからの相対パスではありません");
    if (line.stored == StoredPath::NameOnly)
        parts.erase(parts.begin(), parts.end() - 1);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const auto bytes = platform::encodeCp932(parts[i]);
        if (!bytes)
            return s.fail(kErrInvalidPath, line.file, u"コードページ932で表せない名前です");
        if (i + 1 < parts.size()) {
            f.directory += *bytes + '\xFF';
            f.shown += parts[i] + u'\\';
        } else {
            f.name = *bytes;
            f.shown += parts[i];
        }
    }
    return kOk;
}

// Copies bytes [from, to) of the old archive into the new one as they are.
int copyRange(Session& s, u16view archive, ArchiveSource& src, platform::TempOutput& out, std::uint64_t from,
    std::uint64_t to, std::vector<std::uint8_t>& buf)
{
    while (from < to) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(buf.size(), to - from));
        const std::ptrdiff_t got = src.readAt(from, buf.data(), n);
        if (got <= 0)
            return s.fail(kErrCannotRead, archive, u"読み込めません");
        if (!s.advanced(0))
            return s.fail(kErrUserCancel, archive, u"中止しました");
        if (const platform::Status st = out.write(buf.data(), static_cast<std::size_t>(got)); !st)
            return s.fail(writeErrorCode(st.error()), archive, st.error());
        from += static_cast<std::uint64_t>(got);
    }
    return kOk;
}

// Writes the header and data of the new member at the end of `out`.
int writeMember(Session& s, const FileToAdd& f, platform::TempOutput& out, std::vector<std::uint8_t>& buf)
{
    auto input = s.io.openInput(f.host);
    if (!input)
        return s.fail(kErrCannotRead, f.shown, input.error());
    NewMember m;
    m.directory = f.directory;
    m.name = f.name;
    m.unixTime = (*input)->mtime();
    m.largeSizes = (*input)->size() >= 0xFFFFFFFFull;
    const std::string placeholder = writeLevel2Header(m);
    if (placeholder.empty())
        return s.fail(kErrInvalidPath, f.shown, u"名前が長すぎます");
    const std::uint64_t headerAt = out.size();
    if (const platform::Status st = out.write(placeholder.data(), placeholder.size()); !st)
        return s.fail(writeErrorCode(st.error()), f.shown, st.error());
    const std::uint64_t dataAt = out.size();

    // Reads the whole file through `take`; false after a read error.
    auto readAll = [&](auto&& take) {
        std::uint64_t offset = 0;
        for (;;) {
            const std::ptrdiff_t got = (*input)->readAt(offset, buf.data(), buf.size());
            if (got < 0)
                return false;
            if (got == 0)
                return true;
            offset += static_cast<std::uint64_t>(got);
            if (!take(buf.data(), static_cast<std::size_t>(got)))
                return true;
        }
    };

    std::uint64_t size = 0;
    std::uint16_t crc = 0;
    bool cancelled = false;
    bool stored = (*input)->size() == 0;
    if (!stored) {
        ArchiveSink sink(out, (*input)->size());
        LzEncoder encoder(sink);
        const bool readOk = readAll([&](const std::uint8_t* p, std::size_t n) {
            size += n;
            crc = crc16(crc, p, n);
            encoder.write(p, n);
            cancelled = !s.advanced(n);
            return encoder.ok() && !cancelled;
        });
        if (cancelled)
            return s.fail(kErrUserCancel, f.shown, u"中止しました");
        if (!readOk)
            return s.fail(kErrCannotRead, f.shown, (*input)->lastError());
        if (encoder.ok())
            encoder.finish();
        if (sink.failed)
            return s.fail(writeErrorCode(sink.error), f.shown, sink.error);
        stored = sink.tooBig || out.size() - dataAt >= size;
    }
    if (stored) {
        // Incompressible (or empty): the bytes as they are. The progress has
        // counted them once already; this pass only asks whether to go on.
        if (const platform::Status st = out.truncate(dataAt); !st)
            return s.fail(writeErrorCode(st.error()), f.shown, st.error());
        const bool counted = size != 0;
        size = 0;
        crc = 0;
        platform::Status wst;
        const bool readOk = readAll([&](const std::uint8_t* p, std::size_t n) {
            size += n;
            crc = crc16(crc, p, n);
            wst = out.write(p, n);
            cancelled = !s.advanced(counted ? 0 : n);
            return bool(wst) && !cancelled;
        });
        if (cancelled)
            return s.fail(kErrUserCancel, f.shown, u"中止しました");
        if (!wst)
            return s.fail(writeErrorCode(wst.error()), f.shown, wst.error());
        if (!readOk)
            return s.fail(kErrCannotRead, f.shown, (*input)->lastError());
    }
    if (!m.largeSizes && size >= 0xFFFFFFFFull)
        return s.fail(kErrCannotRead, f.shown, u"読み込み中にファイルが大きくなりました");
    std::memcpy(m.method.data(), stored ? "-lh0-" : "-lh5-", 5);
    m.originalSize = size;
    m.compressedSize = out.size() - dataAt;
    m.dataCrc = crc;
    const std::string header = writeLevel2Header(m);
    if (const platform::Status st = out.writeAt(headerAt, header.data(), header.size()); !st)
        return s.fail(writeErrorCode(st.error()), f.shown, st.error());
    return kOk;
}

std::pair<std::string, std::string> splitHost(const std::string& host)
{
#ifdef _WIN32
    // "C:\dir\name"; the root keeps its separator ("C:" alone is that
    // drive's current directory).
    const std::size_t slash = host.find_last_of("\\/");
    if (slash == std::string::npos)
        return {".", host};
    const bool root = slash == 2 && host[1] == ':';
    return {host.substr(0, root ? 3 : slash), host.substr(slash + 1)};
#else
    const std::size_t slash = host.rfind('/');
    if (slash == std::string::npos)
        return {".", host};
    return {slash == 0 ? "/" : host.substr(0, slash), host.substr(slash + 1)};
#endif
}

}

int runUpdate(Session& s, const CommandLine& line)
{
    FileToAdd f;
    if (int e = storedName(s, line, f))
        return e;
    const auto archiveHost = s.fs.hostPath(line.archive);
    const auto fileHost = s.fs.hostPath(line.directory + line.file);
    if (!archiveHost || !fileHost)
        return s.fail(kErrInvalidPath, line.archive, u"ドライブがありません");
    f.host = *fileHost;
    auto facts = s.io.facts(f.host);
    if (!facts || facts->type != platform::EntryType::File)
        return s.fail(kErrNotExist, f.shown, u"ファイルがありません");
    f.facts = *facts;

    auto archiveFacts = s.io.facts(*archiveHost);
    if (!archiveFacts)
        return s.fail(kErrArchiveOpen, line.archive, archiveFacts.error());
    const bool exists = archiveFacts->type != platform::EntryType::Missing;
    if (exists && archiveFacts->type != platform::EntryType::File)
        return s.fail(kErrArchiveOpen, line.archive, u"通常のファイルではありません");
    if (exists && archiveFacts->readOnly)
        return s.fail(kErrReadOnly, line.archive, u"読み取り専用です");

    std::unique_ptr<platform::InputFile> old;
    std::unique_ptr<FileSource> src;
    std::vector<MemberHeader> members;
    std::size_t replace = SIZE_MAX;
    if (exists) {
        auto opened = s.io.openInput(*archiveHost);
        if (!opened)
            return s.fail(kErrArchiveOpen, line.archive, opened.error());
        old = std::move(*opened);
        src = std::make_unique<FileSource>(*old);
        if (int e = readAllHeaders(*src, members))
            return s.fail(e == kErrNoEndMark || e == kErrHeaderBroken ? kErrNotArchive : e, line.archive,
                u"書庫として読めません");
        const u16 wanted = platform::toUpper(f.shown);
        for (std::size_t i = 0; i < members.size(); ++i)
            if (platform::toUpper(memberText(members[i].path)) == wanted)
                replace = i;
        if (replace != SIZE_MAX && f.facts.mtime <= members[replace].unixTime) {
            s.leftAlone(NoteKind::KeptNewerMember, f.shown, u"書庫の方が新しいか同じなので更新しません");
            return kOk;
        }
    }

    const auto [dirHost, archiveName] = splitHost(*archiveHost);
    auto dir = s.io.openDirectory(dirHost, platform::CreateDir::No);
    if (!dir)
        return s.fail(kErrTempOpen, line.archive, dir.error());
    auto temp = (*dir)->createTemp();
    if (!temp)
        return s.fail(temp.error().kind == platform::ErrorKind::DiskFull ? kErrDiskSpace : kErrTempOpen, line.archive,
            temp.error());
    platform::TempOutput& out = **temp;
    std::vector<std::uint8_t> buf(kChunk);
    s.begin(1, f.facts.size);
    s.startMember(shownText(f.shown), f.facts.size);
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (i == replace) {
            if (int e = writeMember(s, f, out, buf))
                return e;
        } else if (int e = copyRange(s, line.archive, *src, out, members[i].offset, members[i].endOffset(), buf)) {
            return e;
        }
    }
    if (replace == SIZE_MAX)
        if (int e = writeMember(s, f, out, buf))
            return e;
    const char endMark = 0;
    if (const platform::Status st = out.write(&endMark, 1); !st)
        return s.fail(writeErrorCode(st.error()), line.archive, st.error());
    // Everything of the old archive is read: it is closed before the new one
    // replaces it, since Windows renames nothing over a file still open.
    src.reset();
    old.reset();
    if (const platform::Status st = out.commit(archiveName, std::nullopt, platform::SyncMode::Always); !st)
        return s.fail(writeErrorCode(st.error()), line.archive, st.error());
    s.memberDone();
    s.say(shownText(f.shown) + (replace == SIZE_MAX ? u": 追加しました" : u": 更新しました"));
    return kOk;
}

}

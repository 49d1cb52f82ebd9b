#include "lha/Crc16.h"
#include "lha/ErrorCodes.h"
#include "lha/LzDecoder.h"
#include "lha/MemberPath.h"
#include "lha/Session.h"

#include <cerrno>
#include <cstring>

namespace sorvik::lha {

namespace {

// Decoded bytes into the temporary file, with their CRC.
class FileSink : public ByteSink {
public:
    FileSink(Session& s, platform::TempOutput& out) : m_s(s), m_out(out) {}
    bool write(const std::uint8_t* data, std::size_t size) override
    {
        crc = crc16(crc, data, size);
        const platform::Status st = m_out.write(data, size);
        if (!st) {
            error = st.error();
            return false;
        }
        written += size;
        cancelled = !m_s.advanced(size);
        return !cancelled;
    }
    std::uint16_t crc = 0;
    std::uint64_t written = 0;
    bool cancelled = false;
    std::optional<platform::Error> error;

private:
    Session& m_s;
    platform::TempOutput& m_out;
};

bool isLinkMember(const MemberHeader& h)
{
    if (h.unixMode && (*h.unixMode & 0xF000) == 0xA000)
        return true;
    return h.isDirectory() && h.path.find('|') != std::string::npos;
}

// A refused path component: a link or a file where a directory should be.
bool blockedByEntry(const platform::Error& e)
{
    return e.code == ELOOP || e.code == ENOTDIR || e.code == EMLINK;
}

class Extractor {
public:
    Extractor(Session& s, ArchiveSource& src, platform::DirHandle& dest, bool flat)
        : m_s(s), m_src(src), m_dest(dest), m_flat(flat), m_buf(1 << 18)
    {
    }

    // The code of this member (0 when done or kept).
    int member(const MemberHeader& h);

private:
    int place(const MemberHeader& h);
    int writeFile(const MemberHeader& h, platform::DirHandle& dir, const std::string& name, const u16& shown);
    int copyStored(const MemberHeader& h, FileSink& sink, RangeSource& data, const u16& shown);

    Session& m_s;
    ArchiveSource& m_src;
    platform::DirHandle& m_dest;
    bool m_flat;
    std::vector<std::uint8_t> m_buf;
    std::uint64_t m_memberBytes = 0;   // of the current member, told to the progress
};

int Extractor::member(const MemberHeader& h)
{
    if (h.isDirectory())
        return place(h);
    m_s.startMember(displayPath(h.path), h.originalSize);
    m_memberBytes = 0;
    const int code = place(h);
    if (code == kErrUserCancel)
        return code;
    // A member kept or refused counts as done all the same.
    if (m_memberBytes < h.originalSize && !m_s.advanced(h.originalSize - m_memberBytes))
        return m_s.fail(kErrUserCancel, displayPath(h.path), u"中止しました");
    m_s.memberDone();
    return code;
}

int Extractor::place(const MemberHeader& h)
{
    const u16 shown = displayPath(h.path);
    if (isLinkMember(h)) {
        m_s.leftAlone(NoteKind::SkippedLink, shown, u"リンクは展開しません");
        return kOk;
    }
    const char* m = h.method.data();
    const bool stored = std::memcmp(m, "-lh0-", 5) == 0;
    if (!h.isDirectory() && !stored && !decodableMethod(m))
        return m_s.fail(kErrMethod, shown, u"対応していない圧縮方式です");
    std::vector<u16> parts = memberComponents(h.path);
    if (parts.empty())
        return m_s.fail(kErrInvalidPath, shown, whyRefused(h.path));
    if (h.isDirectory() && m_flat)
        return kOk;
    if (m_flat)
        parts.erase(parts.begin(), parts.end() - 1);

    std::vector<std::string> host;
    for (const u16& p : parts) {
        host.push_back(hostComponent(p));
        if (host.back().empty())
            return m_s.fail(kErrInvalidPath, shown, u"この名前は作れません");
    }
    // Directory by directory below the destination, never through a link.
    std::unique_ptr<platform::DirHandle> owned;
    platform::DirHandle* dir = &m_dest;
    const std::size_t dirCount = h.isDirectory() ? host.size() : host.size() - 1;
    for (std::size_t i = 0; i < dirCount; ++i) {
        auto next = dir->child(host[i], platform::CreateDir::IfMissing);
        if (!next) {
            if (blockedByEntry(next.error()))
                return m_s.fail(kErrInvalidPath, shown, u"途中にリンクかファイルがあります");
            return m_s.fail(next.error().kind == platform::ErrorKind::DiskFull ? kErrDiskSpace : kErrMakeDirectory,
                shown, next.error());
        }
        owned = std::move(*next);
        dir = owned.get();
    }
    if (h.isDirectory())
        return kOk;
    return writeFile(h, *dir, host.back(), shown);
}

int Extractor::copyStored(const MemberHeader& h, FileSink& sink, RangeSource& data, const u16& shown)
{
    if (h.compressedSize != h.originalSize)
        return m_s.fail(kErrHeaderBroken, shown, u"格納サイズと元のサイズが違います");
    for (;;) {
        const std::ptrdiff_t got = data.read(m_buf.data(), m_buf.size());
        if (got < 0)
            return m_s.fail(kErrCannotRead, shown, u"書庫を読み込めません");
        if (got == 0)
            return kOk;
        if (!sink.write(m_buf.data(), static_cast<std::size_t>(got)))
            return sink.cancelled ? m_s.fail(kErrUserCancel, shown, u"中止しました")
                                  : m_s.fail(writeErrorCode(*sink.error), shown, *sink.error);
    }
}

int Extractor::writeFile(const MemberHeader& h, platform::DirHandle& dir, const std::string& name, const u16& shown)
{
    auto existing = dir.entry(name);
    if (!existing)
        return m_s.fail(kErrCannotWrite, shown, existing.error());
    switch (existing->type) {
    case platform::EntryType::Missing:
        break;
    case platform::EntryType::File:
        if (existing->mtime > h.unixTime) {
            m_s.leftAlone(NoteKind::KeptNewerFile, shown, u"既存のファイルの方が新しいので残しました", kErrMoreFresh);
            return kOk;
        }
        if (existing->readOnly)
            return m_s.fail(kErrReadOnly, shown, u"既存のファイルが読み取り専用です");
        break;
    case platform::EntryType::Link:
        return m_s.fail(kErrInvalidPath, shown, u"既存のリンクには書き込みません");
    default:
        return m_s.fail(kErrCannotWrite, shown, u"同じ名前のディレクトリなどがあります");
    }

    auto temp = dir.createTemp();
    if (!temp)
        return m_s.fail(
            temp.error().kind == platform::ErrorKind::DiskFull ? kErrDiskSpace : kErrTempOpen, shown, temp.error());
    FileSink sink(m_s, **temp);
    RangeSource data(m_src, h.dataOffset(), h.compressedSize);
    // Whatever happens below, the bytes written so far count as done.
    struct Count {
        std::uint64_t& total;
        const FileSink& sink;
        ~Count() { total += sink.written; }
    } count{m_memberBytes, sink};
    if (std::memcmp(h.method.data(), "-lh0-", 5) == 0) {
        if (int e = copyStored(h, sink, data, shown))
            return e;
    } else {
        switch (decodeMember(h.method.data(), data, h.compressedSize, h.originalSize, sink)) {
        case DecodeStatus::Ok:
            break;
        case DecodeStatus::BrokenData:
            return m_s.fail(kErrBrokenData, shown, u"圧縮データが壊れています");
        case DecodeStatus::ReadError:
            return m_s.fail(kErrCannotRead, shown, u"書庫を読み込めません");
        case DecodeStatus::WriteError:
            if (sink.cancelled)
                return m_s.fail(kErrUserCancel, shown, u"中止しました");
            return m_s.fail(writeErrorCode(*sink.error), shown, *sink.error);
        }
    }
    if (sink.crc != h.dataCrc)
        return m_s.fail(kErrFileCrc, shown, u"CRC が一致しません");
    const platform::Status st = (*temp)->commit(name, h.unixTime, platform::SyncMode::WhenReplacing);
    if (!st) {
        if (st.error().kind == platform::ErrorKind::NotRegular)
            return m_s.fail(kErrInvalidPath, shown, u"既存のリンクには書き込みません");
        return m_s.fail(writeErrorCode(st.error()), shown, st.error());
    }
    return kOk;
}

}

int runExtract(Session& s, const CommandLine& line)
{
    const auto archiveHost = s.fs.hostPath(line.archive);
    const auto destHost = s.fs.hostPath(line.directory);
    if (!archiveHost || !destHost)
        return s.fail(kErrInvalidPath, line.archive, u"ドライブがありません");
    auto file = s.io.openInput(*archiveHost);
    if (!file)
        return s.fail(kErrArchiveOpen, line.archive, file.error());
    FileSource src(**file);
    auto dest = s.io.openDirectory(*destHost, platform::CreateDir::IfMissing);
    if (!dest)
        return s.fail(kErrMakeDirectory, line.directory, dest.error());

    if (s.progress) {
        // The totals of the members a first look at the headers finds.
        int files = 0;
        std::uint64_t bytes = 0;
        std::uint64_t at = 0;
        for (HeaderRead r; (r = readHeader(src, at)).kind == HeaderRead::Kind::Member; at = r.header.endOffset()) {
            if (!r.header.isDirectory()) {
                ++files;
                bytes += r.header.originalSize;
            }
        }
        s.begin(files, bytes);
    }
    Extractor extractor(s, src, **dest, line.command == Command::ExtractFlat);
    int first = kOk;
    std::uint64_t offset = 0;
    int members = 0;
    for (;;) {
        HeaderRead r = readHeader(src, offset);
        if (r.kind == HeaderRead::Kind::EndMark)
            break;
        if (r.kind == HeaderRead::Kind::Error) {
            // Bytes that are no header at all: not an archive; else the header's own fault.
            const bool garbage = members == 0 && (r.error == kErrHeaderBroken || r.error == kErrNoEndMark);
            const int code = garbage ? kErrNotArchive : r.error;
            s.fail(code, line.archive, members == 0 ? u"書庫として読めません" : u"ヘッダーが壊れています");
            if (first == kOk)
                first = code;
            break;
        }
        ++members;
        const int code = extractor.member(r.header);
        if (code != kOk && first == kOk)
            first = code;
        if (code == kErrDiskSpace || code == kErrUserCancel)
            break;   // every further file would fail the same way, or the user stopped
        offset = r.header.endOffset();
    }
    if (first == kOk)
        s.say(u"展開しました");
    return first;
}

}

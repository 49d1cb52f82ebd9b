#include "lha/Header.h"

#include "lha/Crc16.h"
#include "lha/ErrorCodes.h"

#include <cstring>
#include <ctime>
#include <vector>

namespace sorvik::lha {

namespace {

std::uint32_t le16(const std::uint8_t* p)
{
    return p[0] | (p[1] << 8);
}
std::uint32_t le32(const std::uint8_t* p)
{
    return le16(p) | (le16(p + 2) << 16);
}
std::uint64_t le64(const std::uint8_t* p)
{
    return le32(p) | (std::uint64_t(le32(p + 4)) << 32);
}

void put16(std::string& s, std::uint32_t v)
{
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void put32(std::string& s, std::uint32_t v)
{
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}
void put64(std::string& s, std::uint64_t v)
{
    put32(s, static_cast<std::uint32_t>(v));
    put32(s, static_cast<std::uint32_t>(v >> 32));
}

HeaderRead fail(int code)
{
    HeaderRead r;
    r.kind = HeaderRead::Kind::Error;
    r.error = code;
    return r;
}

// Reads exactly `count` bytes at `offset`, appending them to `out`.
int readExact(ArchiveSource& src, std::uint64_t offset, std::size_t count, std::vector<std::uint8_t>& out)
{
    if (offset > src.size() || src.size() - offset < count)
        return kErrUnexpectedEof;
    const std::size_t at = out.size();
    out.resize(at + count);
    std::size_t done = 0;
    while (done < count) {
        const std::ptrdiff_t got = src.readAt(offset + done, out.data() + at + done, count - done);
        if (got < 0)
            return kErrCannotRead;
        if (got == 0)
            return kErrUnexpectedEof;
        done += static_cast<std::size_t>(got);
    }
    return kOk;
}

bool plausibleMethod(const std::uint8_t* m)
{
    return m[0] == '-' && m[4] == '-' && m[1] == 'l';
}

struct ExtState {
    std::string name, directory;
    std::optional<std::size_t> crcAt;   // offset of the header CRC field in the header bytes
};

// One extended header: type byte, then `size` data bytes.
void takeExtension(MemberHeader& h, ExtState& st, const std::uint8_t* p, std::size_t size, std::size_t at)
{
    const std::uint8_t type = p[0];
    const std::uint8_t* d = p + 1;
    switch (type) {
    case 0x00:
        if (size >= 2)
            st.crcAt = at + 1;
        break;
    case 0x01:
        st.name.assign(reinterpret_cast<const char*>(d), size);
        break;
    case 0x02:
        st.directory.assign(reinterpret_cast<const char*>(d), size);
        break;
    case 0x42:
        if (size >= 16) {
            h.compressedSize = le64(d);
            h.originalSize = le64(d + 8);
        }
        break;
    case 0x50:
        if (size >= 2)
            h.unixMode = static_cast<std::uint16_t>(le16(d));
        break;
    case 0x54:
        if (size >= 4)
            h.unixTime = static_cast<std::int64_t>(le32(d));
        break;
    default:
        break;
    }
}

// Walks extended headers that start with a 2-byte size at `at` in `bytes`;
// with a source, reads each one first (level 1 keeps them outside its
// header size). Returns an error code.
int walkExtensions(MemberHeader& h, ExtState& st, std::vector<std::uint8_t>& bytes, std::size_t at, ArchiveSource* src,
    std::uint64_t base, std::uint64_t limit)
{
    std::uint32_t next = le16(bytes.data() + at);
    at += 2;
    while (next != 0) {
        if (next < 3)
            return kErrHeaderBroken;
        if (src) {
            if (bytes.size() + next > limit)
                return kErrHeaderBroken;
            if (int e = readExact(*src, base + bytes.size(), next, bytes))
                return e;
        } else if (at + next > bytes.size()) {
            return kErrHeaderBroken;
        }
        takeExtension(h, st, bytes.data() + at, next - 3, at);
        at += next;
        next = le16(bytes.data() + at - 2);
    }
    return kOk;
}

std::uint8_t byteSum(const std::uint8_t* p, std::size_t n)
{
    unsigned s = 0;
    for (std::size_t i = 0; i < n; ++i)
        s += p[i];
    return static_cast<std::uint8_t>(s);
}

int checkHeaderCrc(std::vector<std::uint8_t>& bytes, const ExtState& st)
{
    if (!st.crcAt)
        return kOk;
    const std::uint16_t stored = static_cast<std::uint16_t>(le16(bytes.data() + *st.crcAt));
    bytes[*st.crcAt] = bytes[*st.crcAt + 1] = 0;
    const std::uint16_t actual = crc16(0, bytes.data(), bytes.size());
    return actual == stored ? kOk : kErrHeaderCrc;
}

}

HeaderRead readHeader(ArchiveSource& src, std::uint64_t offset)
{
    if (offset >= src.size())
        return fail(kErrNoEndMark);
    std::vector<std::uint8_t> b;
    if (int e = readExact(src, offset, 1, b))
        return fail(e);
    if (b[0] == 0) {
        HeaderRead r;
        r.kind = HeaderRead::Kind::EndMark;
        return r;
    }
    if (int e = readExact(src, offset + 1, 21, b))
        return fail(e);
    if (!plausibleMethod(b.data() + 2))
        return fail(kErrHeaderBroken);

    MemberHeader h;
    ExtState st;
    h.level = b[20];
    h.offset = offset;
    std::memcpy(h.method.data(), b.data() + 2, 5);
    h.compressedSize = le32(b.data() + 7);
    h.originalSize = le32(b.data() + 11);
    h.attribute = b[19];
    const std::uint64_t room = src.size() - offset;

    if (h.level == 0 || h.level == 1) {
        const std::size_t total = std::size_t(b[0]) + 2;
        if (int e = readExact(src, offset + 22, total > 22 ? total - 22 : 0, b))
            return fail(e);
        const std::size_t n = total > 21 ? b[21] : 0;
        const std::size_t minimum = 22 + n + 2 + (h.level == 1 ? 3 : 0);
        if (total < minimum)
            return fail(kErrHeaderSize);
        if (byteSum(b.data() + 2, total - 2) != b[1])
            return fail(kErrHeaderCrc);
        st.name.assign(reinterpret_cast<const char*>(b.data() + 22), n);
        h.dataCrc = static_cast<std::uint16_t>(le16(b.data() + 22 + n));
        if (total > 24 + n)
            h.osId = b[24 + n];
        h.unixTime = dosTimeToUnix(le32(b.data() + 15));
        if (h.level == 1) {
            const std::size_t before = b.size();
            if (int e = walkExtensions(h, st, b, total - 2, &src, offset, room))
                return fail(e);
            const std::uint64_t extBytes = b.size() - before;
            if (h.compressedSize < extBytes)
                return fail(kErrHeaderBroken);
            h.compressedSize -= extBytes;
            if (int e = checkHeaderCrc(b, st))
                return fail(e);
        }
    } else if (h.level == 2) {
        const std::size_t total = le16(b.data());
        if (total < 26)
            return fail(kErrHeaderSize);
        if (int e = readExact(src, offset + 22, total - 22, b))
            return fail(e);
        h.unixTime = static_cast<std::int64_t>(le32(b.data() + 15));
        h.dataCrc = static_cast<std::uint16_t>(le16(b.data() + 21));
        h.osId = b[23];
        if (int e = walkExtensions(h, st, b, 24, nullptr, 0, 0))
            return fail(e);
        if (int e = checkHeaderCrc(b, st))
            return fail(e);
    } else {
        return fail(kErrUnknownLevel);
    }

    h.headerSize = b.size();
    std::string dir = st.directory;
    if (!dir.empty() && dir.back() != '\xFF')
        dir.push_back('\xFF');
    h.path = dir + st.name;
    if (h.compressedSize > room - h.headerSize)
        return fail(kErrUnexpectedEof);
    HeaderRead r;
    r.kind = HeaderRead::Kind::Member;
    r.header = std::move(h);
    return r;
}

std::string writeLevel2Header(const NewMember& m)
{
    auto extension = [](std::string& s, std::uint8_t type, const std::string& data) {
        put16(s, static_cast<std::uint32_t>(data.size() + 3));
        s.push_back(static_cast<char>(type));
        s += data;
    };
    std::string exts;
    std::size_t crcAt = 0;
    auto build = [&](bool withTime) {
        exts.clear();
        crcAt = 24 + 3;   // after the base header and the CRC extension's size and type
        extension(exts, 0x00, std::string(2, '\0'));
        extension(exts, 0x01, m.name);
        if (!m.directory.empty())
            extension(exts, 0x02, m.directory);
        // The code page of the names, so readers that convert names (libarchive)
        // know them as Shift_JIS.
        std::string codePage;
        put32(codePage, 932);
        extension(exts, 0x46, codePage);
        if (m.largeSizes) {
            std::string sizes;
            put64(sizes, m.compressedSize);
            put64(sizes, m.originalSize);
            extension(exts, 0x42, sizes);
        }
        if (withTime) {
            std::string t;
            put32(t, static_cast<std::uint32_t>(m.unixTime));
            extension(exts, 0x54, t);
        }
    };
    build(false);
    std::size_t total = 22 + 2 + exts.size() + 2;
    if (total % 256 == 0) {
        build(true);   // seven more bytes; never padding, which some readers reject
        total = 22 + 2 + exts.size() + 2;
    }
    if (total > 0xFFFF)
        return {};

    std::string h;
    put16(h, static_cast<std::uint32_t>(total));
    h.append(m.method.data(), 5);
    put32(h, m.largeSizes ? 0xFFFFFFFFu : static_cast<std::uint32_t>(m.compressedSize));
    put32(h, m.largeSizes ? 0xFFFFFFFFu : static_cast<std::uint32_t>(m.originalSize));
    put32(h, static_cast<std::uint32_t>(m.unixTime));
    h.push_back(0x20);
    h.push_back(2);
    put16(h, m.dataCrc);
    h.push_back(static_cast<char>(kOurOsId));
    h += exts;
    put16(h, 0);
    const std::uint16_t crc = crc16(0, h.data(), h.size());
    h[crcAt] = static_cast<char>(crc & 0xFF);
    h[crcAt + 1] = static_cast<char>(crc >> 8);
    return h;
}

std::int64_t dosTimeToUnix(std::uint32_t t)
{
    std::tm tm{};
    tm.tm_year = static_cast<int>((t >> 25) & 0x7F) + 80;
    tm.tm_mon = static_cast<int>((t >> 21) & 0x0F) - 1;
    tm.tm_mday = static_cast<int>((t >> 16) & 0x1F);
    tm.tm_hour = static_cast<int>((t >> 11) & 0x1F);
    tm.tm_min = static_cast<int>((t >> 5) & 0x3F);
    tm.tm_sec = static_cast<int>(t & 0x1F) * 2;
    tm.tm_isdst = -1;
    const std::time_t u = std::mktime(&tm);
    return u == static_cast<std::time_t>(-1) ? 0 : static_cast<std::int64_t>(u);
}

}

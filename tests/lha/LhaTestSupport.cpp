#include "tests/lha/LhaTestSupport.h"

#include "lha/Crc16.h"
#include "lha/LzDecoder.h"
#include "lha/LzEncoder.h"
#include "lha/Session.h"
#include "lha/Unlha.h"

#include <cstdlib>
#include <cstring>
#include <random>
#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace sorvik::test {

namespace {

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

std::string packed(const RawMember& m)
{
    if (m.method == "-lh5-")
        return compressLh5(m.data);
    return m.data;
}

// The level 0/1 base header from its size byte on, without the checksum.
std::string baseHeader(const RawMember& m, std::uint32_t skip, std::uint32_t dosTime, int level)
{
    std::string h;
    h.push_back(0);   // size, set by the caller
    h.push_back(0);   // checksum
    h += m.method;
    put32(h, skip);
    put32(h, static_cast<std::uint32_t>(m.data.size()));
    put32(h, dosTime);
    h.push_back(0x20);
    h.push_back(static_cast<char>(level));
    h.push_back(static_cast<char>(m.name.size()));
    h += m.name;
    put16(h, crcOf(m.data));
    return h;
}

std::uint8_t sum(const std::string& s, std::size_t from, std::size_t to)
{
    unsigned v = 0;
    for (std::size_t i = from; i < to; ++i)
        v += static_cast<std::uint8_t>(s[i]);
    return static_cast<std::uint8_t>(v);
}

}

std::string compressLh5(const std::string& plain)
{
    StringSink sink;
    lha::LzEncoder enc(sink);
    enc.write(reinterpret_cast<const std::uint8_t*>(plain.data()), plain.size());
    enc.finish();
    return sink.out;
}

std::optional<std::string> decompress(const std::string& data, std::uint64_t originalSize, unsigned windowBits)
{
    StringSource src(data);
    StringSink sink;
    if (lha::decodeLz(src, data.size(), originalSize, windowBits, sink) != lha::DecodeStatus::Ok)
        return std::nullopt;
    return sink.out;
}

std::string randomBytes(std::size_t n, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s)
        c = static_cast<char>(rng() & 0xFF);
    return s;
}

std::string textLike(std::size_t n, std::uint32_t seed)
{
    static const char* words[] = {"archive ", "member ", "header ", "window ", "the ", "of ", "and ", "file ",
        "directory ", "Sorvik ", "code ", "page ", "932 ", "\r\n", "table ", "cursor "};
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < n) {
        s += words[rng() % 16];
        if (rng() % 50 == 0)
            s += std::to_string(rng());
    }
    s.resize(n);
    return s;
}

std::uint16_t crcOf(const std::string& bytes)
{
    return lha::crc16(0, bytes.data(), bytes.size());
}

std::string level2Member(const RawMember& m)
{
    const std::string data = packed(m);
    // The library's writer, given raw bytes: hostile names go in unchecked.
    lha::NewMember nm;
    nm.name = m.name;
    nm.directory = m.directory;
    std::memcpy(nm.method.data(), m.method.data(), 5);
    nm.compressedSize = data.size();
    nm.originalSize = m.data.size();
    nm.unixTime = m.unixTime;
    nm.dataCrc = crcOf(m.data);
    std::string h = lha::writeLevel2Header(nm);
    if (m.unixMode != 0) {
        // Insert a 0x50 extension before the terminating size and redo the CRC.
        h.resize(h.size() - 2);
        put16(h, 5);
        h.push_back(0x50);
        put16(h, m.unixMode);
        put16(h, 0);
        h[0] = static_cast<char>(h.size() & 0xFF);
        h[1] = static_cast<char>(h.size() >> 8);
        h[27] = h[28] = 0;
        const std::uint16_t crc = crcOf(h);
        h[27] = static_cast<char>(crc & 0xFF);
        h[28] = static_cast<char>(crc >> 8);
    }
    return h + data;
}

std::string withLevel2Field(std::string member, std::size_t at, std::uint16_t value)
{
    member[at] = static_cast<char>(value & 0xFF);
    member[at + 1] = static_cast<char>(value >> 8);
    const std::size_t size = static_cast<unsigned char>(member[0]) | (static_cast<unsigned char>(member[1]) << 8);
    member[27] = member[28] = 0;   // the CRC extension comes first in our headers
    const std::uint16_t crc = crcOf(member.substr(0, size));
    member[27] = static_cast<char>(crc & 0xFF);
    member[28] = static_cast<char>(crc >> 8);
    return member;
}

std::string level0Member(const RawMember& m, std::uint32_t dosTime)
{
    const std::string data = packed(m);
    std::string h = baseHeader(m, static_cast<std::uint32_t>(data.size()), dosTime, 0);
    h[0] = static_cast<char>(h.size() - 2);
    h[1] = static_cast<char>(sum(h, 2, h.size()));
    return h + data;
}

std::string level1Member(const RawMember& m, std::uint32_t dosTime)
{
    const std::string data = packed(m);
    // Extensions after the base header: the header CRC (0x00), then MS-DOS
    // attributes (0x40); the compressed size field counts them too.
    std::string exts;
    exts.push_back(0x00);
    put16(exts, 0);   // header CRC, filled in last
    put16(exts, 5);   // size of the next extension
    exts.push_back(0x40);
    put16(exts, 0x20);
    put16(exts, 0);   // end
    const std::uint32_t skip = static_cast<std::uint32_t>(data.size() + exts.size());
    std::string h = baseHeader(m, skip, dosTime, 1);
    h.push_back('M');
    put16(h, 5);   // size of the CRC extension
    h[0] = static_cast<char>(h.size() - 2);
    h[1] = static_cast<char>(sum(h, 2, h.size()));
    const std::size_t crcAt = h.size() + 1;
    std::string all = h + exts;
    const std::uint16_t crc = crcOf(all);
    all[crcAt] = static_cast<char>(crc & 0xFF);
    all[crcAt + 1] = static_cast<char>(crc >> 8);
    return all + data;
}

std::vector<lha::MemberHeader> LhaDrives::members()
{
    MemorySource src(drives.readBytes(u"C:\\arc.lzh"));
    std::vector<lha::MemberHeader> out;
    EXPECT_EQ(lha::readAllHeaders(src, out), 0);
    return out;
}

void LhaDrives::SetUp()
{
    lha::setFileSystem(&drives.fs());
    lha::setFaults(&faults);
}

void LhaDrives::TearDown()
{
    lha::setFaults(nullptr);
    lha::setFileSystem(nullptr);
}

int LhaDrives::unlha(const std::string& commandUtf8)
{
    const auto cmd = platform::encodeCp932(fromUtf8(commandUtf8));
    if (!cmd) {
        ADD_FAILURE() << "command not in code page 932";
        return -1;
    }
    char buffer[4096];
    const int r = Unlha(nullptr, cmd->c_str(), buffer, sizeof buffer);
    report = toUtf8(platform::decodeCp932(buffer));
    return r;
}

#ifdef _WIN32
// The independent LHA readers are Linux programs run through a POSIX shell;
// the Windows build has neither, so the interoperability tests skip there.
bool haveTool(const char*)
{
    return false;
}

int shell(const std::string&)
{
    return -1;
}
#else
bool haveTool(const char* name)
{
    return shell(std::string("command -v ") + name) == 0;
}

int shell(const std::string& command)
{
    const std::string full = command + " >/dev/null 2>&1";
    const int status = std::system(full.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#endif

std::string shellQuote(const std::string& s)
{
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q.push_back(c);
    }
    return q + "'";
}

}

#pragma once

#include "lha/Stream.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sorvik::lha {

// Random access to an archive's bytes.
class ArchiveSource {
public:
    virtual ~ArchiveSource() = default;
    virtual std::uint64_t size() const = 0;
    // Bytes read at `offset` (fewer only at the end), or -1 on a read error.
    virtual std::ptrdiff_t readAt(std::uint64_t offset, std::uint8_t* data, std::size_t count) = 0;
};

// One member's header as read from an archive.
struct MemberHeader {
    int level = 2;
    std::array<char, 5> method{};
    std::uint64_t compressedSize = 0;
    std::uint64_t originalSize = 0;
    std::int64_t unixTime = 0;   // seconds since 1970, UTC
    std::uint8_t attribute = 0x20;
    std::uint8_t osId = 0;
    std::uint16_t dataCrc = 0;
    std::optional<std::uint16_t> unixMode;
    // Directory parts and name joined by 0xFF, bytes as stored; level-0/1
    // names may also hold "\" or "/".
    std::string path;
    std::uint64_t offset = 0;       // of the header in the archive
    std::uint64_t headerSize = 0;   // header bytes, including extended headers
    std::uint64_t dataOffset() const { return offset + headerSize; }
    std::uint64_t endOffset() const { return dataOffset() + compressedSize; }
    // Directory members: method -lhd-, or at level 0 the directory attribute.
    bool isDirectory() const
    {
        return std::string_view(method.data(), 5) == "-lhd-" || (level == 0 && (attribute & 0x10) && originalSize == 0);
    }
};

// Result of reading the bytes at one offset: a member, the end mark, or an
// error code of the classic range.
struct HeaderRead {
    enum class Kind { Member, EndMark, Error } kind = Kind::Error;
    int error = 0;
    MemberHeader header;
};

// Reads the header at `offset` (levels 0, 1, 2), checking the level-0/1
// checksum, the header CRC when there is one, and that the data fits in the
// file. Never allocates more than the file can hold.
HeaderRead readHeader(ArchiveSource& source, std::uint64_t offset);

// A member to write: the path is "dir1\xFFdir2\xFFname" in code page 932.
struct NewMember {
    std::string directory;   // "dir1\xFFdir2\xFF" or empty
    std::string name;
    std::array<char, 5> method{'-', 'l', 'h', '0', '-'};
    std::uint64_t compressedSize = 0;
    std::uint64_t originalSize = 0;
    std::int64_t unixTime = 0;
    std::uint16_t dataCrc = 0;
    // Sizes above 32 bits need the 64-bit size extension; decided before the
    // data is known so the header's length stays fixed.
    bool largeSizes = false;
};

// OS id we write: 'M' (MS-DOS family), since names are code page 932 and
// attributes are the Windows ones.
inline constexpr std::uint8_t kOurOsId = 'M';

// A level-2 header with the CRC extension; its total length is never a
// multiple of 256 (a leading zero byte would read as the end mark). Empty when
// the name does not fit a header.
std::string writeLevel2Header(const NewMember& member);

// MS-DOS date and time (local time, 2-second steps) to Unix time.
std::int64_t dosTimeToUnix(std::uint32_t dosTime);

}

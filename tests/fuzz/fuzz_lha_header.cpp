// The member header reader over an archive in memory. Beyond not crashing:
// - a member read is one of the levels 0, 1, 2 and its data lies inside the
//   archive, so walking the archive always moves on and ends;
// - its stored path, checked for extraction, never gives a component that
//   climbs out, names a drive or holds a separator;
// - the level-2 header our writer makes from what was read reads back as
//   the same method, sizes, time, CRC and path.

#include "tests/fuzz/FuzzSupport.h"
#include "tests/support/MemoryStreams.h"

#include "lha/Header.h"
#include "lha/MemberPath.h"

#include <cstring>

using namespace sorvik;
using test::MemorySource;

namespace {

void checkPath(const std::string& stored)
{
    for (const u16& part : lha::memberComponents(stored)) {
        FUZZ_CHECK(!part.empty());
        FUZZ_CHECK(part != u"." && part != u"..");
        FUZZ_CHECK(part.find_first_of(u"\\/:") == u16::npos);
        FUZZ_CHECK(part.find_first_not_of(u". ") != u16::npos);
        const std::string host = lha::hostComponent(part);
        FUZZ_CHECK(host.find('/') == std::string::npos);
        FUZZ_CHECK(host != "." && host != "..");
    }
    (void)lha::displayPath(stored);
}

void checkRewritten(const lha::MemberHeader& h)
{
    lha::NewMember m;
    const std::size_t cut = h.path.rfind('\xFF');
    if (cut != std::string::npos) {
        m.directory = h.path.substr(0, cut + 1);
        m.name = h.path.substr(cut + 1);
    } else {
        m.name = h.path;
    }
    m.method = h.method;
    m.compressedSize = 0;   // no data follows the header below
    m.originalSize = h.originalSize;
    m.largeSizes = h.originalSize > 0xFFFFFFFFu;
    m.unixTime = h.unixTime;
    m.dataCrc = h.dataCrc;
    const std::string header = lha::writeLevel2Header(m);
    if (header.empty())
        return;   // the name does not fit a header
    FUZZ_CHECK(header.size() % 256 != 0);
    MemorySource src(header);
    const lha::HeaderRead r = lha::readHeader(src, 0);
    FUZZ_CHECK_MSG(r.kind == lha::HeaderRead::Kind::Member, "error " + std::to_string(r.error));
    FUZZ_CHECK(r.header.level == 2);
    FUZZ_CHECK(r.header.method == h.method);
    FUZZ_CHECK(r.header.compressedSize == 0);
    FUZZ_CHECK(r.header.originalSize == h.originalSize);
    FUZZ_CHECK(r.header.unixTime == static_cast<std::int64_t>(static_cast<std::uint32_t>(h.unixTime)));
    FUZZ_CHECK(r.header.dataCrc == h.dataCrc);
    FUZZ_CHECK(r.header.path == h.path);
    FUZZ_CHECK(r.header.headerSize == header.size());
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MemorySource src{std::string(fuzz::bytesOf(data, size))};
    std::uint64_t offset = 0;
    for (;;) {
        const lha::HeaderRead r = lha::readHeader(src, offset);
        if (r.kind != lha::HeaderRead::Kind::Member)
            break;
        const lha::MemberHeader& h = r.header;
        FUZZ_CHECK(h.level >= 0 && h.level <= 2);
        FUZZ_CHECK(h.offset == offset);
        FUZZ_CHECK(h.headerSize > 0);
        FUZZ_CHECK(h.dataOffset() <= size);
        FUZZ_CHECK(h.endOffset() <= size);
        FUZZ_CHECK(h.endOffset() > offset);
        checkPath(h.path);
        checkRewritten(h);
        offset = h.endOffset();
    }
    // Headers need not start at a member boundary of the walk above.
    if (size > 1)
        (void)lha::readHeader(src, data[0] % size);
    return 0;
}

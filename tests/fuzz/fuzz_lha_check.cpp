// The archive check and extraction on arbitrary archive files, through the
// library's entry points on temporary drives: C: holds the archive, D: the
// destination. Beyond not crashing:
// - an archive that passes the full check (mode 2) passes the quick one;
// - extracting it leaves the archive as it was and puts nothing outside the
//   destination directory: no new name beside the archive or the
//   destination, no link, no device or pipe, and no temporary file left.
// Archives whose members claim more than 8 MiB in all are only given the
// quick check: decoding them is work bounded by the claim alone, which a few
// bytes can make as large as they like.

#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/TempRoot.h"
#include "tests/support/MemoryStreams.h"

#include "lha/Header.h"
#include "lha/Unlha.h"
#include "platform/DriveTable.h"
#include "platform/FileSystem.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <sys/stat.h>

using namespace sorvik;
using test::MemorySource;

namespace {

constexpr std::uint64_t kMaxDecodedTotal = std::uint64_t(8) << 20;

// What the members claim, walked as the check and the extraction walk them.
std::uint64_t claimedBytes(std::string_view archive)
{
    MemorySource src{std::string(archive)};
    std::uint64_t total = 0;
    std::uint64_t offset = 0;
    for (;;) {
        const lha::HeaderRead r = lha::readHeader(src, offset);
        if (r.kind != lha::HeaderRead::Kind::Member)
            return total;
        if (!r.header.isDirectory())
            total += std::min(r.header.originalSize, kMaxDecodedTotal + 1);
        if (total > kMaxDecodedTotal)
            return total;
        offset = r.header.endOffset();
    }
}

struct Drives {
    fuzz::TempRoot root;
    std::string c = root.sub("c");
    std::string d = root.sub("d");
    std::string archive = c + "/a.lzh";
    std::unique_ptr<platform::FileSystem> fs;

    Drives()
    {
        ::mkdir(c.c_str(), 0755);
        ::mkdir(d.c_str(), 0755);
        platform::DriveTable table;
        table.add(u'C', c, platform::kDriveFixed);
        table.add(u'D', d, platform::kDriveFixed);
        fs = std::make_unique<platform::FileSystem>(table);
        lha::setFileSystem(fs.get());
    }
    ~Drives() { lha::setFileSystem(nullptr); }
};

Drives& drives()
{
    static Drives d;
    return d;
}

std::string readHostFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Only directories and regular files below `dir`, none of them ours half-written.
void checkOnlyFilesAndDirs(const std::string& dir)
{
    for (const std::string& name : fuzz::namesIn(dir)) {
        const std::string path = dir + "/" + name;
        FUZZ_CHECK_MSG(name.rfind(".~sorvik-", 0) != 0, "temporary file left: " + path);
        struct stat st;
        FUZZ_CHECK(::lstat(path.c_str(), &st) == 0);
        FUZZ_CHECK_MSG(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode), "not a file or directory: " + path);
        if (S_ISDIR(st.st_mode)) {
            // A directory made without rights for its owner could hide what lies in it.
            ::chmod(path.c_str(), st.st_mode | S_IRWXU);
            checkOnlyFilesAndDirs(path);
        }
    }
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Drives& dr = drives();
    const std::string_view archive = fuzz::bytesOf(data, size);
    fuzz::writeHostFile(dr.archive, data, size);

    const int quick = UnlhaCheckArchive("C:\\a.lzh", 0);
    FUZZ_CHECK(quick == 0 || quick == 1);
    if (claimedBytes(archive) > kMaxDecodedTotal)
        return 0;
    const int full = UnlhaCheckArchive("C:\\a.lzh", 2);
    FUZZ_CHECK(full == 0 || full == 1);
    if (full)
        FUZZ_CHECK(quick);

    char report[1024];
    std::memset(report, 'x', sizeof report);
    Unlha(nullptr, "x \"C:\\a.lzh\" \"D:\\out\\\"", report, sizeof report);
    FUZZ_CHECK(std::memchr(report, '\0', sizeof report) != nullptr);

    FUZZ_CHECK(fuzz::namesIn(dr.root.path()) == (std::vector<std::string>{"c", "d"}));
    FUZZ_CHECK(fuzz::namesIn(dr.c) == std::vector<std::string>{"a.lzh"});
    FUZZ_CHECK(readHostFile(dr.archive) == archive);
    const std::vector<std::string> inD = fuzz::namesIn(dr.d);
    FUZZ_CHECK_MSG(inD == std::vector<std::string>{"out"},
        "beside the destination: " + (inD.empty() ? std::string("nothing") : inD.front()));
    checkOnlyFilesAndDirs(dr.d + "/out");
    fuzz::removeTree(dr.d + "/out");
    return 0;
}

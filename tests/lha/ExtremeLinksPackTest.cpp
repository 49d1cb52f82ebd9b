#include "lha/ErrorCodes.h"
#include "lha/Header.h"
#include "lha/Session.h"
#include "tests/lha/LhaTestSupport.h"
#include "tests/support/ExtremeFiles.h"

#include <unistd.h>

namespace sorvik::test {
namespace {

// C:\src holds a link to its parent, two links to each other, a link to
// itself, a link to itself as a directory, a link to a file outside and a
// real file; packing its entries must end and take only what is a file.
class ExtremeLinksPack : public LhaDrives {
protected:
    void SetUp() override
    {
        LhaDrives::SetUp();
        drives.makeDir(u"C:\\src");
        drives.writeBytes(u"C:\\src\\real.txt", textLike(5000, 3));
        drives.writeBytes(u"C:\\outside.txt", "outside");
        drives.setTime(u"C:\\src\\real.txt", 2024, 5, 1, 12, 0, 0);
        const std::string src = drives.host(u"C:\\src");
        for (const auto& [name, target] : kLinks)
            ASSERT_EQ(::symlink(target, (src + "/" + name).c_str()), 0) << name;
    }

    int pack(const std::string& name) { return unlha("u -x1 \"C:\\arc.lzh\" \"C:\\src\\\" \"" + name + "\""); }

    inline static const std::vector<std::pair<std::string, const char*>> kLinks
        = {{"up", ".."}, {"a", "b"}, {"b", "a"}, {"self", "self"}, {"here", "."}, {"toOutside", "../outside.txt"}};
};

TEST_F(ExtremeLinksPack, loopsAndDirectoryLinksAreRefusedByNameAndTheRealFileIsPacked)
{
    for (const char* loop : {"a", "b", "self", "up", "here"}) {
        EXPECT_EQ(pack(loop), lha::kErrNotExist) << loop;
        EXPECT_NE(report.find(loop), std::string::npos) << "the report names " << loop << ": " << report;
    }
    EXPECT_FALSE(drives.exists(u"C:\\arc.lzh")) << "nothing to pack, no archive";
    ASSERT_EQ(pack("real.txt"), 0) << report;
    for (const char* loop : {"a", "self", "here"})
        EXPECT_EQ(pack(loop), lha::kErrNotExist) << loop;

    const auto m = members();
    ASSERT_EQ(m.size(), 1u) << "the refusals left the archive as it was";
    EXPECT_EQ(m[0].path, "real.txt");
    ASSERT_EQ(unlha("x \"C:\\arc.lzh\" \"D:\\out\\\""), 0) << report;
    EXPECT_EQ(drives.readBytes(u"D:\\out\\real.txt"), drives.readBytes(u"C:\\src\\real.txt"));
    EXPECT_TRUE(drives.tempFilesIn(u"C:\\").empty());
}

TEST_F(ExtremeLinksPack, aLinkToAFileOutsidePacksThatFilesBytesAndLeavesItAlone)
{
    ASSERT_EQ(pack("toOutside"), 0) << report;
    const auto m = members();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].path, "toOutside");
    ASSERT_EQ(unlha("x \"C:\\arc.lzh\" \"D:\\out\\\""), 0) << report;
    EXPECT_EQ(drives.readBytes(u"D:\\out\\toOutside"), "outside");
    EXPECT_EQ(drives.readBytes(u"C:\\outside.txt"), "outside");
}

TEST_F(ExtremeLinksPack, anArchivePathThatIsALinkIsNeverWrittenThrough)
{
    const std::string src = drives.host(u"C:\\src");
    ASSERT_EQ(::symlink("../outside.txt", (src + "/arc.lzh").c_str()), 0);
    ASSERT_EQ(::symlink("loop.lzh", (src + "/loop.lzh").c_str()), 0);
    EXPECT_NE(unlha("u -x1 \"C:\\src\\arc.lzh\" \"C:\\src\\\" \"real.txt\""), 0) << report;
    EXPECT_NE(unlha("u -x1 \"C:\\src\\loop.lzh\" \"C:\\src\\\" \"real.txt\""), 0) << report;
    EXPECT_EQ(drives.readBytes(u"C:\\outside.txt"), "outside");
    EXPECT_TRUE(test::hostExists(src + "/arc.lzh"));
    EXPECT_TRUE(drives.tempFilesIn(u"C:\\src").empty());
}

}
}

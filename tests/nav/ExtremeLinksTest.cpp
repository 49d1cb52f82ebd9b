#include "app/Form1Model.h"
#include "nav/DirTree.h"
#include "platform/Ui.h"
#include "tests/support/ModelFixture.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace sorvik {
namespace {

// C:\work holds a link to its parent ("up" -> ".."), two links to each other
// ("a" <-> "b"), a link to itself, a real directory and a real file.
class ExtremeLinksTest : public test::ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        drives.makeDir(u"C:\\work\\sub");
        drives.writeBytes(u"C:\\work\\real.txt", "real");
        drives.writeBytes(u"C:\\outside.txt", "outside");
        const std::string work = drives.host(u"C:\\work");
        ASSERT_EQ(::symlink("..", (work + "/up").c_str()), 0);
        ASSERT_EQ(::symlink("b", (work + "/a").c_str()), 0);
        ASSERT_EQ(::symlink("a", (work + "/b").c_str()), 0);
        ASSERT_EQ(::symlink("self", (work + "/self").c_str()), 0);
    }

    std::vector<u16> treeNames(const DirTree& tree) const
    {
        std::vector<u16> out;
        for (const DirTree::Item& item : tree.items())
            out.push_back(item.path);
        return out;
    }
    std::vector<u16> rows() const { return test::fileNamesOf(model->Grid1); }
    static u16 repeated(u16view start, u16view part, int times)
    {
        u16 path(start);
        for (int i = 0; i < times; ++i)
            path += part;
        return path;
    }
};

TEST_F(ExtremeLinksTest, theTreeShowsTheParentLinkOnceAndTheListingShowsLoopsAsEmptyRows)
{
    Form1Model& m = loadModel();
    EXPECT_EQ(treeNames(m.Dir1), (std::vector<u16>{u"C:\\", u"C:\\work", u"C:\\work\\sub", u"C:\\work\\up"}));
    EXPECT_EQ(rows(), (std::vector<u16>{u"a", u"b", u"real.txt", u"self"}));
    for (int r = 1; r <= m.Grid1.fileCount(); ++r) {
        if (m.Grid1.fileName(r) == u"real.txt")
            continue;
        EXPECT_TRUE(m.Grid1.cell(r, 1).empty() && m.Grid1.cell(r, 2).empty() && m.Grid1.cell(r, 3).empty())
            << "a link that resolves nowhere has nothing to show";
    }
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(ExtremeLinksTest, enteringTheParentLinkAgainAndAgainListsTheParentEachTime)
{
    Form1Model& m = loadModel();
    const u16 deep = repeated(u"C:\\work", u"\\up\\work", 15);
    ASSERT_TRUE(m.setTreePath(deep));
    EXPECT_EQ(m.CurrentDir, deep + u"\\");
    EXPECT_EQ(rows(), (std::vector<u16>{u"a", u"b", u"real.txt", u"self"}))
        << "the same directory, reached 15 times round";
    ASSERT_TRUE(m.setTreePath(deep + u"\\up"));
    EXPECT_EQ(rows(), std::vector<u16>{u"outside.txt"});
}

TEST_F(ExtremeLinksTest, aPathThroughMoreLinksThanTheHostFollowsIsRefusedAndNothingChanges)
{
    Form1Model& m = loadModel();
    // The host follows at most 40 links in one path.
    const u16 tooMany = repeated(u"C:\\work", u"\\up\\work", 45);
    EXPECT_FALSE(m.setTreePath(tooMany));
    EXPECT_EQ(m.Dir1.path(), u"C:\\work");
    EXPECT_EQ(m.CurrentDir, u"C:\\work\\");
    EXPECT_EQ(rows(), (std::vector<u16>{u"a", u"b", u"real.txt", u"self"}));

    for (const char16_t* loop : {u"C:\\work\\a", u"C:\\work\\self"}) {
        EXPECT_FALSE(m.setTreePath(loop)) << toUtf8(loop);
        EXPECT_EQ(m.Dir1.path(), u"C:\\work");
    }
}

}
}

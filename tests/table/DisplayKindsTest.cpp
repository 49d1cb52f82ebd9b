#include "table/DisplayKinds.h"
#include "tests/support/ModelFixture.h"
#include "tests/support/TempDrive.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace sorvik::test {
namespace {

// One file of each kind in C:\work: plain (no attribute at all), archive
// (what an untouched file carries), read-only, hidden, system.
class DisplayKindsTest : public testing::Test {
protected:
    void SetUp() override
    {
        drives.makeDir(u"C:\\work");
        putInWork(drives, u"plain", 0);
        putInWork(drives, u"archive", platform::kAttrArchive);
        putInWork(drives, u"readonly", platform::kAttrReadOnly);
        putInWork(drives, u"hidden", platform::kAttrHidden);
        putInWork(drives, u"system", platform::kAttrSystem);
        listing.setPath(u"C:\\work");
    }

    std::vector<u16> listed(const DisplayKinds& kinds)
    {
        ApplyDisplayKinds(kinds, listing);
        EXPECT_TRUE(listing.refresh(drives.fs()));
        std::vector<u16> names;
        for (const ListedFile& f : listing.files())
            names.push_back(f.name);
        std::sort(names.begin(), names.end());
        return names;
    }

    // Wine keeps the archive bit on every file, so no file there is "plain".
    bool plainFilesExist() { return (*drives.fs().attributes(u"C:\\work\\plain") & platform::kAttrArchive) == 0; }

    TempDrives drives;
    FileListing listing;
};

using Names = std::vector<u16>;

TEST_F(DisplayKindsTest, defaultsListReadOnlyAndArchiveButNotHiddenOrSystem)
{
    EXPECT_EQ(listed(DisplayKinds{}), (Names{u"archive", u"plain", u"readonly"}));
}

TEST_F(DisplayKindsTest, eachKindLetsItsFilesIn)
{
    if (!plainFilesExist())
        GTEST_SKIP() << "this file system sets the archive attribute on every file (Wine), so no file is plain";
    struct Case {
        DisplayKinds kinds;
        Names names;
    };
    const Case cases[] = {
        {{1, 1, 0, 1}, {u"archive", u"hidden", u"plain", u"readonly"}},
        {{1, 0, 1, 1}, {u"archive", u"plain", u"readonly", u"system"}},
        {{0, 0, 0, 1}, {u"archive", u"plain"}},
        {{1, 1, 1, 1}, {u"archive", u"hidden", u"plain", u"readonly", u"system"}},
        {{0, 0, 0, 0}, {u"plain"}},
        // Any non-zero value counts as on, as a check box's would.
        {{-1, 2, 0, 7}, {u"archive", u"hidden", u"plain", u"readonly"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(listed(c.kinds), c.names)
            << c.kinds.ShowReadOnly << c.kinds.ShowHidden << c.kinds.ShowSystem << c.kinds.ShowArchive;
}

TEST_F(DisplayKindsTest, archiveOffKeepsArchiveFilesOutLikeTheOtherKinds)
{
    if (!plainFilesExist())
        GTEST_SKIP() << "this file system sets the archive attribute on every file (Wine), so no file is plain";
    EXPECT_EQ(listed({1, 0, 0, 0}), (Names{u"plain", u"readonly"}));
    const FileListing::Switches s = listing.switches();
    EXPECT_TRUE(s.readOnly);
    EXPECT_FALSE(s.hidden);
    EXPECT_FALSE(s.system);
    EXPECT_FALSE(s.archive);
}

TEST_F(DisplayKindsTest, aFileWithTwoKindsNeedsBoth)
{
    putInWork(drives, u"hiddenreadonly", platform::kAttrHidden | platform::kAttrReadOnly);
    EXPECT_EQ(listed({0, 1, 0, 1}), (Names{u"archive", u"hidden", u"plain"}));
    EXPECT_EQ(listed({1, 1, 0, 1}), (Names{u"archive", u"hidden", u"hiddenreadonly", u"plain", u"readonly"}));
}

}
}

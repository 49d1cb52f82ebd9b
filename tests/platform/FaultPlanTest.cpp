#include "platform/Faults.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace sorvik::platform {
namespace {

TEST(FaultPlan, FailsTheNthCallOfAKindAmongThoseOnAMatchingPath)
{
    FaultPlan plan;
    plan.failAt(FsCall::Write, 2, ENOSPC, "/dst/");
    EXPECT_EQ(plan.before(FsCall::Write, "/src/a"), 0);   // another path: not counted
    EXPECT_EQ(plan.before(FsCall::Write, "/dst/a"), 0);   // first
    EXPECT_EQ(plan.before(FsCall::Read, "/dst/a"), 0);    // another kind
    EXPECT_EQ(plan.before(FsCall::Write, "/dst/b"), ENOSPC);
    EXPECT_EQ(plan.before(FsCall::Write, "/dst/c"), 0);   // only the second
    EXPECT_EQ(plan.count(FsCall::Write), 4);
    EXPECT_EQ(plan.count(FsCall::Write, "/dst/"), 3);
    EXPECT_EQ(plan.count(FsCall::Read, "/dst/"), 1);
    EXPECT_EQ(plan.count(FsCall::Sync), 0);
}

TEST(FaultPlan, FailsAlwaysWhereAsked)
{
    FaultPlan plan;
    plan.failAlways(FsCall::Unlink, EACCES, "keep");
    EXPECT_EQ(plan.before(FsCall::Unlink, "/x/keep.txt"), EACCES);
    EXPECT_EQ(plan.before(FsCall::Unlink, "/x/other.txt"), 0);
    EXPECT_EQ(plan.before(FsCall::Unlink, "/y/keep"), EACCES);
    EXPECT_EQ(plan.before(FsCall::Rename, "/y/keep"), 0);
}

TEST(FaultPlan, RunsAnActionBeforeTheChosenCallAndLetsItRun)
{
    FaultPlan plan;
    std::vector<int> ran;
    plan.beforeCall(FsCall::Open, 2, [&] { ran.push_back(plan.count(FsCall::Open)); });
    EXPECT_EQ(plan.before(FsCall::Open, "/a"), 0);
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(plan.before(FsCall::Open, "/b"), 0);
    EXPECT_EQ(ran, std::vector<int>{2});
    EXPECT_EQ(plan.before(FsCall::Open, "/c"), 0);
    EXPECT_EQ(ran, std::vector<int>{2});
}

}
}

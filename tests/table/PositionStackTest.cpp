#include "table/PositionStack.h"
#include "platform/Ui.h"
#include "tests/support/TempDrive.h"

#include <gtest/gtest.h>

namespace sorvik {
namespace {

class PositionStackTest : public testing::Test {
protected:
    void SetUp() override
    {
        platform::setUi(&ui);
        test::throwOnProgramEnd();
    }
    void TearDown() override
    {
        platform::setUi(nullptr);
        platform::setExitHandler(nullptr);
    }
    platform::ScriptedUi ui;
    PositionStack stack;
};

TEST_F(PositionStackTest, popsInReverseOrder)
{
    stack.push({1, 2, 0, 3});
    stack.push({4, 5, 1, 0});
    EXPECT_EQ(stack.pop(), (TablePosition{4, 5, 1, 0}));
    EXPECT_EQ(stack.pop(), (TablePosition{1, 2, 0, 3}));
    EXPECT_EQ(stack.depth(), 0);
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(PositionStackTest, twentyPushesSucceedAndTheTwentyFirstEndsTheProgram)
{
    for (int i = 0; i < 20; ++i)
        stack.push({0, std::int16_t(i), 0, 0});
    EXPECT_TRUE(ui.messages().empty());
    try {
        stack.push({});
        FAIL() << "the program should have ended";
    } catch (const test::ProgramEnded&) {
    }
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0], u"**** PopBuffer Full *****");
    EXPECT_EQ(stack.depth(), 20);
}

TEST_F(PositionStackTest, popOnEmptyStackEndsTheProgram)
{
    EXPECT_THROW(stack.pop(), test::ProgramEnded);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0], u"**** No PopBuffer *****");
}

}
}

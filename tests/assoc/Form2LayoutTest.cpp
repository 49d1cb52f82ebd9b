#include "assoc/Form2Layout.h"
#include "assoc/SelectionMemory.h"

#include <gtest/gtest.h>

namespace sorvik {
namespace {

TEST(Form2LayoutTest, theListsAndButtonsFitTheDesignSize)
{
    const Form2Layout l;
    for (const TwipRect* list : {&l.Dir1, &l.File1, &l.List1})
        EXPECT_EQ(list->height, Form2Layout::kInnerHeight - 900);
    for (const TwipRect* b : {&l.Command2, &l.Command3, &l.cmdExit}) {
        EXPECT_EQ(b->top + b->height, Form2Layout::kInnerHeight - 60);
        EXPECT_GT(b->top, l.List1.top + l.List1.height) << "below the lists";
    }
    EXPECT_LE(l.List1.left + l.List1.width, Form2Layout::kInnerWidth);
}

TEST(Form2LayoutTest, widerAndTallerMovesWhatTheRuleSays)
{
    Form2Layout l;
    const Form2Layout before = l;
    l.resize(Form2Layout::kInnerWidth + 1500, 7000);
    EXPECT_EQ(l.List1.width, before.List1.width + 1500);
    EXPECT_EQ(l.Text1.width, before.Text1.width + 1500);
    EXPECT_EQ(l.File1.width, before.File1.width);
    EXPECT_EQ(l.Dir1.height, 6100);
    EXPECT_EQ(l.File1.height, 6100);
    EXPECT_EQ(l.List1.height, 6100);
    EXPECT_EQ(l.cmdExit.top, 7000 - 60 - l.cmdExit.height);
    EXPECT_EQ(l.Command2.left, before.Command2.left);
    EXPECT_EQ(l.Drive1, before.Drive1);
    // Back again: the change since the last layout, not since the design.
    l.resize(Form2Layout::kInnerWidth - 1000, 5000);
    EXPECT_EQ(l.List1.width, before.List1.width - 1000);
    EXPECT_EQ(l.List1.height, 4100);
}

TEST(Form2LayoutTest, belowFiveThousandTwipsNothingMoves)
{
    Form2Layout l;
    const Form2Layout before = l;
    l.resize(4999, 9000);
    EXPECT_EQ(l.List1, before.List1);
    EXPECT_EQ(l.cmdExit, before.cmdExit);
    EXPECT_EQ(l.lastInnerWidth, before.lastInnerWidth);
    l.resize(5000, 9000);
    EXPECT_EQ(l.List1.width, before.List1.width + 5000 - Form2Layout::kInnerWidth);
}

TEST(Form2LayoutTest, setFocusColorMarksOneList)
{
    const Form2Colors none = SetFocusColor(u"Text1");
    EXPECT_EQ(none.drive1Back, 0xFFFFFFu);
    EXPECT_EQ(none.dir1Back, 0xFFFFFFu);
    EXPECT_EQ(none.file1Back, 0xFFFFFFu);
    EXPECT_FALSE(none.list1Fore);
    EXPECT_EQ(SetFocusColor(u"Drive1").drive1Back, 0xC0FFFFu);
    EXPECT_EQ(SetFocusColor(u"Dir1").dir1Back, 0xC0FFFFu);
    const Form2Colors file1 = SetFocusColor(u"File1");
    EXPECT_EQ(file1.file1Back, 0xC0FFFFu);
    EXPECT_EQ(file1.dir1Back, 0xFFFFFFu);
    const Form2Colors list1 = SetFocusColor(u"List1");
    EXPECT_EQ(list1.list1Fore, 0xFF0000u) << "blue in 0x00BBGGRR";
    EXPECT_EQ(list1.file1Back, 0xFFFFFFu);
}

TEST(SelectionMemoryTest, givesTheRememberedSelectionBackOnce)
{
    SelectionMemory m;
    EXPECT_FALSE(m.putBack());
    m.remember(3);
    EXPECT_TRUE(m.holds());
    EXPECT_EQ(m.putBack(), 3);
    EXPECT_FALSE(m.putBack());
    m.remember(-1);
    EXPECT_FALSE(m.holds()) << "no selection is nothing to remember";
    m.remember(2);
    m.forget();
    EXPECT_FALSE(m.putBack());
}

}
}

#include "app/Form1Layout.h"

#include <gtest/gtest.h>

namespace sorvik {
namespace {

using C = LayoutControl;

constexpr C kAll[] = {C::Label2, C::Command3, C::Command1, C::cmdHiddn, C::cmdAssoc, C::Dir1, C::Grid1, C::Label4,
    C::Label1, C::Text1, C::Command2};

TEST(Form1Layout, startsAtTheDesignPlaces)
{
    struct Case {
        C control;
        TwipsRect rect;
    };
    const Case cases[] = {
        {C::Label2, {5940, 120, 1515, 315}},
        {C::Command3, {7800, 120, 1095, 315}},
        {C::Command1, {8940, 120, 1155, 315}},
        {C::cmdHiddn, {10140, 120, 1035, 315}},
        {C::cmdAssoc, {11220, 120, 1095, 315}},
        {C::Dir1, {120, 480, 1935, 5715}},
        {C::Grid1, {2160, 480, 10215, 5655}},
        {C::Label4, {120, 6240, 795, 315}},
        {C::Label1, {960, 6300, 1155, 255}},
        {C::Text1, {2160, 6240, 7455, 375}},
        {C::Command2, {11040, 6240, 1335, 375}},
    };
    Form1Layout layout;
    for (const Case& c : cases) {
        EXPECT_EQ(layout[c.control], c.rect) << int(c.control);
        EXPECT_EQ(Form1Layout::design(c.control), c.rect) << int(c.control);
    }
    EXPECT_EQ(layout.LastClientWidth, 12495);
    EXPECT_EQ(layout.LastClientHeight, 6720);
}

TEST(Form1Layout, firstDisplayAtDesignSizeSetsTheTablesRightMargin)
{
    Form1Layout layout;
    layout.resize(12495, 6720);
    EXPECT_EQ(layout[C::Grid1].right(), 12495 - 150);
    EXPECT_EQ(layout[C::Grid1].width, 10185);
    EXPECT_EQ(layout[C::Text1], Form1Layout::design(C::Text1));
    EXPECT_EQ(layout[C::Command2], Form1Layout::design(C::Command2));
    EXPECT_EQ(layout[C::Dir1].height, layout[C::Grid1].height) << "the tree ends with the table";
}

TEST(Form1Layout, sixHundredTwipsWiderMovesQuitAndWidensTheField)
{
    Form1Layout layout;
    layout.resize(12495, 6720);
    layout.resize(13095, 6720);
    EXPECT_EQ(layout[C::Command2].left, 11040 + 600);
    EXPECT_EQ(layout[C::Text1].width, 7455 + 600);
    EXPECT_EQ(layout[C::Grid1].right(), 13095 - 150);
    EXPECT_EQ(layout[C::Text1].left, 2160);
    EXPECT_EQ(layout[C::Command2].top, 6240) << "the height did not change";
    EXPECT_EQ(layout.LastClientWidth, 13095);
}

TEST(Form1Layout, threeHundredTwipsLowerMovesTheBottomRowAndStretchesThePanes)
{
    Form1Layout layout;
    layout.resize(12495, 6720);
    const int gridBottom = layout[C::Grid1].bottom();
    layout.resize(12495, 7020);
    for (C c : {C::Command2, C::Text1, C::Label1, C::Label4})
        EXPECT_EQ(layout[c].top, Form1Layout::design(c).top + 300) << int(c);
    EXPECT_EQ(layout[C::Grid1].bottom(), gridBottom + 300);
    EXPECT_EQ(layout[C::Dir1].bottom(), layout[C::Grid1].bottom()) << "both end at the same edge";
    EXPECT_EQ(layout[C::Command2].left, 11040) << "the width did not change";
    EXPECT_EQ(layout.LastClientHeight, 7020);
}

TEST(Form1Layout, belowTheThresholdsNothingMovesAndTheSizeIsNotRemembered)
{
    Form1Layout layout;
    layout.resize(12495, 6720);
    const Form1Layout before = layout;
    layout.resize(10000, 5000);   // both exactly at the threshold
    layout.resize(9000, 4000);
    for (C c : kAll)
        EXPECT_EQ(layout[c], before[c]) << int(c);
    EXPECT_EQ(layout.LastClientWidth, 12495);
    EXPECT_EQ(layout.LastClientHeight, 6720);
}

TEST(Form1Layout, aNarrowStepBelowTheThresholdThenWiderEqualsOneResize)
{
    Form1Layout stepped;
    stepped.resize(12495, 6720);
    stepped.resize(9000, 4000);
    stepped.resize(13000, 7000);
    Form1Layout direct;
    direct.resize(12495, 6720);
    direct.resize(13000, 7000);
    for (C c : kAll)
        EXPECT_EQ(stepped[c], direct[c]) << int(c);
    EXPECT_EQ(direct[C::Command2].left, 11040 + 505);
    EXPECT_EQ(direct[C::Text1].top, 6240 + 280);
}

TEST(Form1Layout, onlyTheRuleAboveItsThresholdRuns)
{
    Form1Layout layout;
    layout.resize(12495, 6720);
    layout.resize(14000, 4500);   // wide but too low
    EXPECT_EQ(layout[C::Command2].left, 11040 + 1505);
    EXPECT_EQ(layout[C::Command2].top, 6240);
    EXPECT_EQ(layout.LastClientHeight, 6720);
    layout.resize(9500, 7720);   // high but too narrow
    EXPECT_EQ(layout[C::Command2].left, 11040 + 1505);
    EXPECT_EQ(layout[C::Command2].top, 6240 + 1000);
    EXPECT_EQ(layout.LastClientWidth, 14000);
}

TEST(Form1Layout, minimizingAndRestoringLeavesTheLayoutAsBefore)
{
    Form1Layout layout;
    layout.resize(13500, 7200);
    const Form1Layout before = layout;
    layout.resize(0, 0);
    layout.resize(13500, 7200);
    for (C c : kAll)
        EXPECT_EQ(layout[c], before[c]) << int(c);
}

TEST(Form1Layout, commandRowFollowsTheLastDriveButton)
{
    Form1Layout layout;
    layout.placeCommandRow(450 + 315);   // two drive buttons
    EXPECT_EQ(layout[C::Label2].left, 780);
    EXPECT_EQ(layout[C::Command3].left, 780 + 1515 + 15);
    EXPECT_EQ(layout[C::Command1].left, layout[C::Command3].right() + 15);
    EXPECT_EQ(layout[C::cmdHiddn].left, layout[C::Command1].right() + 15);
    EXPECT_EQ(layout[C::cmdAssoc].left, layout[C::cmdHiddn].right() + 15);
    for (C c : {C::Label2, C::Command3, C::Command1, C::cmdHiddn, C::cmdAssoc}) {
        EXPECT_EQ(layout[c].top, 120);
        EXPECT_EQ(layout[c].width, Form1Layout::design(c).width);
    }
}

TEST(Form1Layout, manyDrivesPushTheCommandRowPastTheRightEdgeWithoutWrapping)
{
    Form1Layout layout;
    const int lastRight = 120 + 25 * 330 + 315;   // 26 drive buttons
    layout.placeCommandRow(lastRight);
    EXPECT_EQ(layout[C::Label2].left, lastRight + 15);
    EXPECT_GT(layout[C::cmdAssoc].right(), 12495);
    EXPECT_EQ(layout[C::cmdAssoc].top, 120);
}

}
}

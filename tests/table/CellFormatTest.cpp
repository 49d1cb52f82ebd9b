#include "table/CellFormat.h"
#include "table/FilePattern.h"

#include <gtest/gtest.h>

namespace sorvik {
namespace {

struct SizeCase {
    std::int64_t size;
    const char16_t* cell;
    const char16_t* key;
};

class SizeFormats : public testing::TestWithParam<SizeCase> {};

TEST_P(SizeFormats, cellAndSortKey)
{
    const SizeCase& c = GetParam();
    EXPECT_EQ(formatSizeCell(c.size), u16(c.cell));
    EXPECT_EQ(sizeSortKey(c.size), u16(c.key));
    EXPECT_EQ(sizeSortKey(c.size).size(), 11u);
}

INSTANTIATE_TEST_SUITE_P(All, SizeFormats,
    testing::Values(SizeCase{0, u"0 ", u"           "}, SizeCase{5, u"5 ", u"          5"},
        SizeCase{999, u"999 ", u"        999"}, SizeCase{1000, u"1,000 ", u"      1,000"},
        SizeCase{999999, u"999,999 ", u"    999,999"}, SizeCase{1234567, u"1,234,567 ", u"  1,234,567"},
        SizeCase{999999999, u"999,999,999 ", u"999,999,999"},
        // Past 11 characters the key keeps its first 11 and loses numeric order.
        SizeCase{1000000000, u"1,000,000,000 ", u"1,000,000,0"},
        SizeCase{12345678901, u"12,345,678,901 ", u"12,345,678,"}));

TEST(DateCell, twoDigitFieldsInTheFixedPattern)
{
    EXPECT_EQ(formatDateCell({2005, 1, 5, 7, 8, 9}), u"05/01/05 07:08:09");
    EXPECT_EQ(formatDateCell({1998, 11, 3, 14, 5, 9}), u"98/11/03 14:05:09");
    EXPECT_EQ(formatDateCell({2000, 12, 31, 23, 59, 59}), u"00/12/31 23:59:59");
}

TEST(AttributeTextTest, lettersInFixedOrderAndBlankForNone)
{
    using namespace platform;
    EXPECT_EQ(AttributeText(kAttrReadOnly | kAttrHidden | kAttrSystem), u"RHS");
    EXPECT_EQ(AttributeText(kAttrSystem | kAttrReadOnly), u"RS");
    EXPECT_EQ(AttributeText(kAttrHidden | kAttrSystem), u"HS");
    EXPECT_EQ(AttributeText(kAttrReadOnly), u"R");
    EXPECT_EQ(AttributeText(kAttrArchive), u" ");
    EXPECT_EQ(AttributeText(0u), u" ");
    EXPECT_EQ(AttributeText(std::nullopt), u"");
}

TEST(FilePatternTest, wildcardsIgnoreCaseAndSplitAtSemicolons)
{
    FilePattern lzh(u"*.lzh");
    EXPECT_TRUE(lzh.matches(u"a.LZH"));
    EXPECT_TRUE(lzh.matches(u"b.lzh"));
    EXPECT_FALSE(lzh.matches(u"b.lzh.txt"));
    FilePattern several(u"*.exe;*.com; *.bat");
    EXPECT_TRUE(several.matches(u"RUN.BAT"));
    EXPECT_TRUE(several.matches(u"x.com"));
    EXPECT_FALSE(several.matches(u"x.txt"));
    FilePattern one(u"a?c.*");
    EXPECT_TRUE(one.matches(u"abc.txt"));
    EXPECT_FALSE(one.matches(u"abbc.txt"));
    EXPECT_TRUE(FilePattern(u"*.*").matches(u"noextension"));
    EXPECT_TRUE(FilePattern(u"*").matches(u"日本語.txt"));
    EXPECT_TRUE(FilePattern(u"*日本*").matches(u"新日本語.TXT"));
}

}
}

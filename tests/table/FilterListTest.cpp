#include "table/FilterList.h"

#include <gtest/gtest.h>

namespace sorvik {
namespace {

FilterList::Entries fields(std::initializer_list<std::pair<std::size_t, u16>> set)
{
    FilterList::Entries f;
    for (const auto& [i, text] : set)
        f[i] = text;
    return f;
}

TEST(FilterList, startsWithTenEmptyEntries)
{
    FilterList list;
    for (const u16& entry : list.entries())
        EXPECT_TRUE(entry.empty());
    EXPECT_EQ(list.entries().size(), 10u);
}

TEST(FilterList, storesAllTenFieldsAtOnce)
{
    FilterList list;
    list[4] = u"*.old";
    EXPECT_EQ(list.store(fields({{0, u"*.txt"}, {9, u"*.lzh;*.zip"}})), std::nullopt);
    EXPECT_EQ(list[0], u"*.txt");
    EXPECT_EQ(list[9], u"*.lzh;*.zip");
    EXPECT_EQ(list[4], u"") << "an emptied field empties its entry";
}

TEST(FilterList, aCommaAnywhereRefusesEveryFieldAndNamesTheFirst)
{
    FilterList list;
    list[0] = u"*.c";
    const FilterList before = list;
    EXPECT_EQ(list.store(fields({{0, u"*.txt"}, {1, u"*.doc"}, {2, u"*.txt,*.doc"}, {7, u","}})), 2u);
    EXPECT_EQ(list, before) << "entries 0 and 1 are not stored either";
    EXPECT_EQ(list.store(fields({{9, u"a,"}})), 9u);
    EXPECT_EQ(list, before);
}

TEST(FilterList, commaRefusalMessageCarriesTheDigit)
{
    EXPECT_EQ(commaRefusal(2), u"ﾌｨﾙﾀ2に[,]が有ります");
    EXPECT_EQ(commaRefusal(0), u"ﾌｨﾙﾀ0に[,]が有ります");
    EXPECT_EQ(commaRefusal(9), u"ﾌｨﾙﾀ9に[,]が有ります");
}

TEST(FilterList, fullWidthCommaAndSemicolonsAreNoComma)
{
    FilterList list;
    EXPECT_EQ(list.store(fields({{3, u"*.txt;*.doc"}, {5, u"a，b"}})), std::nullopt);
    EXPECT_EQ(list[5], u"a，b");
}

}
}

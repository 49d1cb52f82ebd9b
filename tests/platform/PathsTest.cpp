#include "platform/Paths.h"

#include <gtest/gtest.h>

namespace sorvik {
namespace {

using Case = std::pair<const char16_t*, const char16_t*>;

TEST(AddBackslash, AppendsOnlyWhenMissing)
{
    const Case cases[] = {
        {u"C:\\work", u"C:\\work\\"},
        {u"C:\\work\\", u"C:\\work\\"},
        {u"C:", u"C:\\"},
        {u"", u"\\"},
        {u"\\", u"\\"},
        {u"C:\\黑黑", u"C:\\黑黑\\"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(AddBackslash(in), u16(out)) << toUtf8(in);
}

TEST(GetExtension, TakesTheTextAfterTheLastDot)
{
    const Case cases[] = {
        {u"report.tar.lzh", u"lzh"},
        {u"*.", u""},
        {u"abc", u""},
        {u"", u""},
        {u"a.TXT", u"TXT"},
        {u"*.exe", u"exe"},
        {u".profile", u"profile"},
        {u"name.", u""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(GetExtension(in), u16(out)) << toUtf8(in);
}

TEST(PathParts, SplitAtTheLastBackslash)
{
    EXPECT_EQ(fileNameOf(u"C:\\work\\a.txt"), u"a.txt");
    EXPECT_EQ(fileNameOf(u"a.txt"), u"a.txt");
    EXPECT_EQ(fileNameOf(u"C:\\work\\"), u"");
    EXPECT_EQ(directoryOf(u"C:\\work\\a.txt"), u"C:\\work\\");
    EXPECT_EQ(directoryOf(u"C:\\a.txt"), u"C:\\");
    EXPECT_EQ(directoryOf(u"a.txt"), u"");
}

TEST(SamePath, IgnoresLetterCase)
{
    EXPECT_TRUE(samePath(u"c:\\Work\\A.txt", u"C:\\WORK\\a.TXT"));
    EXPECT_TRUE(samePath(u"C:\\ｆｉｌｅ", u"C:\\ＦＩＬＥ"));
    EXPECT_FALSE(samePath(u"C:\\work\\", u"C:\\work"));
    EXPECT_FALSE(samePath(u"C:\\a", u"D:\\a"));
}

}
}

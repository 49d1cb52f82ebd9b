#include "lha/MemberPath.h"

#include <gtest/gtest.h>

namespace sorvik::test {
namespace {

struct Case {
    std::string stored;
    std::vector<u16> components;   // empty: refused
};

const std::vector<Case> kCases = {
    {"a.txt", {u"a.txt"}},
    {"dir\xFF"
     "a.txt",
        {u"dir", u"a.txt"}},
    {"dir\\sub/a.txt", {u"dir", u"sub", u"a.txt"}},
    {"./dir//a.txt", {u"dir", u"a.txt"}},
    {"dir\xFF", {u"dir"}},
    // 0x95 0x5C is one character (表): its second byte is no separator.
    {"\x95\x5C.txt", {u"表.txt"}},
    {"\x95\x5C\\\x95\x5C", {u"表", u"表"}},
    {"..\\x", {}},
    {"../x", {}},
    {"a/../../x", {}},
    {"a\xFF..\xFF"
     "x",
        {}},
    {"..\xFF"
     "x",
        {}},
    {"..", {}},
    {"/etc/passwd", {}},
    {"\\windows\\x", {}},
    {"\\\\server\\share\\x", {}},
    {"\xFF"
     "x",
        {}},
    {"C:\\x", {}},
    {"C:x", {}},
    {"a\\C:\\x", {}},
    {"a\\...\\x", {}},
    {".. \\x", {}},
    {"", {}},
    {".", {}},
    {"a\x01"
     "b",
        {}},
    {std::string("a\0b", 3), {}},
};

TEST(MemberPath, splitsAtEverySeparatorAndRefusesEscapingNames)
{
    for (const Case& c : kCases)
        EXPECT_EQ(lha::memberComponents(c.stored), c.components) << c.stored;
}

TEST(MemberPath, mapsCheckedComponentsToHostNames)
{
    EXPECT_EQ(lha::hostComponent(u"表.txt"), "表.txt");
    EXPECT_EQ(lha::hostComponent(u".."), "");
    EXPECT_EQ(lha::hostComponent(u"a/b"), "");
}

TEST(MemberPath, showsStoredPathsWithBackslashes)
{
    EXPECT_EQ(lha::displayPath("dir\xFF"
                               "sub/a.txt"),
        u"dir\\sub\\a.txt");
}

TEST(MemberPath, keepsBytesTheCodePageCannotDecode)
{
    EXPECT_EQ(lha::memberText("\x85\x40.txt"), u"\xDC85@.txt");
    EXPECT_EQ(lha::memberText("\x86\x40.txt"), u"\xDC86@.txt");
    EXPECT_EQ(lha::memberText("dir\xFF\x85"), u"dir\\\xDC85") << "a lead byte at the end";
    EXPECT_EQ(lha::memberText("\x95\x5C\x85\x81\x40"), u"表\xDC85\u3000") << "the byte after a kept one starts over";
    EXPECT_EQ(lha::memberComponents("\x85\x40.txt"), std::vector<u16>{u"\xDC85@.txt"});
#ifdef _WIN32
    EXPECT_EQ(lha::hostComponent(u"\xDC85@.txt"), "\xEF\x82\x85@.txt") << "U+F085";
#else
    EXPECT_EQ(lha::hostComponent(u"\xDC85@.txt"), "\x85@.txt") << "the byte itself";
#endif
}

TEST(MemberPath, showsControlCharactersAndKeptBytesAsHex)
{
    EXPECT_EQ(lha::shownText(u16(u"a\0b\x1F\xDC85.txt", 9)), u"a<00>b<1F><85>.txt");
    EXPECT_EQ(lha::displayPath(std::string("bad\0name", 8)), u"bad<00>name");
    EXPECT_EQ(lha::shownText(u"表.txt"), u"表.txt");
}

TEST(MemberPath, saysWhyANameIsRefused)
{
    EXPECT_EQ(lha::whyRefused("a.txt"), u"");
    EXPECT_EQ(lha::whyRefused(std::string("a\0b", 3)), u"名前に制御文字があります");
    EXPECT_EQ(lha::whyRefused("a\x01"
                              "b"),
        u"名前に制御文字があります");
    EXPECT_EQ(lha::whyRefused("..\\x"), u"展開先の外を指す名前です");
    EXPECT_EQ(lha::whyRefused("C:x"), u"展開先の外を指す名前です");
    EXPECT_EQ(lha::whyRefused(""), u"名前が空です");
    EXPECT_EQ(lha::whyRefused("."), u"名前が空です");
}

}
}

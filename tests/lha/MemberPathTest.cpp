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
    {"dir\xFF" "a.txt", {u"dir", u"a.txt"}},
    {"dir\\sub/a.txt", {u"dir", u"sub", u"a.txt"}},
    {"./dir//a.txt", {u"dir", u"a.txt"}},
    {"dir\xFF", {u"dir"}},
    // 0x95 0x5C is one character (表): its second byte is no separator.
    {"\x95\x5C.txt", {u"表.txt"}},
    {"\x95\x5C\\\x95\x5C", {u"表", u"表"}},
    {"..\\x", {}},
    {"../x", {}},
    {"a/../../x", {}},
    {"a\xFF..\xFF" "x", {}},
    {"..\xFF" "x", {}},
    {"..", {}},
    {"/etc/passwd", {}},
    {"\\windows\\x", {}},
    {"\\\\server\\share\\x", {}},
    {"\xFF" "x", {}},
    {"C:\\x", {}},
    {"C:x", {}},
    {"a\\C:\\x", {}},
    {"a\\...\\x", {}},
    {".. \\x", {}},
    {"", {}},
    {".", {}},
    {"a\x01" "b", {}},
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
    EXPECT_EQ(lha::displayPath("dir\xFF" "sub/a.txt"), u"dir\\sub\\a.txt");
}

}
}

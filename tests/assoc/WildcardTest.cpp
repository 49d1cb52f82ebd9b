#include "table/FilePattern.h"

#include <gtest/gtest.h>

namespace sorvik {
namespace {

struct MatchCase {
    const char* what;
    const char16_t* pattern;
    const char16_t* name;
    bool like;         // association patterns
    bool fileSystem;   // listing patterns
};

// Both sides upper-cased, whole name against whole pattern.
const MatchCase kCases[] = {
    {"the description's example", u"*.TXT", u"readme.txt", true, true},
    {"an extension after the extension", u"*.TXT", u"README.TXT.BAK", false, false},
    {"star takes the empty run", u"*A*", u"A", true, true},
    {"star alone", u"*", u"", true, true},
    {"star takes any run", u"A*Z", u"ABCZ", true, true},
    {"star backtracks", u"*AB", u"AAB", true, true},
    {"star star", u"**.C", u"X.C", true, true},
    {"question takes one", u"A?C", u"ABC", true, true},
    {"question takes exactly one", u"A?C", u"AC", false, false},
    {"question takes a Japanese character", u"?.TXT", u"日.txt", true, true},
    {"hash takes a digit", u"FILE#.LOG", u"file7.log", true, false},
    {"hash takes nothing but a digit", u"FILE#.LOG", u"fileX.log", false, false},
    {"hash is plain in a listing", u"C#.TXT", u"c#.txt", false, true},
    {"list takes one of its characters", u"[ABC].TXT", u"b.txt", true, false},
    {"list refuses others", u"[ABC].TXT", u"d.txt", false, false},
    {"negated list refuses its characters", u"[!ABC].TXT", u"b.txt", false, false},
    {"negated list takes others", u"[!ABC].TXT", u"d.txt", true, false},
    {"range", u"V[0-9].DOC", u"v5.doc", true, false},
    {"range bounds included", u"[A-C][A-C]", u"ac", true, false},
    {"outside the range", u"V[0-4].DOC", u"v5.doc", false, false},
    {"lower-case range upper-cased", u"[a-f]1", u"E1", true, false},
    {"negated range", u"[!0-9]*", u"9lives", false, false},
    {"ranges and characters mixed", u"[A-CX]", u"x", true, false},
    {"hyphen first stands for itself", u"[-A]", u"-", true, false},
    {"hyphen last stands for itself", u"[A-]", u"-", true, false},
    {"list is one character", u"[AB]", u"AB", false, false},
    {"empty list takes nothing", u"A[]B", u"AB", true, false},
    {"negated empty list takes any one", u"[!]", u"Q", true, false},
    {"star inside a list is plain", u"[*]", u"*", true, false},
    {"star inside a list takes nothing else", u"[*]", u"X", false, false},
    {"bracket is plain in a listing", u"[1].TXT", u"[1].txt", false, true},
    {"a list never closed matches nothing", u"[AB", u"A", false, false},
    {"a list never closed is plain in a listing", u"[AB", u"[ab", false, true},
    {"a backward range matches nothing", u"[Z-A]", u"M", false, false},
    {"closing bracket alone is plain", u"A]", u"a]", true, true},
    {"exclamation mark outside a list is plain", u"!A", u"!a", true, true},
    {"every other character itself", u"ÄBC.TXT", u"äbc.txt", true, true},
    {"dot is plain", u"A.B", u"AXB", false, false},
    {"star dot star wants a dot here", u"*.*", u"README", false, false},
    {"star dot takes a name ending in a dot", u"*.", u"README.", true, true},
};

class Wildcards : public testing::TestWithParam<MatchCase> {};

TEST_P(Wildcards, matchAsTheDialectSays)
{
    const MatchCase& c = GetParam();
    EXPECT_EQ(wildcardMatchNoCase(c.pattern, c.name, WildcardSyntax::Like), c.like) << c.what;
    EXPECT_EQ(wildcardMatchNoCase(c.pattern, c.name, WildcardSyntax::FileSystem), c.fileSystem) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Table, Wildcards, testing::ValuesIn(kCases));

TEST(WildcardsTest, theListingPatternKeepsItsOwnDialect)
{
    // "*.*" lists every name, as the file system's own pattern does.
    EXPECT_TRUE(FilePattern(u"*.*").matches(u"README"));
    EXPECT_TRUE(FilePattern(u"[1].txt").matches(u"[1].TXT"));
    EXPECT_FALSE(FilePattern(u"[1].txt").matches(u"1.TXT"));
    EXPECT_TRUE(FilePattern(u"*.exe;*.com;*.bat").matches(u"SETUP.EXE"));
}

TEST(WildcardsTest, aLongNameAgainstManyStarsEndsQuickly)
{
    // The single backtrack point keeps this linear in practice.
    const std::u16string name(5000, u'A');
    EXPECT_FALSE(wildcardMatch(u"*A*A*A*A*A*B", name, WildcardSyntax::Like));
    EXPECT_TRUE(wildcardMatch(u"*A*A*A*A*A*", name, WildcardSyntax::Like));
}

}
}

#include "app/Settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace sorvik {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(settingsNumberText, writesSignPositionGeneralDigitsAndTrailingBlank)
{
    struct Case {
        double value;
        const char16_t* text;
    };
    const Case cases[] = {
        {1200, u" 1200 "},
        {0, u" 0 "},
        {-0.0, u" 0 "},
        {1, u" 1 "},
        {-150, u"-150 "},
        {32767, u" 32767 "},
        {-32768, u"-32768 "},
        {1234.5, u" 1234.5 "},
        {0.5, u" .5 "},
        {-0.25, u"-.25 "},
        {1.0 / 3, u" .333333333333333 "},
        {0.0001, u" .0001 "},
        {0.00001, u" 1E-05 "},
        {123456789012345, u" 123456789012345 "},
        {1e15, u" 1E+15 "},
        {-2.5e20, u"-2.5E+20 "},
        {kNaN, u" 0 "},
        {std::numeric_limits<double>::infinity(), u" 0 "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(settingsNumberText(c.value), c.text) << c.value;
}

struct FindKeyCase {
    const char16_t* line;
    const char16_t* key;
    bool found;
    double out;   // NaN: found, but no number follows
};

TEST(FindKey, readsTheTextAfterTheKeyAsAWholeNumber)
{
    const FindKeyCase cases[] = {
        {u"Top= 1200 ", u"Top=", true, 1200},
        {u"TOP=1200", u"Top=", true, 1200},
        {u"width=9000", u"Width=", true, 9000},
        {u"ReadOnly=  1 ", u"ReadOnly=", true, 1},
        {u"xx Top=  -150  ", u"Top=", true, -150},
        {u"Top=\t7\t", u"Top=", true, 7},
        {u"Top=+8", u"Top=", true, 8},
        {u"Top=12.7", u"Top=", true, 12},
        {u"Top=-12.2", u"Top=", true, -13},   // rounded down, not towards zero
        {u"Top=-0.5", u"Top=", true, -1},
        {u"Top=.5", u"Top=", true, 0},
        {u"Top=1.", u"Top=", true, 1},
        {u"Top=1e3", u"Top=", true, 1000},
        {u"Top=2.5E-1", u"Top=", true, 0},
        {u"Left=5", u"Top=", false, -1},
        {u"", u"Top=", false, -1},
        {u"Top", u"Top=", false, -1},
    };
    for (const FindKeyCase& c : cases) {
        double out = 42;
        EXPECT_EQ(FindKey(c.line, c.key, out), c.found) << toUtf8(c.line);
        EXPECT_EQ(out, c.out) << toUtf8(c.line);
    }
}

TEST(FindKey, reportsTheKeyButNoNumberWhenTheTextIsNotANumber)
{
    const FindKeyCase cases[] = {
        {u"Top=", u"Top=", true, kNaN},
        {u"Top=   ", u"Top=", true, kNaN},
        {u"Top=abc", u"Top=", true, kNaN},
        {u"Top=1200abc", u"Top=", true, kNaN},
        {u"Top=1 2", u"Top=", true, kNaN},
        {u"Top=Top=5", u"Top=", true, kNaN},   // only the first occurrence counts
        {u"Top= 5 Left= 6", u"Top=", true, kNaN},
        {u"Top=-", u"Top=", true, kNaN},
        {u"Top=.", u"Top=", true, kNaN},
        {u"Top=e5", u"Top=", true, kNaN},
        {u"Top=1e", u"Top=", true, kNaN},
        {u"Top=1e400", u"Top=", true, kNaN},
        {u"Top=nan", u"Top=", true, kNaN},
        {u"Top=inf", u"Top=", true, kNaN},
        {u"Top=１２", u"Top=", true, kNaN},   // full-width digits are no number here
        {u"Top=0x10", u"Top=", true, kNaN},
    };
    for (const FindKeyCase& c : cases) {
        double out = 42;
        EXPECT_TRUE(FindKey(c.line, c.key, out)) << toUtf8(c.line);
        EXPECT_TRUE(std::isnan(out)) << toUtf8(c.line) << " gave " << out;
    }
}

TEST(FindKey, ignoresCaseBeyondAscii)
{
    double out = 0;
    EXPECT_TRUE(FindKey(u"ÄRGER= 3", u"ärger=", out));
    EXPECT_EQ(out, 3);
    // Upper-casing "ß" gives two letters; the number must still be found
    // right after the key, not shifted by that.
    EXPECT_TRUE(FindKey(u"straße top= 4", u"TOP=", out));
    EXPECT_EQ(out, 4);
    EXPECT_TRUE(FindKey(u"ßßß Width=77", u"width=", out));
    EXPECT_EQ(out, 77);
}

TEST(FindKey, handlesAVeryLongLine)
{
    u16 line = u"Top=" + u16(1'000'000, u'9');
    double out = 0;
    EXPECT_TRUE(FindKey(line, u"Top=", out));
    EXPECT_TRUE(std::isnan(out));   // beyond what a number can hold

    line = u16(1'000'000, u'x') + u"Left= 12";
    EXPECT_TRUE(FindKey(line, u"left=", out));
    EXPECT_EQ(out, 12);
    EXPECT_FALSE(FindKey(line, u"Top=", out));
    EXPECT_EQ(out, -1);
}

}
}

#include "platform/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace sorvik::platform {
namespace {

struct Cp932Case {
    const char16_t* text;
    const char* bytes;
};

// The bytes Windows writes for these texts in code page 932.
const Cp932Case kCp932Cases[] = {
    {u"説明", "\x90\xE0\x96\xBE"},
    {u"説明記入欄", "\x90\xE0\x96\xBE\x8B\x4C\x93\xFC\x97\x93"},
    {u"ファイル", "\x83\x74\x83\x40\x83\x43\x83\x8B"},
    {u"ﾌｧｲﾙ", "\xCC\xA7\xB2\xD9"},   // half-width katakana are single bytes
    {u"黑", "\xFC\x4B"},             // IBM extension row, as Windows chooses
    {u"C:\\dir\\", "C:\\dir\\"},    // 0x5C is a backslash, never a yen sign
    {u"~", "~"},
    {u"～", "\x81\x60"},             // the full-width tilde of code page 932, not the wave dash
    {u"＼", "\x81\x5F"},
    {u"①", "\x87\x40"},             // NEC special characters
    {u"∵", "\x81\xE6"},
    {u"a b\r\n", "a b\r\n"},
    {u"", ""},
};

TEST(Cp932, EncodesTheBytesWindowsWrites)
{
    for (const auto& c : kCp932Cases) {
        SCOPED_TRACE(toUtf8(c.text));
        std::optional<std::string> bytes = encodeCp932(c.text);
        ASSERT_TRUE(bytes.has_value());
        EXPECT_EQ(*bytes, std::string(c.bytes));
    }
}

TEST(Cp932, DecodesTheSameBytesBack)
{
    for (const auto& c : kCp932Cases) {
        SCOPED_TRACE(toUtf8(c.text));
        EXPECT_EQ(decodeCp932(c.bytes), u16(c.text));
    }
}

TEST(Cp932, RefusesCharactersItCannotHoldInsteadOfSubstituting)
{
    for (const char16_t* text : {u"€", u"¥", u"ä", u"ファイル€", u"😀", u"‖", u"\u00AC"}) {
        SCOPED_TRACE(toUtf8(text));
        EXPECT_FALSE(encodeCp932(text).has_value());
        EXPECT_FALSE(representableInCp932(text));
    }
    EXPECT_TRUE(representableInCp932(u"黑黑黑黑.ini"));
    EXPECT_TRUE(representableInCp932(u""));
}

TEST(Cp932, RefusalLeavesTheConverterUsableForTheNextText)
{
    EXPECT_FALSE(encodeCp932(u"説€").has_value());
    EXPECT_EQ(encodeCp932(u"説明"), std::string("\x90\xE0\x96\xBE"));
}

struct InvalidCase {
    std::string bytes;
    const char16_t* text;
};

TEST(Cp932, DecodesInvalidBytesAsReplacementCharacters)
{
    const InvalidCase cases[] = {
        {"\x81", u"\uFFFD"},                    // lead byte cut off at the end
        {"ab\x90", u"ab\uFFFD"},
        {"\x81 x", u"\uFFFD x"},                // lead byte without a trail byte
        {"\x85\x40z", u"\uFFFDz"},              // unassigned double-byte code
        {"\x90\xE0\x81", u"説\uFFFD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(decodeCp932(c.bytes), u16(c.text));
    }
}

TEST(Cp932, DecodesEveryByteValueWithoutFailing)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        for (int t = 0; t < 256; t += 7) {
            all += static_cast<char>(b);
            all += static_cast<char>(t);
        }
    u16 text = decodeCp932(all);
    EXPECT_GE(text.size(), all.size() / 2);
}

TEST(Utf8, ConvertsBothWaysAndReplacesBrokenInput)
{
    EXPECT_EQ(fromUtf8("黑黑黑HP.txt"), u"黑黑黑HP.txt");
    EXPECT_EQ(toUtf8(u"説明 😀"), "説明 😀");
    EXPECT_EQ(fromUtf8("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(toUtf8(u16(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(fromUtf8(""), u"");
}

TEST(ToUpper, UsesFullUnicodeMappingWithoutLocaleRules)
{
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"c:\\work\\a.txt", u"C:\\WORK\\A.TXT"},
        {u"straße", u"STRASSE"},     // one character becomes two
        {u"ｆｉｌｅ", u"ＦＩＬＥ"},
        {u"ä", u"Ä"},
        {u"i", u"I"},                // never the Turkish dotted capital
        {u"黑ﾌｧｲﾙ", u"黑ﾌｧｲﾙ"},
        {u"", u""},
    };
    for (const auto& [in, out] : cases) {
        SCOPED_TRACE(toUtf8(in));
        EXPECT_EQ(toUpper(in), u16(out));
    }
}

TEST(CompareNoCase, IgnoresLetterCaseOnly)
{
    EXPECT_LT(compareNoCase(u"abc", u"ABD"), 0);
    EXPECT_GT(compareNoCase(u"ABD", u"abc"), 0);
    EXPECT_EQ(compareNoCase(u"Readme.TXT", u"README.txt"), 0);
    EXPECT_NE(compareNoCase(u"resume", u"résumé"), 0);
    EXPECT_NE(compareNoCase(u"a", u"b"), 0);
    EXPECT_EQ(compareNoCase(u"", u""), 0);
    EXPECT_LT(compareNoCase(u"", u"a"), 0);
}

TEST(CollationKey, OrdersLikeCompareNoCase)
{
    std::vector<u16> words = {u"beta", u"Alpha", u"alpha2", u"ALPHA", u"gamma", u"Beta", u"ファイル", u"ﾌｧｲﾙ",
        u"説明", u"1.txt", u"_x", u"", u"résumé", u"resume", u"Zeta"};
    for (const u16& a : words) {
        for (const u16& b : words) {
            int byKey = collationKey(a).compare(collationKey(b));
            int expected = compareNoCase(a, b);
            SCOPED_TRACE(toUtf8(a) + " / " + toUtf8(b));
            EXPECT_EQ(byKey < 0, expected < 0);
            EXPECT_EQ(byKey == 0, expected == 0);
        }
    }
}

TEST(CollationKey, SortsNamesWithoutRegardToCase)
{
    std::vector<u16> names = {u"b.txt", u"A.txt", u"c.TXT", u"a2.txt"};
    std::sort(names.begin(), names.end(), [](const u16& x, const u16& y) { return collationKey(x) < collationKey(y); });
    EXPECT_EQ(names, (std::vector<u16>{u"A.txt", u"a2.txt", u"b.txt", u"c.TXT"}));
}

TEST(SplitLines, AcceptsEveryLineEnd)
{
    const std::pair<const char16_t*, std::vector<u16>> cases[] = {
        {u"a\r\nb\r\n", {u"a", u"b"}},
        {u"a\nb\n", {u"a", u"b"}},
        {u"a\rb\r", {u"a", u"b"}},
        {u"a\r\nb", {u"a", u"b"}},            // missing last line end
        {u"a\r\n\r\nb\r\n", {u"a", u"", u"b"}},
        {u"\r\n", {u""}},
        {u"a\n\r\nb", {u"a", u"", u"b"}},
        {u"", {}},
    };
    for (const auto& [text, lines] : cases) {
        SCOPED_TRACE(toUtf8(text));
        EXPECT_EQ(splitLines(text), lines);
    }
}

TEST(JoinLinesCrLf, EndsEveryLineWithCrLf)
{
    EXPECT_EQ(joinLinesCrLf({u"[Init]", u"Top=0"}), u"[Init]\r\nTop=0\r\n");
    EXPECT_EQ(joinLinesCrLf({u""}), u"\r\n");
    EXPECT_EQ(joinLinesCrLf({}), u"");
    std::vector<u16> lines = {u"x", u"", u"説明"};
    EXPECT_EQ(splitLines(joinLinesCrLf(lines)), lines);
}

}
}

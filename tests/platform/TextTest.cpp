#include "platform/Text.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#endif

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
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
    {u"C:\\dir\\", "C:\\dir\\"},     // 0x5C is a backslash, never a yen sign
    {u"~", "~"},
    {u"～", "\x81\x60"},   // the full-width tilde of code page 932, not the wave dash
    {u"＼", "\x81\x5F"},
    {u"①", "\x87\x40"},   // NEC special characters
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

// Found by fuzzing: U+00AD went out as no bytes at all, so a saved name or
// description silently lost it; U+F86F went out as the bytes of "№".
TEST(Cp932, RefusesCharactersItWouldDropOrReplace)
{
    const std::u16string pair = u"a\U000E0100b";   // a variation selector beyond the BMP
    for (const u16& text : {u16(u"\u00AD"), u16(u"ab\u200Bc"), u16(u"\uFEFF説明"), u16(u"1\uFE0F"), u16(u"\u180E"),
             u16(u"\uF86F"), pair}) {
        SCOPED_TRACE(toUtf8(text));
        EXPECT_FALSE(encodeCp932(text).has_value());
        EXPECT_FALSE(representableInCp932(text));
        std::string out = "x";
        EXPECT_FALSE(appendCp932(text, out));
        EXPECT_EQ(out, "x");
    }
    EXPECT_EQ(encodeCp932(u"\u2116"), std::optional<std::string>("\x87\x82"));
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
        {"\x81", u"\uFFFD"},   // lead byte cut off at the end
        {"ab\x90", u"ab\uFFFD"},
        {"\x81 x", u"\uFFFD x"},     // lead byte without a trail byte
        {"\x85\x40z", u"\uFFFDz"},   // unassigned double-byte code
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

TEST(Cp932, DecodesIntoAStringReplacingItsText)
{
    u16 text = u"a much longer text that was there before";
    decodeCp932("\x90\xE0\x96\xBE\x81", text);
    EXPECT_EQ(text, u"説明\uFFFD");
    decodeCp932("", text);
    EXPECT_EQ(text, u"");
}

TEST(Cp932, AppendsOnlyTextItCanHold)
{
    std::string out = "x,";
    EXPECT_TRUE(appendCp932(u"説明\r\n", out));
    EXPECT_EQ(out, "x,\x90\xE0\x96\xBE\r\n");
    EXPECT_FALSE(appendCp932(u"ab€", out));
    EXPECT_EQ(out, "x,\x90\xE0\x96\xBE\r\n");
    EXPECT_TRUE(appendCp932(u"", out));
    EXPECT_EQ(out.size(), 8u);
}

// ICU is the Linux layer's converter; the Windows build has none to compare
// with. There the same every-byte and every-character tables are written by
// tools/data-files and compared with the Linux build's (DataFilesMatch).
#ifndef _WIN32
// The conversion the tables stand in for, asked directly: ICU's windows-31j,
// one U+FFFD per undecodable sequence, no substitutes when encoding, and text
// refused whose bytes would not decode back to it (ICU drops default-ignorable
// characters and gives a few private-use ones other characters' bytes). The
// tables follow Windows for four single bytes: 0x1A, 0x1C and 0x7F are the
// controls of the same numbers (ICU has IBM's rotation of them) and 0x80 is
// U+0080 (ICU has none); this reference does the same.
class IcuCp932 {
public:
    IcuCp932()
    {
        UErrorCode err = U_ZERO_ERROR;
        m_decoder.reset(ucnv_open("windows-31j", &err));
        m_encoder.reset(ucnv_open("windows-31j", &err));
        if (U_SUCCESS(err)) {
            ucnv_setToUCallBack(m_decoder.get(), replace, nullptr, nullptr, nullptr, &err);
            ucnv_setFromUCallBack(m_encoder.get(), stopButU0080, nullptr, nullptr, nullptr, &err);
        }
        m_ok = U_SUCCESS(err);
    }

    bool ok() const { return m_ok; }

    u16 decode(std::string_view bytes)
    {
        u16 out(bytes.size() * 2 + 2, u'\0');
        UErrorCode err = U_ZERO_ERROR;
        ucnv_resetToUnicode(m_decoder.get());
        const int32_t n = ucnv_toUChars(m_decoder.get(), reinterpret_cast<UChar*>(out.data()),
            static_cast<int32_t>(out.size()), bytes.data(), static_cast<int32_t>(bytes.size()), &err);
        out.resize(U_FAILURE(err) ? 0 : n);
        for (char16_t& c : out)
            c = c == 0x1C ? 0x1A : c == 0x7F ? 0x1C : c == 0x1A ? 0x7F : c;
        return out;
    }

    std::optional<std::string> encode(u16view text)
    {
        std::string out(text.size() * 4 + 4, '\0');
        UErrorCode err = U_ZERO_ERROR;
        ucnv_resetFromUnicode(m_encoder.get());
        u16 rotated(text);
        for (char16_t& c : rotated)
            c = c == 0x1A ? 0x1C : c == 0x1C ? 0x7F : c == 0x7F ? 0x1A : c;
        const int32_t n = ucnv_fromUChars(m_encoder.get(), out.data(), static_cast<int32_t>(out.size()),
            reinterpret_cast<const UChar*>(rotated.data()), static_cast<int32_t>(rotated.size()), &err);
        if (U_FAILURE(err))
            return std::nullopt;
        out.resize(n);
        if (decode(out) != text)
            return std::nullopt;
        return out;
    }

private:
    static void stopButU0080(const void*, UConverterFromUnicodeArgs* args, const UChar*, int32_t, UChar32 codePoint,
        UConverterCallbackReason reason, UErrorCode* err)
    {
        if (reason == UCNV_UNASSIGNED && codePoint == 0x80) {
            *err = U_ZERO_ERROR;
            ucnv_cbFromUWriteBytes(args, "\x80", 1, 0, err);
        }
    }

    static void replace(const void*, UConverterToUnicodeArgs* args, const char* bytes, int32_t length,
        UConverterCallbackReason reason, UErrorCode* err)
    {
        if (reason > UCNV_IRREGULAR)
            return;
        *err = U_ZERO_ERROR;
        const bool u0080 = length == 1 && static_cast<unsigned char>(bytes[0]) == 0x80;
        const UChar replacement = u0080 ? 0x80 : 0xFFFD;
        ucnv_cbToUWriteUChars(args, &replacement, 1, 0, err);
    }

    struct Closer {
        void operator()(UConverter* c) const { ucnv_close(c); }
    };
    std::unique_ptr<UConverter, Closer> m_decoder;
    std::unique_ptr<UConverter, Closer> m_encoder;
    bool m_ok = false;
};

std::string hex(std::string_view bytes)
{
    std::string out;
    for (unsigned char b : bytes) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02X ", b);
        out += digits;
    }
    return out;
}

std::string hex(u16view text)
{
    std::string out;
    for (char16_t c : text) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%04X ", static_cast<unsigned>(c));
        out += digits;
    }
    return out;
}

// Collects disagreements so that a drift shows its first cases, not 65,536 failures.
class Mismatches {
public:
    void checkDecode(IcuCp932& icu, std::string_view bytes)
    {
        const u16 expected = icu.decode(bytes);
        const u16 actual = decodeCp932(bytes);
        if (actual != expected)
            add(hex(bytes) + "-> " + hex(actual) + "instead of " + hex(expected));
    }

    void checkEncode(IcuCp932& icu, u16view text)
    {
        const std::optional<std::string> expected = icu.encode(text);
        const std::optional<std::string> actual = encodeCp932(text);
        if (actual != expected || representableInCp932(text) != expected.has_value())
            add(hex(text) + "-> " + (actual ? hex(*actual) : "refused ") + "instead of "
                + (expected ? hex(*expected) : "refused"));
    }

    void expectNone() const { EXPECT_EQ(m_count, 0u) << "first ones:\n" << m_first; }

private:
    void add(const std::string& line)
    {
        if (m_count++ < 10)
            m_first += line + "\n";
    }

    std::size_t m_count = 0;
    std::string m_first;
};

class Cp932Tables : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(icu.ok());
        ASSERT_TRUE(cp932TablesInUse());
    }

    IcuCp932 icu;
    Mismatches mismatches;
};

TEST_F(Cp932Tables, DecodeEveryByteAndBytePairAsIcuDoes)
{
    for (int b = 0; b < 256; ++b)
        mismatches.checkDecode(icu, std::string(1, static_cast<char>(b)));
    for (int lead = 0; lead < 256; ++lead) {
        for (int trail = 0; trail < 256; ++trail) {
            const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            mismatches.checkDecode(icu, std::string_view(pair, 2));
        }
    }
    mismatches.expectNone();
}

// A bad lead byte leaves its follower to start afresh, so sequences matter too.
TEST_F(Cp932Tables, DecodeRunsOfBytesAsIcuDoes)
{
    std::mt19937 random(932);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(1, 40);
    for (int run = 0; run < 20000; ++run) {
        std::string bytes;
        for (int n = length(random); n > 0; --n)
            bytes += static_cast<char>(byte(random));
        mismatches.checkDecode(icu, bytes);
    }
    // Long enough to cross the converter's internal blocks, with ASCII runs.
    std::string big;
    for (int i = 0; i < 200000; ++i)
        big += static_cast<char>(i % 5 == 0 ? byte(random) : byte(random) % 0x80);
    mismatches.checkDecode(icu, big);
    mismatches.expectNone();
}

TEST_F(Cp932Tables, EncodeEveryCodePointAsIcuDoes)
{
    for (char32_t cp = 0; cp < 0x10000; ++cp) {
        const char16_t unit = static_cast<char16_t>(cp);
        mismatches.checkEncode(icu, u16view(&unit, 1));
    }
    for (char32_t cp = 0x10000; cp <= 0x10FFFF; ++cp) {
        const char16_t pair[2] = {static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)),
            static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF))};
        mismatches.checkEncode(icu, u16view(pair, 2));
    }
    mismatches.expectNone();
}

TEST_F(Cp932Tables, EncodeMixedTextAsIcuDoes)
{
    // Kana, kanji, ASCII, characters ICU drops, ones it refuses, and surrogates
    // paired and alone.
    const std::vector<char16_t> pool = {u'a', u'\\', u'~', u'ｱ', u'説', u'黑', u'①', u'～', 0xF86F, 0x200B, 0xFEFF,
        0xFE0F, u'€', u'ä', 0xD800, 0xDB40, 0xDC00, 0xDD00, 0xDFFF, 0xE000, 0xFFFD};
    std::mt19937 random(31);
    std::uniform_int_distribution<std::size_t> pick(0, pool.size() - 1);
    std::uniform_int_distribution<int> length(0, 12);
    for (int run = 0; run < 20000; ++run) {
        u16 text;
        for (int n = length(random); n > 0; --n)
            text += pool[pick(random)];
        mismatches.checkEncode(icu, text);
    }
    mismatches.expectNone();
}
#endif

TEST(Utf8, ConvertsBothWaysAndReplacesBrokenInput)
{
    EXPECT_EQ(fromUtf8("黑黑黑HP.txt"), u"黑黑黑HP.txt");
    EXPECT_EQ(toUtf8(u"説明 😀"), "説明 😀");
    EXPECT_EQ(fromUtf8("a\xFF"
                       "b"),
        u"a\uFFFDb");
    EXPECT_EQ(toUtf8(u16(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(fromUtf8(""), u"");
}

TEST(ToUpper, UsesFullUnicodeMappingWithoutLocaleRules)
{
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"c:\\work\\a.txt", u"C:\\WORK\\A.TXT"},
#ifndef _WIN32
        // ICU's full mapping; the Windows system call maps one to one and
        // leaves "ß" as it is, as Windows compares file names.
        {u"straße", u"STRASSE"},   // one character becomes two
#endif
        {u"ｆｉｌｅ", u"ＦＩＬＥ"},
        {u"ä", u"Ä"},
        {u"i", u"I"},   // never the Turkish dotted capital
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
    std::vector<u16> words = {u"beta", u"Alpha", u"alpha2", u"ALPHA", u"gamma", u"Beta", u"ファイル", u"ﾌｧｲﾙ", u"説明",
        u"1.txt", u"_x", u"", u"résumé", u"resume", u"Zeta"};
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
        {u"a\r\nb", {u"a", u"b"}},   // missing last line end
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

#include "platform/Utf8.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#ifndef _WIN32
#include <unicode/ustring.h>
#endif

namespace sorvik {

namespace {

// Each malformed stretch becomes one U+FFFD, as long as the longest start of a
// well-formed sequence it holds.
TEST(Utf8, MalformedBytesBecomeOneReplacementPerMaximalPart)
{
    struct Case {
        const char* bytes;
        u16 text;
    };
    const Case cases[] = {
        {"A\xC0\xAF"
         "B",
            u"A\uFFFD\uFFFDB"},                    // C0 never starts a sequence
        {"\xE0\x80\x80", u"\uFFFD\uFFFD\uFFFD"},   // overlong: E0 needs A0..BF next
        {"\xE3\x81", u"\uFFFD"},                   // cut short at the end
        {"\xE3\x81"
         "A",
            u"\uFFFD"
            "A"},                                            // cut short before a letter
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},             // a surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},   // above U+10FFFF
        {"\xF0\x9F\x98"
         "x",
            u"\uFFFDx"},   // three of four bytes
        {"\xFF\xFE", u"\uFFFD\uFFFD"},
        {"\xE3\x81\x82\xF0\x9F\x98\x80", u"\u3042\U0001F600"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(fromUtf8(c.bytes), c.text);
    }
}

TEST(Utf8, ALoneSurrogateIsWrittenAsAReplacement)
{
    EXPECT_EQ(toUtf8(u16(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(toUtf8(u"a" + u16(1, char16_t(0xDC00)) + u"b"),
        "a\xEF\xBF\xBD"
        "b");
    EXPECT_EQ(toUtf8(u"\U0001F600\u3042"), "\xF0\x9F\x98\x80\xE3\x81\x82");
}

TEST(Utf8, EveryWellFormedCodePointRoundTrips)
{
    for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF)
            continue;
        std::string bytes;
        platform::appendUtf8(bytes, cp);
        char32_t read = 0;
        ASSERT_EQ(platform::utf8Sequence(bytes, 0, read), bytes.size()) << std::hex << std::uint32_t(cp);
        ASSERT_EQ(std::uint32_t(read), std::uint32_t(cp));
        ASSERT_EQ(toUtf8(fromUtf8(bytes)), bytes) << std::hex << std::uint32_t(cp);
    }
}

#ifndef _WIN32
u16 icuFromUtf8(const std::string& bytes)
{
    u16 out(bytes.size() + 1, u'\0');
    int32_t length = 0;
    UErrorCode err = U_ZERO_ERROR;
    u_strFromUTF8WithSub(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()), &length, bytes.data(),
        static_cast<int32_t>(bytes.size()), 0xFFFD, nullptr, &err);
    out.resize(U_SUCCESS(err) ? length : 0);
    return out;
}

// The codec replaced ICU's on Linux: random bytes read as ICU reads them.
TEST(Utf8, RandomBytesDecodeAsIcuDecodesThem)
{
    std::mt19937 random(20261209);
    // Bytes weighted to the lead and continuation ranges, so that nearly
    // well-formed sequences are common.
    const unsigned char interesting[] = {0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1, 0xC2, 0xDF, 0xE0,
        0xE3, 0xED, 0xEF, 0xF0, 0xF3, 0xF4, 0xF5, 0xFF};
    for (int round = 0; round < 20000; ++round) {
        std::string bytes(random() % 9, '\0');
        for (char& b : bytes)
            b = static_cast<char>(interesting[random() % sizeof interesting]);
        ASSERT_EQ(fromUtf8(bytes), icuFromUtf8(bytes)) << "round " << round;
    }
}
#endif

}

}

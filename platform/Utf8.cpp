#include "platform/Utf8.h"

#include "platform/Text.h"

namespace sorvik::platform {

namespace {

// The range the second byte of a sequence may take after its first byte;
// later bytes are always 80..BF.
bool secondByteFits(unsigned char first, unsigned char second)
{
    switch (first) {
    case 0xE0:
        return second >= 0xA0 && second <= 0xBF;   // no overlong forms
    case 0xED:
        return second >= 0x80 && second <= 0x9F;   // no surrogates
    case 0xF0:
        return second >= 0x90 && second <= 0xBF;   // no overlong forms
    case 0xF4:
        return second >= 0x80 && second <= 0x8F;   // nothing above U+10FFFF
    default:
        return (second & 0xC0) == 0x80;
    }
}

std::size_t sequenceLength(unsigned char first)
{
    if (first < 0x80)
        return 1;
    if (first >= 0xC2 && first <= 0xDF)
        return 2;
    if (first >= 0xE0 && first <= 0xEF)
        return 3;
    if (first >= 0xF0 && first <= 0xF4)
        return 4;
    return 0;   // 80..C1 and F5..FF never start a sequence
}

}

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::size_t utf8Sequence(std::string_view s, std::size_t i, char32_t& cp)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char first = byte(i);
    const std::size_t length = sequenceLength(first);
    if (length == 0 || i + length > s.size())
        return 0;
    if (length == 1) {
        cp = first;
        return 1;
    }
    if (!secondByteFits(first, byte(i + 1)))
        return 0;
    cp = first & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    return length;
}

std::size_t malformedLength(std::string_view s, std::size_t i)
{
    const unsigned char first = static_cast<unsigned char>(s[i]);
    const std::size_t length = sequenceLength(first);
    if (length <= 1 || i + 1 >= s.size() || !secondByteFits(first, static_cast<unsigned char>(s[i + 1])))
        return 1;
    std::size_t k = 2;
    while (k < length && i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80)
        ++k;
    return k;
}

}

namespace sorvik {

u16 fromUtf8(std::string_view utf8)
{
    u16 out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = 0;
        if (const std::size_t length = platform::utf8Sequence(utf8, i, cp)) {
            i += length;
            if (cp >= 0x10000) {
                cp -= 0x10000;
                out += static_cast<char16_t>(0xD800 + (cp >> 10));
                out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
            } else {
                out += static_cast<char16_t>(cp);
            }
        } else {
            out += u'\uFFFD';
            i += platform::malformedLength(utf8, i);
        }
    }
    return out;
}

std::string toUtf8(u16view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            platform::appendUtf8(out, 0x10000 + ((char32_t(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            platform::appendUtf8(out, 0xFFFD);   // a lone surrogate
        } else {
            platform::appendUtf8(out, c);
        }
    }
    return out;
}

}

#include "desc/FieldEscape.h"

#include "platform/Text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

namespace sorvik {

namespace {

// How a double quote inside a field goes out: as is, as an escape (inside a
// quoted path) or doubled (inside a quoted description).
enum class Quotes { Keep, Escape, Double };

int hexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}

void appendCodePoint(u16& out, char32_t cp)
{
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<char16_t>(cp);
    }
}

// A lone surrogate counts as one code point of its own value.
char32_t codePointAt(u16view text, std::size_t i, std::size_t& units)
{
    const char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        units = 2;
        return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
    }
    units = 1;
    return c;
}

bool representable(char32_t cp)
{
    if (cp < 0x80)
        return true;
    u16 one;
    appendCodePoint(one, cp);
    return platform::representableInCp932(one);
}

// The characters the writer escapes; only these escapes are read back.
bool escapedValue(char32_t cp)
{
    if (cp == u'\n' || cp == u'\r' || cp == u'"' || cp == u'&')
        return true;
    return cp <= 0x10FFFF && !representable(cp);
}

struct Escape {
    char32_t value;
    std::size_t length;
};

std::optional<Escape> escapeAt(u16view text, std::size_t i)
{
    if (text.compare(i, 3, u"&#x") != 0)
        return std::nullopt;
    std::size_t j = i + 3;
    char32_t value = 0;
    int digits = 0;
    for (; j < text.size() && digits < 6; ++j, ++digits) {
        const int d = hexDigit(text[j]);
        if (d < 0)
            break;
        value = value * 16 + static_cast<char32_t>(d);
    }
    if (digits == 0 || j >= text.size() || text[j] != u';' || !escapedValue(value))
        return std::nullopt;
    return Escape{value, j + 1 - i};
}

void appendEscape(u16& out, char32_t value)
{
    out += u"&#x";
    char16_t digits[8];
    int n = 0;
    do {
        digits[n++] = u"0123456789ABCDEF"[value & 0xF];
        value >>= 4;
    } while (value != 0);
    while (n > 0)
        out += digits[--n];
    out += u';';
}

// The characters a writer looks at twice all lie at or below "&", so one
// comparison clears nearly every character of a path or description.
template<bool kEscapeUnencodable>
std::size_t nextCare(u16view text, std::size_t from)
{
    for (std::size_t i = from; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c > u'&') {
            if (kEscapeUnencodable && c >= 0x80)
                return i;
        } else if (c == u'\r' || c == u'\n' || c == u'"' || c == u'&') {
            return i;
        }
    }
    return text.size();
}

void appendEscaped(u16& out, u16view text, Quotes quotes, bool escapeUnencodable)
{
    std::size_t runStart = 0;
    std::size_t i = 0;
    for (;;) {
        i = escapeUnencodable ? nextCare<true>(text, i) : nextCare<false>(text, i);
        if (i >= text.size())
            break;
        const char16_t c = text[i];
        // Plain runs go out in one piece; only the odd character is looked at.
        out.append(text.substr(runStart, i - runStart));
        std::size_t units = 1;
        if (c == u'\r' || c == u'\n') {
            appendEscape(out, c);
        } else if (c == u'"') {
            if (quotes == Quotes::Escape)
                appendEscape(out, c);
            else
                out += quotes == Quotes::Double ? u"\"\"" : u"\"";
        } else if (c == u'&') {
            if (escapeAt(text, i))
                appendEscape(out, c);
            else
                out += c;
        } else {
            const char32_t cp = codePointAt(text, i, units);
            if (representable(cp))
                out.append(text.substr(i, units));
            else
                appendEscape(out, cp);
        }
        i += units;
        runStart = i;
    }
    out.append(text.substr(runStart));
}

// Nearly every path and description is looked through for an "&" and has
// none: four characters at a time, a lane equal to "&" becomes zero and the
// borrow of subtracting one sets its top bit.
std::size_t findAmpersand(u16view text)
{
    constexpr std::uint64_t kOnes = 0x0001000100010001ULL;
    std::size_t i = 0;
    for (; i + 4 <= text.size(); i += 4) {
        std::uint64_t w;
        std::memcpy(&w, text.data() + i, 8);
        w ^= u'&' * kOnes;
        if (((w - kOnes) & ~w & (0x8000 * kOnes)) != 0)
            break;
    }
    return text.find(u'&', i);
}

// A rest of line that is exactly one quoted token, inner quotes doubled.
std::optional<u16> unquoteToken(u16view rest)
{
    u16 out;
    for (std::size_t i = 1; i < rest.size(); ++i) {
        if (rest[i] != u'"') {
            out += rest[i];
            continue;
        }
        if (i + 1 < rest.size() && rest[i + 1] == u'"') {
            out += u'"';
            ++i;
            continue;
        }
        if (rest.find_first_not_of(u' ', i + 1) != u16view::npos)
            return std::nullopt;
        return out;
    }
    return std::nullopt;
}

}

// Into an existing string, so a reload reuses the memory of the record it replaces.
void unescapeInto(u16view text, u16& out)
{
    std::size_t amp = findAmpersand(text);
    out.assign(text.substr(0, amp));
    if (amp == u16view::npos)
        return;
    for (std::size_t i = amp; i < text.size();) {
        if (text[i] == u'&') {
            if (auto escape = escapeAt(text, i)) {
                appendCodePoint(out, escape->value);
                i += escape->length;
                continue;
            }
        }
        out += text[i++];
    }
}

void readComentInto(u16view raw, u16& out)
{
    const std::size_t lead = std::min(raw.find_first_not_of(u' '), raw.size());
    const u16view rest = raw.substr(lead);
    if (!rest.empty() && rest.front() == u'"') {
        if (auto token = unquoteToken(rest)) {
            // Spaces in front of a description never survive writing, so
            // they are not taken from inside the quotes either.
            const u16view text(*token);
            unescapeInto(text.substr(std::min(text.find_first_not_of(u' '), text.size())), out);
            return;
        }
    }
    unescapeInto(rest, out);
}

// Whether appendLine() would give the field exactly as it is: nothing in it
// is quoted, doubled or escaped. Everything that could be lies at or below
// ",", so four characters at a time are cleared when none of them does: a
// lane below 0x2D borrows into its top bit, one of 0x8000 or more has it
// masked off by ~w.
bool goesOutAsItIs(u16view text, bool isPath)
{
    if (isPath && !text.empty() && text.front() == u' ')
        return false;
    constexpr std::uint64_t kOnes = 0x0001000100010001ULL;
    std::size_t i = 0;
    while (i < text.size()) {
        std::uint64_t w;
        if (i + 4 <= text.size()
            && (std::memcpy(&w, text.data() + i, 8), ((w - 0x2D * kOnes) & ~w & (0x8000 * kOnes)) == 0)) {
            i += 4;
            continue;
        }
        const char16_t c = text[i++];
        if (c == u'\r' || c == u'\n' || c == u'"' || c == u'&' || (isPath && c == u','))
            return false;
    }
    return true;
}

void appendLine(u16& out, u16view path, u16view coment, bool escapeUnencodable)
{
    const bool quotePath
        = path.find(u',') != u16view::npos || (!path.empty() && (path.front() == u'"' || path.front() == u' '));
    if (quotePath) {
        out += u'"';
        appendEscaped(out, path, Quotes::Escape, escapeUnencodable);
        out += u'"';
    } else {
        appendEscaped(out, path, Quotes::Keep, escapeUnencodable);
    }
    out += u',';

    // Leading spaces go out as typed; they are skipped on reading. A
    // description is quoted only when it would read back unquoted otherwise:
    // one that goes on after its quoted part ("a" b) goes out as it is, so
    // that a reader of the plain field rules still finds its quoted part.
    // Escaping keeps every quote and space where it is, so the text tells.
    const std::size_t lead = std::min(coment.find_first_not_of(u' '), coment.size());
    out.append(coment.substr(0, lead));
    const u16view rest = coment.substr(lead);
    if (!rest.empty() && rest.front() == u'"' && unquoteToken(rest)) {
        out += u'"';
        appendEscaped(out, rest, Quotes::Double, escapeUnencodable);
        out += u'"';
    } else {
        appendEscaped(out, rest, Quotes::Keep, escapeUnencodable);
    }
}

}

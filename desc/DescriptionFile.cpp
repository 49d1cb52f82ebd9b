#include "desc/DescriptionFile.h"

#include "desc/FieldReader.h"

#include <algorithm>
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

bool needsCare(char16_t c, bool escapeUnencodable)
{
    return c == u'\r' || c == u'\n' || c == u'"' || c == u'&' || (c >= 0x80 && escapeUnencodable);
}

void appendEscaped(u16& out, u16view text, Quotes quotes, bool escapeUnencodable)
{
    std::size_t runStart = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char16_t c = text[i];
        if (!needsCare(c, escapeUnencodable)) {
            ++i;
            continue;
        }
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

u16 unescape(u16view text)
{
    std::size_t amp = text.find(u'&');
    if (amp == u16view::npos)
        return u16(text);
    u16 out(text.substr(0, amp));
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
    return out;
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

u16 readComent(u16view raw)
{
    const std::size_t lead = std::min(raw.find_first_not_of(u' '), raw.size());
    const u16view rest = raw.substr(lead);
    if (!rest.empty() && rest.front() == u'"') {
        if (auto token = unquoteToken(rest))
            return unescape(*token);
    }
    return unescape(rest);
}

void appendLine(u16& out, u16view path, u16view coment, bool escapeUnencodable)
{
    const bool quotePath = path.find(u',') != u16view::npos
        || (!path.empty() && (path.front() == u'"' || path.front() == u' '));
    if (quotePath) {
        out += u'"';
        appendEscaped(out, path, Quotes::Escape, escapeUnencodable);
        out += u'"';
    } else {
        appendEscaped(out, path, Quotes::Keep, escapeUnencodable);
    }
    out += u',';

    // Leading spaces go out as typed; they are skipped on reading.
    const std::size_t lead = std::min(coment.find_first_not_of(u' '), coment.size());
    out.append(coment.substr(0, lead));
    const u16view rest = coment.substr(lead);
    if (!rest.empty() && rest.front() == u'"') {
        out += u'"';
        appendEscaped(out, rest, Quotes::Double, escapeUnencodable);
        out += u'"';
    } else {
        appendEscaped(out, rest, Quotes::Keep, escapeUnencodable);
    }
}

}

void DescriptionFile::read(std::string_view bytes, DescriptionStore& store)
{
    store.reserve(store.count() + static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
    // No record spans a line end, and 0x0A is never the second byte of a
    // code page 932 character, so the file is decoded and parsed in pieces
    // cut after a LF: the text stays small and in cache.
    constexpr std::size_t kPiece = 32 * 1024;
    while (!bytes.empty()) {
        std::size_t cut = bytes.size();
        if (bytes.size() > kPiece) {
            cut = bytes.rfind('\n', kPiece);
            cut = cut == std::string_view::npos ? bytes.find('\n', kPiece) : cut;
            cut = cut == std::string_view::npos ? bytes.size() : cut + 1;
        }
        parse(platform::decodeCp932(bytes.substr(0, cut)), store);
        bytes.remove_prefix(cut);
    }
}

void DescriptionFile::parse(u16view text, DescriptionStore& store)
{
    FieldReader reader(text);
    while (auto path = reader.nextView()) {
        if (reader.lastEnd() != FieldReader::End::Comma)
            continue;
        const u16view raw = reader.restOfLine();
        store.append(clsComent(unescape(*path), readComent(raw)));
    }
}

std::string DescriptionFile::write(const DescriptionStore& store)
{
    std::size_t size = 0;
    store.forEach([&](const clsComent& r) { size += r.Path.size() + r.Coment.size() + 5; });
    u16 text;
    text.reserve(size);
    store.forEach([&](const clsComent& r) {
        appendLine(text, r.Path, r.Coment, false);
        text += u"\r\n";
    });
    if (auto bytes = platform::encodeCp932(text))
        return std::move(*bytes);

    // Some record holds text the code page lacks: escape it in that line only.
    std::string bytes;
    bytes.reserve(size * 2);
    store.forEach([&](const clsComent& r) {
        u16 line;
        appendLine(line, r.Path, r.Coment, false);
        line += u"\r\n";
        auto encoded = platform::encodeCp932(line);
        if (!encoded) {
            line.clear();
            appendLine(line, r.Path, r.Coment, true);
            line += u"\r\n";
            encoded = platform::encodeCp932(line);
        }
        if (encoded)
            bytes += *encoded;
    });
    return bytes;
}

u16 DescriptionFile::formatLine(u16view path, u16view coment, bool escapeUnencodable)
{
    u16 line;
    appendLine(line, path, coment, escapeUnencodable);
    return line;
}

}

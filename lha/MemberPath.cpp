#include "lha/MemberPath.h"

#include "platform/DriveTable.h"

namespace sorvik::lha {

namespace {

constexpr char16_t kKeptByte = 0xDC00;   // + the byte, 0x80..0xFF

bool isSeparator(char16_t c)
{
    return c == u'\\' || c == u'/';
}

bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool isKeptByte(char16_t c)
{
    return c >= kKeptByte + 0x80 && c <= kKeptByte + 0xFF;
}

// Code page 932 maps no character to U+FFFD, so it marks bytes the decoder
// could not read. Character by character from there on, each such byte kept.
void appendDecoded(std::string_view bytes, u16& text)
{
    if (bytes.empty())
        return;
    const u16 whole = platform::decodeCp932(bytes);
    if (whole.find(u'\uFFFD') == u16::npos) {
        text += whole;
        return;
    }
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const std::size_t width = isLeadByte(b) && i + 1 < bytes.size() ? 2 : 1;
        const u16 one = platform::decodeCp932(bytes.substr(i, width));
        if (one.find(u'\uFFFD') == u16::npos) {
            text += one;
            i += width;
        } else {
            // Only the first byte is kept: the next one starts over, so an
            // ASCII byte after a bad lead byte reads as itself.
            text.push_back(static_cast<char16_t>(kKeptByte + b));
            ++i;
        }
    }
}

// Splits raw bytes at 0xFF first: it is never part of a code page 932
// character, while 0x5C can be the second byte of one, so "\" is only
// looked for after decoding.
u16 decodeWithBackslashes(std::string_view stored)
{
    u16 text;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= stored.size(); ++i) {
        if (i == stored.size() || static_cast<unsigned char>(stored[i]) == 0xFF) {
            appendDecoded(stored.substr(start, i - start), text);
            if (i != stored.size())
                text.push_back(u'\\');
            start = i + 1;
        }
    }
    return text;
}

#ifdef _WIN32
// Names Windows gives to devices in every directory ("NUL", "COM1.txt") or
// changes on the way to the disk (trailing dots and blanks): a member so named
// would write to a device or to another file than the one checked.
bool windowsRefuses(u16view name)
{
    if (name.empty() || name.back() == u'.' || name.back() == u' ')
        return true;
    for (char16_t ch : name)
        if (ch == u'<' || ch == u'>' || ch == u'"' || ch == u'|' || ch == u'?' || ch == u'*')
            return true;
    u16 base(name.substr(0, name.find(u'.')));
    while (!base.empty() && base.back() == u' ')
        base.pop_back();
    for (char16_t& ch : base)
        if (ch >= u'a' && ch <= u'z')
            ch = static_cast<char16_t>(ch - u'a' + u'A');
    if (base == u"CON" || base == u"PRN" || base == u"AUX" || base == u"NUL" || base == u"CONIN$" || base == u"CONOUT$")
        return true;
    return base.size() == 4 && (base.starts_with(u"COM") || base.starts_with(u"LPT")) && base[3] >= u'1'
        && base[3] <= u'9';
}
#endif

bool onlyDotsAndBlanks(u16view c)
{
    for (char16_t ch : c)
        if (ch != u'.' && ch != u' ')
            return false;
    return true;
}

bool isControl(char16_t c)
{
    return c < 0x20 || c == 0x7F;
}

constexpr char16_t kOutside[] = u"展開先の外を指す名前です";
constexpr char16_t kEmpty[] = u"名前が空です";
constexpr char16_t kControl[] = u"名前に制御文字があります";
constexpr char16_t kUnmakeable[] = u"この名前は作れません";

// The components into `parts`; the reason of a refusal, empty when none.
u16view split(std::string_view stored, std::vector<u16>& parts)
{
    parts.clear();
    if (stored.find('\0') != std::string_view::npos)
        return kControl;
    if (stored.empty())
        return kEmpty;
    const u16 text = decodeWithBackslashes(stored);
    if (isSeparator(text.front()))
        return kOutside;   // absolute, or UNC ("\\server")
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i != text.size() && !isSeparator(text[i]))
            continue;
        u16 part = text.substr(start, i - start);
        start = i + 1;
        if (part.empty() || part == u".")
            continue;
        if (onlyDotsAndBlanks(part) || part.find(u':') != u16::npos)
            return kOutside;
        for (char16_t ch : part) {
            if (ch < 0x20)
                return kControl;
            if (ch == platform::kMappedBackslash)
                return kUnmakeable;
        }
        parts.push_back(std::move(part));
    }
    return parts.empty() ? kEmpty : u"";
}

}

std::vector<u16> memberComponents(std::string_view stored)
{
    std::vector<u16> parts;
    if (!split(stored, parts).empty())
        parts.clear();
    return parts;
}

u16view whyRefused(std::string_view stored)
{
    std::vector<u16> parts;
    return split(stored, parts);
}

std::string hostComponent(u16view component)
{
#ifdef _WIN32
    // A lone surrogate is a name NTFS takes but Wine's host names cannot
    // hold; U+F080..U+F0FF, which code page 932 never decodes to, keep the
    // bytes apart on both (the private-use range Windows-on-Linux layers use).
    u16 mapped(component);
    for (char16_t& c : mapped)
        if (isKeptByte(c))
            c = static_cast<char16_t>(0xF000 + (c - kKeptByte));
    std::string host = platform::winNameToHost(mapped);
#else
    std::string host = platform::winNameToHost(component);
#endif
    if (host.empty() || host == "." || host == ".." || host.find('/') != std::string::npos
        || host.find('\0') != std::string::npos)
        return {};
#ifdef _WIN32
    if (host.find('\\') != std::string::npos || windowsRefuses(component))
        return {};
#endif
    return host;
}

u16 memberText(std::string_view stored)
{
    u16 text = decodeWithBackslashes(stored);
    for (char16_t& c : text)
        if (c == u'/')
            c = u'\\';
    return text;
}

u16 shownText(u16view text)
{
    static const char16_t digits[] = u"0123456789ABCDEF";
    u16 out;
    out.reserve(text.size());
    for (char16_t c : text) {
        if (isControl(c) || isKeptByte(c)) {
            const unsigned b = isKeptByte(c) ? unsigned(c - kKeptByte) : unsigned(c);
            out += u'<';
            out += digits[b >> 4];
            out += digits[b & 15];
            out += u'>';
        } else {
            out += c;
        }
    }
    return out;
}

u16 displayPath(std::string_view stored)
{
    return shownText(memberText(stored));
}

}

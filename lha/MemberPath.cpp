#include "lha/MemberPath.h"

#include "platform/DriveTable.h"

namespace sorvik::lha {

namespace {

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// Splits raw bytes at 0xFF first: it is never part of a code page 932
// character, while 0x5C can be the second byte of one, so "\" is only
// looked for after decoding.
u16 decodeWithBackslashes(std::string_view stored)
{
    u16 text;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= stored.size(); ++i) {
        if (i == stored.size() || static_cast<unsigned char>(stored[i]) == 0xFF) {
            text += platform::decodeCp932(stored.substr(start, i - start));
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
    return base.size() == 4 && (base.starts_with(u"COM") || base.starts_with(u"LPT")) && base[3] >= u'1' && base[3] <= u'9';
}
#endif

bool onlyDotsAndBlanks(u16view c)
{
    for (char16_t ch : c)
        if (ch != u'.' && ch != u' ')
            return false;
    return true;
}

}

std::vector<u16> memberComponents(std::string_view stored)
{
    if (stored.empty() || stored.find('\0') != std::string_view::npos)
        return {};
    const u16 text = decodeWithBackslashes(stored);
    if (isSeparator(text.front()))
        return {};   // absolute, or UNC ("\\server")
    std::vector<u16> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i != text.size() && !isSeparator(text[i]))
            continue;
        u16 part = text.substr(start, i - start);
        start = i + 1;
        if (part.empty() || part == u".")
            continue;
        if (onlyDotsAndBlanks(part) || part.find(u':') != u16::npos)
            return {};
        for (char16_t ch : part)
            if (ch < 0x20 || ch == platform::kMappedBackslash)
                return {};
        parts.push_back(std::move(part));
    }
    return parts;
}

std::string hostComponent(u16view component)
{
    std::string host = platform::winNameToHost(component);
    if (host.empty() || host == "." || host == ".." || host.find('/') != std::string::npos
        || host.find('\0') != std::string::npos)
        return {};
#ifdef _WIN32
    if (host.find('\\') != std::string::npos || windowsRefuses(component))
        return {};
#endif
    return host;
}

u16 displayPath(std::string_view stored)
{
    u16 text = decodeWithBackslashes(stored);
    for (char16_t& c : text)
        if (c == u'/')
            c = u'\\';
    return text;
}

}

#include "platform/Win32Files.h"

#include "platform/Text.h"
#include "platform/Utf8.h"

namespace sorvik::platform {

std::wstring wideHost(std::string_view host)
{
    std::wstring out;
    out.reserve(host.size());
    for (std::size_t i = 0; i < host.size();) {
        const auto b0 = static_cast<unsigned char>(host[i]);
        auto cont = [&](std::size_t k) {
            return i + k < host.size() && (static_cast<unsigned char>(host[i + k]) & 0xC0) == 0x80;
        };
        auto bits = [&](std::size_t k) { return char32_t(static_cast<unsigned char>(host[i + k]) & 0x3F); };
        char32_t cp;
        std::size_t length;
        if (b0 < 0x80) {
            cp = b0, length = 1;
        } else if ((b0 & 0xE0) == 0xC0 && cont(1)) {
            cp = (char32_t(b0 & 0x1F) << 6) | bits(1), length = 2;
        } else if ((b0 & 0xF0) == 0xE0 && cont(1) && cont(2)) {
            cp = (char32_t(b0 & 0x0F) << 12) | (bits(1) << 6) | bits(2), length = 3;
        } else if ((b0 & 0xF8) == 0xF0 && cont(1) && cont(2) && cont(3)) {
            cp = (char32_t(b0 & 0x07) << 18) | (bits(1) << 12) | (bits(2) << 6) | bits(3), length = 4;
        } else {
            cp = 0xFFFD, length = 1;
        }
        i += length;
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            cp -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (cp >> 10));
            out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<wchar_t>(cp > 0xFFFF ? 0xFFFD : cp);   // surrogates kept: WTF-8
        }
    }
    return out;
}

std::string narrowHost(std::wstring_view wide)
{
    std::string out;
    out.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t cp = wide[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
            ++i;
        }
        appendUtf8(out, cp);   // a lone surrogate too: WTF-8, as wideHost reads it
    }
    return out;
}

namespace {

const wchar_t* wchars(u16view text)
{
    return reinterpret_cast<const wchar_t*>(text.data());
}

// The sort key of LCMapStringEx, sized by asking first; it counts in bytes.
bool sortKey(u16view text, std::string& key)
{
    const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
    const int size = static_cast<int>(text.size());
    const int needed
        = ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, wchars(text), size, nullptr, 0, nullptr, nullptr, 0);
    if (needed <= 0)
        return false;
    key.assign(static_cast<std::size_t>(needed), '\0');
    const int done = ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, wchars(text), size,
        reinterpret_cast<wchar_t*>(key.data()), needed, nullptr, nullptr, 0);
    if (done <= 0)
        return false;
    key.resize(static_cast<std::size_t>(done));
    return true;
}

}

// The system's upper-casing, the mapping Windows itself compares file names by.
u16 toUpper(u16view text)
{
    if (text.empty())
        return {};
    u16 out(text);
    const DWORD n = ::CharUpperBuffW(reinterpret_cast<wchar_t*>(out.data()), static_cast<DWORD>(out.size()));
    if (n != out.size())
        return u16(text);
    return out;
}

// The user's locale, letter case ignored, as the shell sorts names.
int compareNoCase(u16view a, u16view b)
{
    const int r = ::CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE, wchars(a), static_cast<int>(a.size()),
        wchars(b), static_cast<int>(b.size()), nullptr, nullptr, 0);
    if (r == 0) {
        const u16 ua = toUpper(a), ub = toUpper(b);
        return ua < ub ? -1 : (ua == ub ? 0 : 1);
    }
    return r - CSTR_EQUAL;
}

// LCMAP_SORTKEY gives the bytes whose order is CompareStringEx's order.
std::string collationKey(u16view text)
{
    std::string key;
    if (text.empty())
        return key;
    if (!sortKey(text, key)) {
        key.clear();
        for (char16_t c : toUpper(text)) {
            key.push_back(static_cast<char>(c >> 8));
            key.push_back(static_cast<char>(c & 0xFF));
        }
        return key;
    }
    // The key ends in a zero byte that carries no order.
    if (!key.empty() && key.back() == '\0')
        key.pop_back();
    return key;
}

}

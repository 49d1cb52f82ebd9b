#include "platform/Text.h"

#include <unicode/ucol.h>
#include <unicode/uloc.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

namespace sorvik::platform {

namespace {

struct CollatorCloser {
    void operator()(UCollator* c) const { ucol_close(c); }
};

UCollator* collator()
{
    static std::unique_ptr<UCollator, CollatorCloser> coll = [] {
        // The C locale arrives as "en_US_POSIX", whose collation orders all
        // capitals before all small letters; root order serves it instead.
        const char* locale = uloc_getDefault();
        char variant[16] = {};
        UErrorCode err = U_ZERO_ERROR;
        uloc_getVariant(locale, variant, sizeof variant, &err);
        if (U_SUCCESS(err) && std::string_view(variant) == "POSIX")
            locale = "";
        err = U_ZERO_ERROR;
        std::unique_ptr<UCollator, CollatorCloser> c(ucol_open(locale, &err));
        if (U_FAILURE(err)) {
            err = U_ZERO_ERROR;
            c.reset(ucol_open("", &err));
        }
        if (c) {
            // Secondary strength: accents count, letter case does not.
            ucol_setStrength(c.get(), UCOL_SECONDARY);
        }
        return c;
    }();
    return coll.get();
}

const UChar* uchars(u16view text)
{
    return reinterpret_cast<const UChar*>(text.data());
}

}

u16 toUpper(u16view text)
{
    if (text.empty())
        return {};
    // Full mapping may lengthen the text ("ß" -> "SS"); grow once if needed.
    u16 out(text.size() + 8, u'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        UErrorCode err = U_ZERO_ERROR;
        int32_t length = u_strToUpper(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
            uchars(text), static_cast<int32_t>(text.size()), "", &err);
        if (err == U_BUFFER_OVERFLOW_ERROR) {
            out.assign(length, u'\0');
            continue;
        }
        if (U_FAILURE(err))
            return u16(text);
        out.resize(length);
        return out;
    }
    return u16(text);
}

int compareNoCase(u16view a, u16view b)
{
    UCollator* coll = collator();
    if (!coll) {
        u16 ua = toUpper(a), ub = toUpper(b);
        return ua < ub ? -1 : (ua == ub ? 0 : 1);
    }
    switch (ucol_strcoll(coll, uchars(a), static_cast<int32_t>(a.size()), uchars(b), static_cast<int32_t>(b.size()))) {
    case UCOL_LESS:
        return -1;
    case UCOL_GREATER:
        return 1;
    default:
        return 0;
    }
}

std::string collationKey(u16view text)
{
    UCollator* coll = collator();
    if (!coll) {
        std::string key;
        for (char16_t c : toUpper(text)) {
            key.push_back(static_cast<char>(c >> 8));
            key.push_back(static_cast<char>(c & 0xFF));
        }
        return key;
    }
    std::string key(text.size() * 4 + 16, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        int32_t length = ucol_getSortKey(coll, uchars(text), static_cast<int32_t>(text.size()),
            reinterpret_cast<uint8_t*>(key.data()), static_cast<int32_t>(key.size()));
        if (length > static_cast<int32_t>(key.size())) {
            key.assign(length, '\0');
            continue;
        }
        // The key ends in a zero byte that carries no order.
        key.resize(length > 0 ? length - 1 : 0);
        return key;
    }
    return {};
}

}

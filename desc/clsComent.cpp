#include "desc/clsComent.h"

#include <cstdint>
#include <cstring>
#include <functional>

namespace sorvik {

namespace {

// Ranges with no case mapping at all: CJK symbols, kana, ideographs and
// half-width katakana. Anything else goes through the platform's mapping.
bool caseless(char16_t c)
{
    return (c >= 0x3000 && c <= 0x9FFF) || (c >= 0xFF61 && c <= 0xFF9F);
}

// False when the character needs the platform's mapping.
bool upperInPlace(char16_t& c)
{
    if (c < 0x80) {
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - (u'a' - u'A'));
        return true;
    }
    return caseless(c);
}

}

clsComent::clsComent(u16 path, u16 coment) : Key(keyOf(path)), Path(std::move(path)), Coment(std::move(coment))
{
}

u16 clsComent::keyOf(u16view path)
{
    u16 key;
    keyOf(path, key);
    return key;
}

void clsComent::keyOf(u16view path, u16& key)
{
    const std::size_t n = path.size();
    // A path inside the key itself is copied first.
    if (n != 0 && !key.empty() && std::greater_equal<>()(path.data(), key.data())
        && std::less_equal<>()(path.data(), key.data() + key.size())) {
        key = keyOf(u16(path));
        return;
    }
    // Read from the path and written once: copying first and reading the
    // copy back would wait on the copy's wide stores.
    key.resize(n);
    const char16_t* src = path.data();
    char16_t* dst = key.data();
    // Four characters at a time, each group written in one store, so that
    // hashing the key next reads it straight back.
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        std::uint64_t w;
        std::memcpy(&w, src + i, 8);
        if (asciiUnits(w)) {
            w = upperAsciiUnits(w);
        } else {
            std::uint64_t upper = 0;
            for (int k = 0; k < 4; ++k) {
                char16_t c = static_cast<char16_t>(w >> (16 * k));
                if (!upperInPlace(c)) {
                    key = platform::toUpper(path);
                    return;
                }
                upper |= std::uint64_t{c} << (16 * k);
            }
            w = upper;
        }
        std::memcpy(dst + i, &w, 8);
    }
    for (; i < n; ++i) {
        char16_t c = src[i];
        if (!upperInPlace(c)) {
            key = platform::toUpper(path);
            return;
        }
        dst[i] = c;
    }
}

void clsComent::byteKeyOf(std::string_view pathBytes, u16& key)
{
    key.assign(u"bytes:");
    for (const char b : pathBytes)
        key += static_cast<char16_t>(static_cast<unsigned char>(b));
}

u16 clsComent::fName() const
{
    std::size_t slash = Path.rfind(u'\\');
    if (slash == u16::npos)
        return {};
    return Path.substr(slash + 1);
}

}

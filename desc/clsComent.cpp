#include "desc/clsComent.h"

#include <cstdint>
#include <cstring>

namespace sorvik {

namespace {

// Ranges with no case mapping at all: CJK symbols, kana, ideographs and
// half-width katakana. Anything else goes through the platform's mapping.
bool caseless(char16_t c)
{
    return (c >= 0x3000 && c <= 0x9FFF) || (c >= 0xFF61 && c <= 0xFF9F);
}

}

clsComent::clsComent(u16 path, u16 coment)
    : Key(keyOf(path))
    , Path(std::move(path))
    , Coment(std::move(coment))
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
    key.assign(path);
    char16_t* p = key.data();
    const std::size_t n = key.size();
    std::size_t i = 0;
    while (i < n) {
        // Four ASCII characters at a time: a lane from "a" to "z" has bit 7
        // set after adding 0x80 - "a" but not after adding 0x80 - "{", and
        // loses 0x20.
        constexpr std::uint64_t kOnes = 0x0001000100010001ULL;
        std::uint64_t w;
        if (i + 4 <= n && (std::memcpy(&w, p + i, 8), (w & (0xFF80 * kOnes)) == 0)) {
            const std::uint64_t lower = (w + (0x80 - u'a') * kOnes) & ~(w + (0x80 - u'{') * kOnes) & (0x80 * kOnes);
            w -= lower >> 2;
            std::memcpy(p + i, &w, 8);
            i += 4;
            continue;
        }
        char16_t& c = p[i++];
        if (c < 0x80) {
            if (c >= u'a' && c <= u'z')
                c = static_cast<char16_t>(c - (u'a' - u'A'));
        } else if (!caseless(c)) {
            key = platform::toUpper(path);
            return;
        }
    }
}

u16 clsComent::fName() const
{
    std::size_t slash = Path.rfind(u'\\');
    if (slash == u16::npos)
        return {};
    return Path.substr(slash + 1);
}

}

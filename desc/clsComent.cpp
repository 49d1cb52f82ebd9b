#include "desc/clsComent.h"

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
    u16 key(path);
    for (char16_t& c : key) {
        if (c < 0x80) {
            if (c >= u'a' && c <= u'z')
                c = static_cast<char16_t>(c - (u'a' - u'A'));
        } else if (!caseless(c)) {
            return platform::toUpper(path);
        }
    }
    return key;
}

u16 clsComent::fName() const
{
    std::size_t slash = Path.rfind(u'\\');
    if (slash == u16::npos)
        return {};
    return Path.substr(slash + 1);
}

}

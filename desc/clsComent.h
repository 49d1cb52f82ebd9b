#pragma once

#include "platform/Text.h"

#include <cstdint>
#include <string_view>

namespace sorvik {

// Four UTF-16 units in one word, as keys are upper-cased and hashed a word at
// a time. True when all four are ASCII.
inline bool asciiUnits(std::uint64_t w)
{
    return (w & 0xFF80FF80FF80FF80ULL) == 0;
}

// Upper-cases "a" to "z" in four ASCII units: a lane from "a" to "z" has bit 7
// set after adding 0x80 - "a" but not after adding 0x80 - "{", and loses 0x20.
inline std::uint64_t upperAsciiUnits(std::uint64_t w)
{
    constexpr std::uint64_t kOnes = 0x0001000100010001ULL;
    return w - (((w + (0x80 - u'a') * kOnes) & ~(w + (0x80 - u'{') * kOnes) & (0x80 * kOnes)) >> 2);
}

// One description: the file it belongs to and its one-line text.
class clsComent {
public:
    clsComent() = default;
    // Key is the upper-cased path, so c:\a.txt and C:\A.TXT name one record.
    clsComent(u16 path, u16 coment);

    // The key of a path: its upper-case form. Paths made only of ASCII and
    // caseless CJK text (the usual case) skip the full Unicode mapping.
    static u16 keyOf(u16view path);
    // The same into an existing string, reusing its memory.
    static void keyOf(u16view path, u16& key);
    // The key of a path whose bytes code page 932 cannot decode: decoding
    // would turn every bad byte into one U+FFFD, so paths that differ only
    // there would share a key and all but one record would be dropped. Such
    // a path names no file the program lists, so its record is kept by its
    // exact bytes instead. keyOf() upper-cases, so no key it gives holds a
    // lowercase ASCII letter; the lowercase prefix keeps the two kinds apart.
    static void byteKeyOf(std::string_view pathBytes, u16& key);
    // Whether decoding met bad bytes: code page 932 maps no character to U+FFFD.
    static bool decodedBadBytes(u16view decoded) { return decoded.find(u'\uFFFD') != u16view::npos; }

    // The part of Path after its last "\"; empty when there is none.
    u16 fName() const;

    u16 Key;
    u16 Path;
    u16 Coment;
};

}

#pragma once

#include "platform/Text.h"

namespace sorvik {

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

    // The part of Path after its last "\"; empty when there is none.
    u16 fName() const;

    u16 Key;
    u16 Path;
    u16 Coment;
};

}

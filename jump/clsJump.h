#pragma once

#include "platform/Text.h"

namespace sorvik {

// One jump folder: the alias as typed, the folder it leads to, and the
// upper-cased alias under which the JumpList keeps it.
struct clsJump {
    clsJump() = default;
    clsJump(u16 alias, u16 path);

    u16 Key;   // Alias in upper case
    u16 Alias;
    u16 fPath;   // full path ending in "\"
};

}

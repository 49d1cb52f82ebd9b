#pragma once

namespace sorvik::keys {

// Windows virtual-key codes and shift bits; the window layer translates its
// toolkit's keys into these once.
enum ShiftBits : int { kShift = 1, kCtrl = 2, kAlt = 4 };

enum Code : int {
    kNone = 0,
    kBack = 8,
    kTab = 9,
    kEnter = 13,
    kEsc = 27,
    kSpace = 32,
    kPageUp = 33,
    kPageDown = 34,
    kEnd = 35,
    kHome = 36,
    kLeft = 37,
    kUp = 38,
    kRight = 39,
    kDown = 40,
    kDigit0 = 48,
    kDigit9 = 57,
    kA = 65,
    kF1 = 112,
    kOemPlus = 187,   // ";" and "+" on the Japanese keyboard
};

constexpr int letter(char c)
{
    return kA + (c - 'A');
}

// How a binding's shift state is matched.
enum class Mods {
    None,         // no modifier
    Shift,        // Shift alone
    Ctrl,         // Ctrl alone
    AnyButCtrl,   // every state except exactly Ctrl (and, here, without Alt)
    NotCtrl,      // every state except exactly Ctrl
};

constexpr bool matches(Mods mods, int shift)
{
    switch (mods) {
    case Mods::None:
        return shift == 0;
    case Mods::Shift:
        return shift == kShift;
    case Mods::Ctrl:
        return shift == kCtrl;
    case Mods::AnyButCtrl:
        return shift != kCtrl && !(shift & kAlt);
    case Mods::NotCtrl:
        return shift != kCtrl;
    }
    return false;
}

// What the focused control does with the key after a dispatcher ran.
struct KeyOutcome {
    int code = kNone;   // 0: consumed; otherwise the (possibly replaced) key for default handling
    static KeyOutcome consumed() { return {kNone}; }
    static KeyOutcome pass(int code) { return {code}; }
};

}

#include "app/WindowKeys.h"

#include <array>

namespace sorvik {

namespace {

struct Binding {
    int code;
    keys::Mods mods;
    CommandId command;
};

const std::array kWindowKeys = {
    Binding{keys::kF1, keys::Mods::None, CommandId::Help},
    Binding{keys::letter('J'), keys::Mods::None, CommandId::OpenJumpFolder},
    Binding{keys::letter('J'), keys::Mods::Shift, CommandId::RegisterJumpFolder},
};

}

WindowKeyResult dispatchWindowKey(int code, int shift)
{
    if (code >= keys::kDigit0 && code <= keys::kDigit9 && shift == 0)
        return {WindowAction::SelectFilter, code - keys::kDigit0};
    for (const Binding& b : kWindowKeys)
        if (b.code == code && keys::matches(b.mods, shift))
            return {b.command, -1};
    return {};
}

}

#include "table/WindowKeys.h"

#include <array>

namespace sorvik {

namespace {

struct Binding {
    int code;
    keys::Mods mods;
    WindowCommand command;
};

const std::array kWindowKeys = {
    Binding{keys::kF1, keys::Mods::None, WindowCommand::Help},
    Binding{keys::letter('J'), keys::Mods::None, WindowCommand::OpenJumpFolder},
    Binding{keys::letter('J'), keys::Mods::Shift, WindowCommand::RegisterJumpFolder},
};

}

WindowKeyResult dispatchWindowKey(int code, int shift)
{
    if (code >= keys::kDigit0 && code <= keys::kDigit9 && shift == 0)
        return {WindowCommand::SelectFilter, code - keys::kDigit0};
    for (const Binding& b : kWindowKeys)
        if (b.code == code && keys::matches(b.mods, shift))
            return {b.command, -1};
    return {};
}

}

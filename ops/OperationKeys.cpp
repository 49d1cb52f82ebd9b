#include "ops/OperationKeys.h"

#include <array>

namespace sorvik {

namespace {

using keys::Mods;
using keys::letter;
using C = ChooserControl;
using K = ChooserCommand;

enum class When { Always, AtRoot };

struct Binding {
    ChooserControl control;
    int code;
    Mods mods;
    When when;
    ChooserCommand command;
};

// Q cancels as a typed character too, so Shift+Q ("Q") counts like q.
constexpr Mods kTypedQ = Mods::NotCtrl;

const std::array kChooserKeys = {
    Binding{C::Drive1, keys::kEnter, Mods::None, When::Always, K::FocusDir1},
    Binding{C::Drive1, keys::kDown, Mods::None, When::Always, K::FocusDir1},
    Binding{C::Drive1, keys::kUp, Mods::None, When::Always, K::None},
    Binding{C::Drive1, letter('Q'), kTypedQ, When::Always, K::Cancel},
    Binding{C::Dir1, keys::kUp, Mods::None, When::AtRoot, K::FocusDrive1},
    Binding{C::Dir1, keys::kRight, Mods::None, When::Always, K::FocusFile1},
    Binding{C::Dir1, keys::kEnter, Mods::None, When::Always, K::OpenDirectory},
    Binding{C::Dir1, letter('Q'), kTypedQ, When::Always, K::Cancel},
    Binding{C::File1, keys::kLeft, Mods::None, When::Always, K::FocusDir1},
    Binding{C::File1, keys::kRight, Mods::None, When::Always, K::FocusCommand1},
    Binding{C::File1, keys::kEnter, Mods::None, When::Always, K::TakeFileName},
    Binding{C::File1, letter('Q'), kTypedQ, When::Always, K::Cancel},
    Binding{C::Command1, keys::kLeft, Mods::None, When::Always, K::FocusFile1},
    Binding{C::Command1, keys::kEnter, Mods::None, When::Always, K::Execute},
    Binding{C::Command1, letter('Q'), kTypedQ, When::Always, K::Cancel},
    Binding{C::Command2, keys::kLeft, Mods::None, When::Always, K::FocusFile1},
};

}

ChooserKeyResult dispatchChooserKey(ChooserControl control, int code, int shift, bool selectedIsRoot)
{
    for (const Binding& b : kChooserKeys) {
        if (b.control != control || b.code != code || !keys::matches(b.mods, shift))
            continue;
        if (b.when == When::AtRoot && !selectedIsRoot)
            break;   // an ordinary Up in the list
        return {b.command, keys::KeyOutcome::consumed()};
    }
    // With Shift alone held the drive list ignores every key but Up and Down.
    if (control == C::Drive1 && shift == keys::kShift && code != keys::kUp && code != keys::kDown)
        return {K::None, keys::KeyOutcome::consumed()};
    return {K::None, keys::KeyOutcome::pass(code)};
}

}

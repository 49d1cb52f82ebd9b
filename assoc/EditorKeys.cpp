#include "assoc/EditorKeys.h"

#include <array>

namespace sorvik {

namespace {

using keys::letter;
using C = EditorControl;
using K = EditorCommand;

// Enter, Q and D are typed characters, so Shift does not change them; the
// arrows are plain key presses.
enum class Shift { None, Typed };
enum class When { Always, AtRoot };

struct Binding {
    EditorControl control;
    int code;
    Shift shift;
    When when;
    EditorCommand command;
};

const std::array kEditorKeys = {
    Binding{C::Drive1, keys::kEnter, Shift::Typed, When::Always, K::FocusDir1},
    Binding{C::Dir1, keys::kEnter, Shift::Typed, When::Always, K::OpenDirectory},
    Binding{C::Dir1, keys::kUp, Shift::None, When::AtRoot, K::FocusDrive1},
    Binding{C::Dir1, keys::kRight, Shift::None, When::Always, K::FocusFile1},
    Binding{C::File1, keys::kEnter, Shift::Typed, When::Always, K::AddOrReplace},
    Binding{C::File1, keys::kLeft, Shift::None, When::Always, K::FocusDir1},
    Binding{C::File1, keys::kRight, Shift::None, When::Always, K::FocusList1},
    Binding{C::List1, letter('D'), Shift::Typed, When::Always, K::Delete},
    Binding{C::List1, keys::kLeft, Shift::None, When::Always, K::FocusFile1},
    Binding{C::Drive1, letter('Q'), Shift::Typed, When::Always, K::Close},
    Binding{C::Dir1, letter('Q'), Shift::Typed, When::Always, K::Close},
    Binding{C::File1, letter('Q'), Shift::Typed, When::Always, K::Close},
    Binding{C::List1, letter('Q'), Shift::Typed, When::Always, K::Close},
    Binding{C::Command2, letter('Q'), Shift::Typed, When::Always, K::Close},
    Binding{C::Command3, letter('Q'), Shift::Typed, When::Always, K::Close},
};

bool shiftMatches(Shift s, int shift)
{
    return s == Shift::Typed ? (shift == 0 || shift == keys::kShift) : shift == 0;
}

}

EditorKeyResult dispatchEditorKey(EditorControl control, int code, int shift, bool selectedIsRoot)
{
    for (const Binding& b : kEditorKeys) {
        if (b.control != control || b.code != code || !shiftMatches(b.shift, shift))
            continue;
        if (b.when == When::AtRoot && !selectedIsRoot)
            break;   // an ordinary Up in the list
        return {b.command, keys::KeyOutcome::consumed()};
    }
    // Enter presses a button as Space does, as buttons do on Windows.
    if ((control == C::Command2 || control == C::Command3 || control == C::cmdExit) && code == keys::kEnter
        && shift == 0)
        return {K::Press, keys::KeyOutcome::consumed()};
    return {K::None, keys::KeyOutcome::pass(code)};
}

}

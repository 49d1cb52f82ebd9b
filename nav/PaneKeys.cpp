#include "nav/PaneKeys.h"

#include <array>

namespace sorvik {

namespace {

using keys::Mods;
using keys::letter;
using keys::KeyOutcome;

enum class Root { Any, Yes, No };

struct TreeBinding {
    int code;
    Mods mods;   // Mods::Ctrl, or Mods::NotCtrl for "any other state"
    Root root;
    TreeCommand command;
    int passOn;   // 0: consumed; otherwise the key left to the tree's own handling
};

const std::array kTreeKeys = {
    TreeBinding{letter('L'), Mods::Ctrl, Root::Any, TreeCommand::GoToTable, keys::kNone},
    TreeBinding{keys::kUp, Mods::Ctrl, Root::Yes, TreeCommand::ToDriveButtons, keys::kNone},
    TreeBinding{letter('I'), Mods::Ctrl, Root::Yes, TreeCommand::ToDriveButtons, keys::kNone},
    TreeBinding{keys::kUp, Mods::Ctrl, Root::No, TreeCommand::None, keys::kUp},
    TreeBinding{letter('I'), Mods::Ctrl, Root::No, TreeCommand::None, keys::kUp},
    TreeBinding{keys::kDown, Mods::Ctrl, Root::Any, TreeCommand::None, keys::kDown},
    TreeBinding{letter('M'), Mods::Ctrl, Root::Any, TreeCommand::None, keys::kDown},
    TreeBinding{keys::kRight, Mods::NotCtrl, Root::Any, TreeCommand::GoToTable, keys::kNone},
    // At a root the focus moves to the drive buttons and the key still reaches the tree.
    TreeBinding{keys::kUp, Mods::NotCtrl, Root::Yes, TreeCommand::ToDriveButtons, keys::kUp},
    TreeBinding{keys::kEnter, Mods::NotCtrl, Root::Any, TreeCommand::OpenSelected, keys::kNone},
};

bool rootMatches(Root r, bool isRoot)
{
    return r == Root::Any || (r == Root::Yes) == isRoot;
}

struct ButtonBinding {
    int code;
    Mods mods;
    DriveButtonCommand command;
    bool consume;
};

const std::array kDriveButtonKeys = {
    ButtonBinding{keys::kEnter, Mods::None, DriveButtonCommand::ToTree, true},
    ButtonBinding{keys::kDown, Mods::None, DriveButtonCommand::ToTree, true},
    ButtonBinding{keys::kLeft, Mods::None, DriveButtonCommand::None, false},
    ButtonBinding{keys::kRight, Mods::None, DriveButtonCommand::None, false},
    ButtonBinding{keys::kRight, Mods::Ctrl, DriveButtonCommand::Next, true},
    ButtonBinding{letter('L'), Mods::Ctrl, DriveButtonCommand::Next, true},
    ButtonBinding{keys::kLeft, Mods::Ctrl, DriveButtonCommand::Previous, true},
    ButtonBinding{letter('J'), Mods::Ctrl, DriveButtonCommand::Previous, true},
    ButtonBinding{keys::kDown, Mods::Ctrl, DriveButtonCommand::ToTree, true},
    ButtonBinding{letter('M'), Mods::Ctrl, DriveButtonCommand::ToTree, true},
};

}

TreeKeyResult dispatchTreeKey(int code, int shift, bool selectedIsRoot)
{
    for (const TreeBinding& b : kTreeKeys)
        if (b.code == code && keys::matches(b.mods, shift) && rootMatches(b.root, selectedIsRoot))
            return {b.command, KeyOutcome::pass(b.passOn)};
    return {TreeCommand::None, KeyOutcome::pass(code)};
}

DriveButtonKeyResult dispatchDriveButtonKey(int code, int shift)
{
    for (const ButtonBinding& b : kDriveButtonKeys)
        if (b.code == code && keys::matches(b.mods, shift))
            return {b.command, b.consume ? KeyOutcome::consumed() : KeyOutcome::pass(code)};
    // Plain, Ctrl and Shift keys are consumed; other states keep their default handling.
    if (shift == 0 || shift == keys::kCtrl || shift == keys::kShift)
        return {DriveButtonCommand::None, KeyOutcome::consumed()};
    return {DriveButtonCommand::None, KeyOutcome::pass(code)};
}

}

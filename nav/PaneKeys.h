#pragma once

#include "platform/KeyCodes.h"

namespace sorvik {

enum class TreeCommand { None, GoToTable, ToDriveButtons, OpenSelected };

struct TreeKeyResult {
    TreeCommand command = TreeCommand::None;
    keys::KeyOutcome outcome;
};

// The directory tree's keys; `selectedIsRoot` tells whether the selected item is a drive's root.
TreeKeyResult dispatchTreeKey(int code, int shift, bool selectedIsRoot);

enum class DriveButtonCommand { None, ToTree, Next, Previous };

struct DriveButtonKeyResult {
    DriveButtonCommand command = DriveButtonCommand::None;
    keys::KeyOutcome outcome;
};

// The drive buttons' keys.
DriveButtonKeyResult dispatchDriveButtonKey(int code, int shift);

}

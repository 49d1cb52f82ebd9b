#pragma once

#include "platform/KeyCodes.h"

namespace sorvik {

// The controls of the operation dialog that have keys of their own.
enum class ChooserControl { Drive1, Dir1, File1, Command1, Command2, Text2, Option };

enum class ChooserCommand {
    None,
    FocusDrive1,
    FocusDir1,
    FocusFile1,
    FocusCommand1,
    OpenDirectory,
    TakeFileName,
    Execute,
    Cancel
};

struct ChooserKeyResult {
    ChooserCommand command = ChooserCommand::None;
    keys::KeyOutcome outcome;
};

// The operation dialog's key table (Esc is its cancel button's, everywhere).
// `selectedIsRoot`: the directory list's cursor item is a drive's root.
ChooserKeyResult dispatchChooserKey(ChooserControl control, int code, int shift, bool selectedIsRoot);

}

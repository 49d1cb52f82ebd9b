#pragma once

#include "platform/KeyCodes.h"

namespace sorvik {

enum class WindowCommand { None, Help, OpenJumpFolder, RegisterJumpFolder, SelectFilter };

struct WindowKeyResult {
    WindowCommand command = WindowCommand::None;
    int digit = -1;   // for SelectFilter
};

// The window-wide dispatcher; the caller skips it while the description
// field has the focus, so digits and letters are typed there.
WindowKeyResult dispatchWindowKey(int code, int shift);

}

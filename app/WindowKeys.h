#pragma once

#include "cmd/CommandId.h"
#include "platform/KeyCodes.h"

#include <variant>

namespace sorvik {

// The window's own key actions besides the shared commands.
enum class WindowAction { None, SelectFilter };

// A window-wide key leads to an action of the window or straight to a shared command.
using WindowKeyTarget = std::variant<WindowAction, CommandId>;

struct WindowKeyResult {
    WindowKeyTarget target = WindowAction::None;
    int digit = -1;   // for SelectFilter
};

// The window-wide dispatcher; the caller skips it while the description
// field has the focus, so digits and letters are typed there.
WindowKeyResult dispatchWindowKey(int code, int shift);

}

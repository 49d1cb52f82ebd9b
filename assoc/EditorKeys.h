#pragma once

#include "platform/KeyCodes.h"

namespace sorvik {

// The controls of the association editor that have keys of their own.
enum class EditorControl { Drive1, Dir1, File1, List1, Command2, Command3, cmdExit, Text1 };

enum class EditorCommand {
    None,
    FocusDrive1,
    FocusDir1,
    FocusFile1,
    FocusList1,
    OpenDirectory,
    AddOrReplace,
    Delete,
    Close,
    Press
};

struct EditorKeyResult {
    EditorCommand command = EditorCommand::None;
    keys::KeyOutcome outcome;
};

// The editor's whole key table. `selectedIsRoot`: the directory list's
// highlighted entry is a drive's root.
EditorKeyResult dispatchEditorKey(EditorControl control, int code, int shift, bool selectedIsRoot);

}

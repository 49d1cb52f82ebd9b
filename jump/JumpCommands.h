#pragma once

#include "cmd/Commands.h"
#include "jump/JumpList.h"

#include <functional>

class QWidget;

namespace sorvik {

// What the jump commands need from the main window besides the command context.
struct JumpTarget {
    JumpList& list;
    u16 programDir;
    // Drive, tree and listing to a folder; false when it cannot be shown.
    std::function<bool(u16view folder)> showFolder;
    QWidget* mainWindow = nullptr;
};

// J: the jump-folder dialog; Done once a chosen entry was gone to (also when
// GoToFolder had to fall back to the program directory).
CommandOutcome OpenJumpFolder(JumpTarget& target);
// Shift+J: the listed directory under an alias typed in frmInput.
CommandOutcome RegisterJumpFolder(JumpTarget& target, CommandContext& context);

void registerJumpCommands(CommandRegistry& registry, JumpTarget target);

}

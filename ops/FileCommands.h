#pragma once

#include "cmd/Commands.h"
#include "ops/CopyMove.h"

class QWidget;

namespace sorvik {

// The file commands with their dialogs: C, M, D, R and A of the table.
// `mainWindow` places the dialogs and owns them while they are open.
void registerFileCommands(CommandRegistry& registry, QWidget* mainWindow);

CommandOutcome CopyFiles(CommandContext& context, QWidget* mainWindow);
CommandOutcome MoveFiles(CommandContext& context, QWidget* mainWindow);
CommandOutcome RenameFile(CommandContext& context, QWidget* mainWindow);
CommandOutcome ChangeAttributes(CommandContext& context, QWidget* mainWindow);

}

#pragma once

#include "assoc/AssociationTable.h"
#include "cmd/Commands.h"

class QWidget;

namespace sorvik {

// The table's double-click action in column 0 (open the file) and the
// association button "関連付(&R)". `table` is the main window's, reloaded
// from `DataDir` after the editor closes; `mainWindow` places the editor.
void registerAssociationCommands(
    CommandRegistry& registry, QWidget* mainWindow, AssociationTable& table, u16view DataDir, u16view ProgramDir);

// The association button: refuses a cell that is no associable file, else
// opens the editor for its extension and reloads the table afterwards.
CommandOutcome cmd関連_Click(
    CommandContext& context, QWidget* mainWindow, AssociationTable& table, u16view DataDir, u16view ProgramDir);

}

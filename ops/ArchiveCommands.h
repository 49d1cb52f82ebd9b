#pragma once

#include "cmd/Commands.h"

class QWidget;

namespace sorvik {

// P and U of the table: pack the current entry into an LHA archive, unpack
// the archive under the cursor, through the operation dialog and the archiver.
void registerArchiveCommands(CommandRegistry& registry, QWidget* mainWindow, platform::FileSystem& fs);

CommandOutcome CompressFile(CommandContext& context, QWidget* mainWindow);
// The U key: the archive test first, then the dialog.
CommandOutcome ExtractFile(CommandContext& context, QWidget* mainWindow);

}

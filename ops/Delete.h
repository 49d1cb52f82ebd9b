#pragma once

#include "cmd/Commands.h"

namespace sorvik {

// Shortcuts and the program's own data files are never deleted.
bool isRefusedForDelete(u16view name);

// D: the marked files after one question, or the current entry after its
// own question; every refusal and every failure is told, then the table is
// refreshed in name order with the cursor on the same cell. The outcome is
// the first file that was refused or failed, else cancelled when the
// question was declined.
CommandOutcome DeleteFiles(CommandContext& context);

// Deletes `name` in CurrentDir, asking first when `ask`: done, failed
// (refused by name, or by the system with its reason) or cancelled (declined).
CommandOutcome DeleteOneFile(CommandContext& context, u16view name, bool ask);

}

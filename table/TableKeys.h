#pragma once

#include "cmd/CommandId.h"
#include "platform/KeyCodes.h"

#include <variant>

namespace sorvik {

// What the table's keys do to the table and its neighbours themselves; the
// window carries them out.
enum class TableAction {
    None,   // no action; the key outcome says what the grid does
    GoToTree,
    WidenColumn,
    NarrowColumn,
    EditDescription,
    DoubleClick,
    ToggleMark,
    SortAscending,
    SortDescending,
    PressQuit,
};

// A table key leads to an action of its own or straight to a shared command.
using TableKeyTarget = std::variant<TableAction, CommandId>;

// What the table dispatcher reads of the table.
struct TableState {
    int row = 0;
    int col = 0;
    int fileCount = 0;   // n: file rows are 1..n
    bool fileRow() const { return row >= 1 && row <= fileCount; }
};

struct TableKeyResult {
    TableKeyTarget target = TableAction::None;
    keys::KeyOutcome outcome;
};

// The table dispatcher: the whole key map of `Grid1` is the table in TableKeys.cpp.
TableKeyResult dispatchTableKey(int code, int shift, const TableState& state);

}

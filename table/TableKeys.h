#pragma once

#include "platform/KeyCodes.h"

namespace sorvik {

// Commands the table's keys lead to; the window carries them out.
enum class TableCommand {
    None,   // no command; the key outcome says what the grid does
    GoToTree,
    WidenColumn,
    NarrowColumn,
    EditDescription,
    DoubleClick,
    ToggleMark,
    Attribute,
    Copy,
    Move,
    Delete,
    Rename,
    Compress,
    Extract,
    SortAscending,
    SortDescending,
    PressQuit,
};

// What the table dispatcher reads of the table.
struct TableState {
    int row = 0;
    int col = 0;
    int fileCount = 0;   // n: file rows are 1..n
    bool fileRow() const { return row >= 1 && row <= fileCount; }
};

struct TableKeyResult {
    TableCommand command = TableCommand::None;
    keys::KeyOutcome outcome;
};

// The table dispatcher: the whole key map of `Grid1` is the table in TableKeys.cpp.
TableKeyResult dispatchTableKey(int code, int shift, const TableState& state);

}

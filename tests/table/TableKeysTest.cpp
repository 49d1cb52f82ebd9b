#include "table/TableKeys.h"
#include "platform/KeyCodes.h"

#include <gtest/gtest.h>

namespace sorvik {
namespace {

using namespace keys;

struct KeyCase {
    const char* what;
    int code;
    int shift;
    TableState state;
    TableKeyTarget target;
    int outcome;   // 0 consumed, else the key the grid handles
};

class TableKeyMap : public testing::TestWithParam<KeyCase> {};

TEST_P(TableKeyMap, dispatches)
{
    const KeyCase& c = GetParam();
    const TableKeyResult r = dispatchTableKey(c.code, c.shift, c.state);
    EXPECT_EQ(r.target, c.target) << c.what;
    EXPECT_EQ(r.outcome.code, c.outcome) << c.what;
}

constexpr TableState kFileCol0{2, 0, 5};
constexpr TableState kFileCol2{2, 2, 5};
constexpr TableState kFileCol4{2, 4, 5};
constexpr TableState kTrailingCol0{6, 0, 5};

INSTANTIATE_TEST_SUITE_P(All, TableKeyMap,
    testing::Values(KeyCase{"shift+up is swallowed", kUp, kShift, kFileCol0, TableAction::None, 0},
        KeyCase{"left in column 0 goes to the tree", kLeft, 0, kFileCol0, TableAction::GoToTree, 0},
        KeyCase{"left elsewhere moves the cursor", kLeft, 0, kFileCol2, TableAction::None, kLeft},
        KeyCase{"ctrl+J in column 0 goes to the tree", letter('J'), kCtrl, kFileCol0, TableAction::GoToTree, 0},
        KeyCase{"ctrl+J elsewhere becomes left", letter('J'), kCtrl, kFileCol2, TableAction::None, kLeft},
        KeyCase{"ctrl+L becomes right", letter('L'), kCtrl, kFileCol2, TableAction::None, kRight},
        KeyCase{"ctrl+I becomes up", letter('I'), kCtrl, kFileCol2, TableAction::None, kUp},
        KeyCase{"ctrl+M becomes down", letter('M'), kCtrl, kFileCol2, TableAction::None, kDown},
        KeyCase{"ctrl+right widens", kRight, kCtrl, kFileCol2, TableAction::WidenColumn, 0},
        KeyCase{"ctrl+187 widens", kOemPlus, kCtrl, kFileCol2, TableAction::WidenColumn, 0},
        KeyCase{"ctrl+left narrows", kLeft, kCtrl, kFileCol0, TableAction::NarrowColumn, 0},
        KeyCase{"ctrl+H narrows", letter('H'), kCtrl, kFileCol0, TableAction::NarrowColumn, 0},
        KeyCase{"enter in column 4 edits", kEnter, 0, kFileCol4, TableAction::EditDescription, 0},
        KeyCase{"enter in column 0 does nothing", kEnter, 0, kFileCol0, TableAction::None, 0},
        KeyCase{"shift+enter on a file row", kEnter, kShift, kFileCol2, TableAction::DoubleClick, 0},
        KeyCase{"shift+enter on the trailing row", kEnter, kShift, kTrailingCol0, TableAction::None, 0},
        KeyCase{"space marks in column 0", kSpace, 0, kFileCol0, TableAction::ToggleMark, 0},
        KeyCase{"shift+space marks too", kSpace, kShift, kFileCol0, TableAction::ToggleMark, 0},
        KeyCase{"ctrl+space does not mark", kSpace, kCtrl, kFileCol0, TableAction::None, 0},
        KeyCase{"C copies", letter('C'), 0, kFileCol0, CommandId::Copy, 0},
        KeyCase{"shift+C copies", letter('C'), kShift, kFileCol0, CommandId::Copy, 0},
        KeyCase{"ctrl+C is not copy", letter('C'), kCtrl, kFileCol0, TableAction::None, 0},
        KeyCase{"C on the trailing row is swallowed", letter('C'), 0, kTrailingCol0, TableAction::None, 0},
        KeyCase{"C outside column 0 is swallowed", letter('C'), 0, kFileCol2, TableAction::None, 0},
        KeyCase{"D on the trailing row still deletes", letter('D'), 0, kTrailingCol0, CommandId::Delete, 0},
        KeyCase{"M moves", letter('M'), 0, kFileCol0, CommandId::Move, 0},
        KeyCase{"R renames", letter('R'), 0, kFileCol0, CommandId::Rename, 0},
        KeyCase{"A attributes", letter('A'), 0, kFileCol0, CommandId::Attribute, 0},
        KeyCase{"P compresses", letter('P'), 0, kFileCol0, CommandId::Compress, 0},
        KeyCase{"U extracts", letter('U'), 0, kFileCol0, CommandId::Extract, 0},
        KeyCase{"S sorts in column 2", letter('S'), 0, kFileCol2, TableAction::SortAscending, 0},
        KeyCase{"shift+S sorts descending", letter('S'), kShift, kFileCol0, TableAction::SortDescending, 0},
        KeyCase{"S in column 4 does nothing", letter('S'), 0, kFileCol4, TableAction::None, 0},
        KeyCase{"esc presses quit", kEsc, 0, kFileCol0, TableAction::PressQuit, 0},
        KeyCase{"unlisted ctrl keys do nothing", letter('Q'), kCtrl, kFileCol0, TableAction::None, 0},
        KeyCase{"page down is the grid's", kPageDown, 0, kFileCol0, TableAction::None, kPageDown},
        KeyCase{"alt+C is left to the accelerators", letter('C'), kAlt, kFileCol0, TableAction::None, letter('C')}));

}
}

#include "table/TableKeys.h"

#include <array>

namespace sorvik {

namespace {

using keys::Mods;
using keys::letter;

enum class When { Always, Column0, Column0FileRow, Column4, FileRow, SortColumn };

// What the grid does with the key when the condition does not hold.
enum class Otherwise { Consume, Default, BecomeLeft };

struct Binding {
    int code;
    Mods mods;
    When when;
    TableKeyTarget target;
    Otherwise otherwise;
    int replacement = keys::kNone;   // for bindings that only turn the key into another
};

constexpr TableAction kReplace = TableAction::None;

const std::array kTableKeys = {
    Binding{keys::kLeft, Mods::Shift, When::Always, TableAction::None, Otherwise::Consume},
    Binding{keys::kRight, Mods::Shift, When::Always, TableAction::None, Otherwise::Consume},
    Binding{keys::kUp, Mods::Shift, When::Always, TableAction::None, Otherwise::Consume},
    Binding{keys::kDown, Mods::Shift, When::Always, TableAction::None, Otherwise::Consume},
    Binding{keys::kLeft, Mods::None, When::Column0, TableAction::GoToTree, Otherwise::Default},
    Binding{letter('J'), Mods::Ctrl, When::Column0, TableAction::GoToTree, Otherwise::BecomeLeft},
    Binding{letter('L'), Mods::Ctrl, When::Always, kReplace, Otherwise::Default, keys::kRight},
    Binding{letter('I'), Mods::Ctrl, When::Always, kReplace, Otherwise::Default, keys::kUp},
    Binding{letter('M'), Mods::Ctrl, When::Always, kReplace, Otherwise::Default, keys::kDown},
    Binding{keys::kRight, Mods::Ctrl, When::Always, TableAction::WidenColumn, Otherwise::Consume},
    Binding{keys::kOemPlus, Mods::Ctrl, When::Always, TableAction::WidenColumn, Otherwise::Consume},
    Binding{keys::kLeft, Mods::Ctrl, When::Always, TableAction::NarrowColumn, Otherwise::Consume},
    Binding{letter('H'), Mods::Ctrl, When::Always, TableAction::NarrowColumn, Otherwise::Consume},
    Binding{keys::kEnter, Mods::None, When::Column4, TableAction::EditDescription, Otherwise::Consume},
    Binding{keys::kEnter, Mods::Shift, When::FileRow, TableAction::DoubleClick, Otherwise::Consume},
    Binding{keys::kSpace, Mods::NotCtrl, When::Column0, TableAction::ToggleMark, Otherwise::Consume},
    Binding{letter('A'), Mods::AnyButCtrl, When::Column0FileRow, CommandId::Attribute, Otherwise::Consume},
    Binding{letter('C'), Mods::AnyButCtrl, When::Column0FileRow, CommandId::Copy, Otherwise::Consume},
    Binding{letter('M'), Mods::AnyButCtrl, When::Column0FileRow, CommandId::Move, Otherwise::Consume},
    Binding{letter('D'), Mods::AnyButCtrl, When::Column0, CommandId::Delete, Otherwise::Consume},
    Binding{letter('R'), Mods::AnyButCtrl, When::Column0FileRow, CommandId::Rename, Otherwise::Consume},
    Binding{letter('P'), Mods::AnyButCtrl, When::Column0FileRow, CommandId::Compress, Otherwise::Consume},
    Binding{letter('U'), Mods::AnyButCtrl, When::Column0FileRow, CommandId::Extract, Otherwise::Consume},
    Binding{letter('S'), Mods::None, When::SortColumn, TableAction::SortAscending, Otherwise::Consume},
    Binding{letter('S'), Mods::Shift, When::SortColumn, TableAction::SortDescending, Otherwise::Consume},
    Binding{keys::kEsc, Mods::None, When::Always, TableAction::PressQuit, Otherwise::Consume},
};

bool holds(When when, const TableState& s)
{
    switch (when) {
    case When::Always:
        return true;
    case When::Column0:
        return s.col == 0;
    case When::Column0FileRow:
        return s.col == 0 && s.fileRow();
    case When::Column4:
        return s.col == 4;
    case When::FileRow:
        return s.fileRow();
    case When::SortColumn:
        return s.col == 0 || s.col == 2 || s.col == 3;
    }
    return false;
}

}

TableKeyResult dispatchTableKey(int code, int shift, const TableState& state)
{
    for (const Binding& b : kTableKeys) {
        if (b.code != code || !keys::matches(b.mods, shift))
            continue;
        if (b.replacement != keys::kNone)
            return {TableAction::None, keys::KeyOutcome::pass(b.replacement)};
        if (holds(b.when, state))
            return {b.target, keys::KeyOutcome::consumed()};
        switch (b.otherwise) {
        case Otherwise::Consume:
            return {TableAction::None, keys::KeyOutcome::consumed()};
        case Otherwise::Default:
            return {TableAction::None, keys::KeyOutcome::pass(code)};
        case Otherwise::BecomeLeft:
            return {TableAction::None, keys::KeyOutcome::pass(keys::kLeft)};
        }
    }
    // The Ctrl keys the map does not name do nothing.
    if (shift == keys::kCtrl)
        return {TableAction::None, keys::KeyOutcome::consumed()};
    return {TableAction::None, keys::KeyOutcome::pass(code)};
}

}

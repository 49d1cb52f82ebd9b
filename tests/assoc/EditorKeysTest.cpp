#include "assoc/EditorKeys.h"

#include <gtest/gtest.h>

namespace sorvik {
namespace {

using keys::kEnter;
using keys::kLeft;
using keys::kRight;
using keys::kUp;
using keys::kDown;
using keys::kShift;
using keys::kCtrl;
using keys::kAlt;
using keys::letter;
using C = EditorControl;
using K = EditorCommand;

struct KeyCase {
    const char* what;
    EditorControl control;
    int code;
    int shift;
    bool atRoot;
    EditorCommand command;
    int passed;   // 0: consumed
};

const KeyCase kCases[] = {
    {"Drive1 Enter", C::Drive1, kEnter, 0, false, K::FocusDir1, 0},
    {"Drive1 Down changes the drive", C::Drive1, kDown, 0, false, K::None, kDown},
    {"Dir1 Enter opens", C::Dir1, kEnter, 0, false, K::OpenDirectory, 0},
    {"Dir1 Up at a root", C::Dir1, kUp, 0, true, K::FocusDrive1, 0},
    {"Dir1 Up elsewhere moves in the list", C::Dir1, kUp, 0, false, K::None, kUp},
    {"Dir1 Right", C::Dir1, kRight, 0, false, K::FocusFile1, 0},
    {"Dir1 Left stays", C::Dir1, kLeft, 0, false, K::None, kLeft},
    {"File1 Enter adds", C::File1, kEnter, 0, false, K::AddOrReplace, 0},
    {"File1 Shift+Enter is Enter typed", C::File1, kEnter, kShift, false, K::AddOrReplace, 0},
    {"File1 Left", C::File1, kLeft, 0, false, K::FocusDir1, 0},
    {"File1 Right", C::File1, kRight, 0, false, K::FocusList1, 0},
    {"File1 Shift+Right is no arrow command", C::File1, kRight, kShift, false, K::None, kRight},
    {"File1 D is type-ahead", C::File1, letter('D'), 0, false, K::None, letter('D')},
    {"List1 d deletes", C::List1, letter('D'), 0, false, K::Delete, 0},
    {"List1 D deletes", C::List1, letter('D'), kShift, false, K::Delete, 0},
    {"List1 Ctrl+D does not", C::List1, letter('D'), kCtrl, false, K::None, letter('D')},
    {"List1 Left", C::List1, kLeft, 0, false, K::FocusFile1, 0},
    {"List1 Right stays", C::List1, kRight, 0, false, K::None, kRight},
    {"List1 Enter is nothing of ours", C::List1, kEnter, 0, false, K::None, kEnter},
    {"Drive1 q", C::Drive1, letter('Q'), 0, false, K::Close, 0},
    {"Dir1 Q", C::Dir1, letter('Q'), kShift, false, K::Close, 0},
    {"File1 q", C::File1, letter('Q'), 0, false, K::Close, 0},
    {"List1 q", C::List1, letter('Q'), 0, false, K::Close, 0},
    {"Command2 q", C::Command2, letter('Q'), 0, false, K::Close, 0},
    {"Command3 Q", C::Command3, letter('Q'), kShift, false, K::Close, 0},
    {"cmdExit q is not in the table", C::cmdExit, letter('Q'), 0, false, K::None, letter('Q')},
    {"Alt+Q is no typed q", C::File1, letter('Q'), kAlt, false, K::None, letter('Q')},
    {"Text1 q is text", C::Text1, letter('Q'), 0, false, K::None, letter('Q')},
    {"Text1 Enter is nothing", C::Text1, kEnter, 0, false, K::None, kEnter},
    {"Enter presses Command2", C::Command2, kEnter, 0, false, K::Press, 0},
    {"Enter presses cmdExit", C::cmdExit, kEnter, 0, false, K::Press, 0},
};

class EditorKeys : public testing::TestWithParam<KeyCase> {};

TEST_P(EditorKeys, followTheKeyTable)
{
    const KeyCase& c = GetParam();
    const EditorKeyResult r = dispatchEditorKey(c.control, c.code, c.shift, c.atRoot);
    EXPECT_EQ(r.command, c.command) << c.what;
    EXPECT_EQ(r.outcome.code, c.passed) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Table, EditorKeys, testing::ValuesIn(kCases));

}
}

#include "app/WindowKeys.h"
#include "platform/KeyCodes.h"

#include <gtest/gtest.h>

namespace sorvik {
namespace {

using namespace keys;

TEST(WindowKeyMap, helpJumpAndDigits)
{
    EXPECT_EQ(dispatchWindowKey(kF1, 0).target, WindowKeyTarget{CommandId::Help});
    EXPECT_EQ(dispatchWindowKey(letter('J'), 0).target, WindowKeyTarget{CommandId::OpenJumpFolder});
    EXPECT_EQ(dispatchWindowKey(letter('J'), kShift).target, WindowKeyTarget{CommandId::RegisterJumpFolder});
    EXPECT_EQ(dispatchWindowKey(letter('J'), kCtrl).target, WindowKeyTarget{WindowAction::None});
    const WindowKeyResult seven = dispatchWindowKey(kDigit0 + 7, 0);
    EXPECT_EQ(seven.target, WindowKeyTarget{WindowAction::SelectFilter});
    EXPECT_EQ(seven.digit, 7);
    EXPECT_EQ(dispatchWindowKey(kDigit0 + 7, kShift).target, WindowKeyTarget{WindowAction::None});
    EXPECT_EQ(dispatchWindowKey(letter('C'), 0).target, WindowKeyTarget{WindowAction::None});
}

}
}

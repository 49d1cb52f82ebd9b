#pragma once

#include "platform/Text.h"

#include <gtest/gtest.h>

#include <string>

namespace sorvik::test {

// Text as the data files hold it, in code page 932. Text the code page
// cannot hold fails the test.
inline std::string cp932(u16view text)
{
    auto bytes = platform::encodeCp932(text);
    EXPECT_TRUE(bytes.has_value()) << "not in code page 932: " << toUtf8(text);
    return bytes.value_or("");
}

}

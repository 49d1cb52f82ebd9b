#pragma once

#include "jump/JumpList.h"

#include <vector>

namespace sorvik::test {

// The aliases of a jump list's entries, in order.
inline std::vector<u16> aliases(const JumpList& list)
{
    std::vector<u16> result;
    for (const clsJump& entry : list)
        result.push_back(entry.Alias);
    return result;
}

}

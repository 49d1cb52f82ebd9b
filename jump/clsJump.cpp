#include "jump/clsJump.h"

namespace sorvik {

clsJump::clsJump(u16 alias, u16 path) : Key(platform::toUpper(alias)), Alias(std::move(alias)), fPath(std::move(path))
{
}

}

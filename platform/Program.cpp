#include "platform/Program.h"

#include <cstdlib>

namespace sorvik::platform {

namespace {

ExitHandler& exitHandler()
{
    static ExitHandler handler;
    return handler;
}

}

void setExitHandler(ExitHandler handler)
{
    exitHandler() = std::move(handler);
}

void endProgramNow(int code)
{
    if (exitHandler())
        exitHandler()(code);
    std::_Exit(code);
}

}

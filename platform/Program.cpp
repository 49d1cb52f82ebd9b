#include "platform/Program.h"

#include "platform/DataFileNames.h"
#include "platform/Paths.h"

#include <cstdlib>

namespace sorvik::platform {

namespace {

ExitHandler& exitHandler()
{
    static ExitHandler handler;
    return handler;
}

}

u16 dataDirOf(const ProgramInfo& program)
{
    if (program.placement == Placement::Installed || !program.dataDirectory.empty())
        return program.dataDirectory;
    return AddBackslash(AddBackslash(program.directory) + kDataDirName);
}

u16 runtimeDirOf(const ProgramInfo& program)
{
    return program.runtimeDirectory.empty() ? AddBackslash(program.directory) : program.runtimeDirectory;
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

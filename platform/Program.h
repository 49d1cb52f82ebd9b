#pragma once

#include "platform/Text.h"

#include <functional>

namespace sorvik::platform {

// What the process knows of its own executable.
struct ProgramInfo {
    u16 directory;   // Windows form, ending in "\"
    u16 name;        // file name without extension
    u16 fileName;    // real file name ("sorvik" on Linux, "sorvik.exe" on Windows)
    int revision = 0;
};

// The running executable, mapped through the given drive table's rules.
ProgramInfo detectProgramInfo(const class FileSystem& fs);

// Ends the process at once, without any further event or save. Tests install
// a handler that throws instead, so a fatal path can be tested in-process.
using ExitHandler = std::function<void(int code)>;
void setExitHandler(ExitHandler handler);
[[noreturn]] void endProgramNow(int code);

}

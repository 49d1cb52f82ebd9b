#pragma once

#include "platform/Placement.h"
#include "platform/Text.h"

#include <functional>
#include <string>

namespace sorvik::platform {

// What the process knows of its own executable.
struct ProgramInfo {
    u16 directory;   // Windows form, ending in "\"
    u16 name;        // file name without extension
    u16 fileName;    // real file name ("sorvik" on Linux, "sorvik.exe" on Windows)
    int revision = 0;
    // Where this copy keeps its data and finds the files it ships, Windows
    // form ending in "\"; empty means beside the executable (portable).
    Placement placement = Placement::Portable;
    u16 dataDirectory;
    u16 runtimeDirectory;
};

// DataDir: the placed data directory, or "SYSDAT\" beside the executable.
// Empty for an installed copy whose data directory no drive holds.
u16 dataDirOf(const ProgramInfo& program);
// The directory of the shipped files (the help text).
u16 runtimeDirOf(const ProgramInfo& program);

// The running executable, mapped through the given drive table's rules.
ProgramInfo detectProgramInfo(const class FileSystem& fs);

#ifndef _WIN32
// A Windows copy is always portable; these place a copy on POSIX hosts.

// The program whose executable is at `exePath` (a host path), placed as
// `place` says; directories no drive holds stay empty.
ProgramInfo programInfoAt(const class FileSystem& fs, const std::string& exePath, const ProgramPlace& place);

// The placement facts of an executable's host directory, from the host and
// the environment.
PlacementFacts gatherPlacementFacts(const std::string& exeDir);
#endif

// Ends the process at once, without any further event or save. Tests install
// a handler that throws instead, so a fatal path can be tested in-process.
using ExitHandler = std::function<void(int code)>;
void setExitHandler(ExitHandler handler);
[[noreturn]] void endProgramNow(int code);

}

#pragma once

#include "lha/Note.h"

#include "platform/Error.h"

#include <optional>
#include <vector>

namespace sorvik::lha {

// How one archiver command ended, as values; `Unlha` makes its text report
// from this.
struct RunResult {
    // 0, or the classic code of the command (ErrorCodes.h).
    int code = 0;
    // The first failure, which gave the code: the member, file or archive it
    // concerns as reports show it, and why; empty when nothing failed.
    u16 member;
    u16 reason;
    // The system's error behind that failure, when a system call failed.
    std::optional<platform::Error> error;
    // Every failure and every member left alone on purpose, in order: what
    // the lha::Progress was told.
    std::vector<Note> notes;
    // The report's lines in order: the notes and what was done.
    std::vector<u16> lines;
};

// Runs one command line, the text `Unlha` takes (see there), in the same
// way: the same file system, faults and progress, one command at a time.
RunResult run(u16view commandLine);

}

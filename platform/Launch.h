#pragma once

#include "platform/Error.h"
#include "platform/Text.h"

#include <chrono>
#include <cstddef>

namespace sorvik::platform {

class FileSystem;

// How long the desktop's opener may take to say whether it opened a document;
// one still running then is taken to have opened it, so the window never
// waits on it longer.
inline constexpr std::chrono::milliseconds kOpenerDecision{1000};

// Opens a document with the program the desktop registered for it (on Linux
// `xdg-open`, found on PATH, given the document's host path as its one
// argument). True when the opener reports success or is still running after
// `decideWithin`; false when it reports that it could not open the document,
// when it cannot be started or when the path has no host form.
bool openWithDesktop(const FileSystem& fs, u16view document, std::chrono::milliseconds decideWithin = kOpenerDecision);

// Starts `program` with `document` as its one argument, both Windows paths
// handed over as host paths, never through a command shell. The program runs
// on by itself; nothing waits for it and it leaves no zombie behind. Fails
// with the system's reason when the program cannot be started.
Status startProgram(const FileSystem& fs, u16view program, u16view document);

// A regular file the user may run (on Linux: with execute permission).
bool isProgramFile(const FileSystem& fs, u16view path);

// For tests that must know that what a launch started has run its course
// before they look at what it did. While one lives, every program started
// here (the opener included) is kept within reach: on Linux this process
// takes over as the parent of each one still running when the launch call
// returns, on Windows the started process's handle is kept. waitUntilEnded()
// returns once each has ended. The Windows shell's open verb starts the
// registered program itself, out of reach. One at a time.
class StartedPrograms {
public:
    StartedPrograms();
    ~StartedPrograms();   // waits as waitUntilEnded() does
    StartedPrograms(const StartedPrograms&) = delete;
    StartedPrograms& operator=(const StartedPrograms&) = delete;

    // Waits until every program started since the watch began has ended;
    // how many were started.
    std::size_t waitUntilEnded();
};

}

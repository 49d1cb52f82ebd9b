#pragma once

#include "lha/Note.h"

#include "platform/Text.h"

#include <cstdint>

namespace sorvik::lha {

// Told how far a running command has got, on the thread that runs it. The
// classic library let its caller stop a command from a callback; this is
// that callback.
class Progress {
public:
    virtual ~Progress() = default;
    // Before the first member: how many members the command will write and
    // their original sizes in all.
    virtual void begin(int members, std::uint64_t bytes) = 0;
    virtual void startMember(u16view name, std::uint64_t bytes) = 0;
    // `bytes` more of the current member are done (0: only asking). False
    // stops the command: the member being written is removed again, and an
    // archive being updated stays as it was.
    virtual bool advanced(std::uint64_t bytes) = 0;
    virtual void memberDone() = 0;
    // A failure, or a member the command left alone on purpose, as it is
    // reported; the caller tells the user once the command is over.
    virtual void told(const Note& note) { (void)note; }
};

// The progress of the commands that follow; nullptr for none. Set it before
// the command starts and clear it after it returned.
void setProgress(Progress* progress);

}

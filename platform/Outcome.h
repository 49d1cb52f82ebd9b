#pragma once

#include "platform/Error.h"
#include "platform/Text.h"

#include <optional>

namespace sorvik::platform {

// How an operation the user started ended.
enum class OutcomeKind { Done, Failed, Cancelled };

// How an operation ended and, when it did not get done, which file it
// concerns and the system's reason. A refusal of the program's own (a
// protected file, a declined question) has a file but no system error.
struct Outcome {
    OutcomeKind kind = OutcomeKind::Done;
    u16 path;                     // the file it concerns; empty when none
    std::optional<Error> error;   // why the system refused; empty when it was not asked

    Outcome() = default;
    // A plain ending, with no file or reason to tell.
    Outcome(OutcomeKind k) : kind(k) {}

    static Outcome done() { return {}; }
    static Outcome failed(u16view path, std::optional<Error> error = std::nullopt)
    {
        Outcome o(OutcomeKind::Failed);
        o.path = u16(path);
        o.error = error;
        return o;
    }
    static Outcome cancelled(u16view path = {})
    {
        Outcome o(OutcomeKind::Cancelled);
        o.path = u16(path);
        return o;
    }

    bool isDone() const { return kind == OutcomeKind::Done; }
    bool operator==(OutcomeKind k) const { return kind == k; }
};

}

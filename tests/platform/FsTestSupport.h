#pragma once

#include "platform/Error.h"

#include <functional>
#include <optional>
#include <ostream>
#ifndef _WIN32
#include <sys/types.h>
#endif

namespace sorvik::platform {

// Readable names in failure messages.
inline void PrintTo(ErrorKind kind, std::ostream* os)
{
    static const char* const kNames[] = {"NotFound", "ReadOnly", "AccessDenied", "Exists", "BadName", "DiskFull",
        "CrossDevice", "IsDirectory", "NotRegular", "TooLarge", "Cancelled", "Other"};
    *os << kNames[static_cast<int>(kind)];
}

}

namespace sorvik::test {

using platform::ErrorKind;
using platform::Result;
using platform::Status;

// The value of a result as an optional, so EXPECT_EQ can compare and print it.
template<class T>
std::optional<T> valueOf(const Result<T>& result)
{
    return result ? std::optional<T>(*result) : std::nullopt;
}

// The kind a call failed with; empty when it succeeded.
template<class T>
std::optional<ErrorKind> kindOf(const Result<T>& result)
{
    return result ? std::nullopt : std::optional<ErrorKind>(result.error().kind);
}

inline std::optional<ErrorKind> kindOf(const Status& status)
{
    return status ? std::nullopt : std::optional<ErrorKind>(status.error().kind);
}

// Runs `check` in a child process that is killed after a few seconds, so a
// call that blocks fails the test instead of hanging it. True when `check`
// returned true in time.
bool inChild(const std::function<bool()>& check);

#ifdef _WIN32
// Windows has no fork: the check runs on a thread that is abandoned when it
// blocks, which fails the test the same way.
using pid_t = unsigned long;
#else
// The same in a child that has given up root for the unprivileged user
// 65534, for checks the permissions root ignores would decide. Without root
// the check runs in a child as it is.
bool asOrdinaryUser(const std::function<bool()>& check);
inline constexpr uid_t kNobody = 65534;
#endif

// The pid of a process that has just ended.
pid_t deadPid();

}

#pragma once

#include "platform/Text.h"

#include <cassert>
#include <cerrno>
#include <optional>
#include <utility>

namespace sorvik::platform {

// Why a file-system call failed, in the few kinds a message can tell apart.
enum class ErrorKind {
    NotFound,       // the file or directory is not there (or vanished)
    ReadOnly,       // the file has the read-only attribute
    AccessDenied,   // the system refuses: permissions, a locked file
    Exists,         // a file of that name is already there
    BadName,        // a name a file name cannot hold
    DiskFull,
    CrossDevice,   // a rename between two file systems
    IsDirectory,   // a directory where a file is needed
    NotRegular,    // a device, pipe or socket where a file is needed
    TooLarge,      // more than a reader accepts
    Cancelled,     // the user stopped the operation
    Link,          // a symbolic link where a file is written: never written through
    Other,
};

// A failed call: its kind and the system's own code as an errno value (on
// Windows the C library's errno for the Win32 code, or the Win32 code itself
// where none fits), for whoever wants the detail.
struct Error {
    ErrorKind kind = ErrorKind::Other;
    int code = 0;
    bool operator==(const Error&) const = default;
};

// The kind of an errno value.
Error errorFromErrno(int err);
// A Windows path that names no host file (an unknown drive, a UNC name).
inline Error noHostPath()
{
    return Error{ErrorKind::NotFound, ENOENT};
}
// A short Japanese reason for messages ("読み取り専用です", ...), one place for all.
u16 reasonText(const Error& error);

// A value or the error that kept it from being made. Reads like std::optional
// so that callers can test and dereference it the same way.
template<class T>
class Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Error error) : m_error(error) {}

    explicit operator bool() const { return m_value.has_value(); }
    bool has_value() const { return m_value.has_value(); }
    T& operator*() { return *m_value; }
    const T& operator*() const { return *m_value; }
    T* operator->() { return &*m_value; }
    const T* operator->() const { return &*m_value; }
    T& value() { return m_value.value(); }
    const T& value() const { return m_value.value(); }
    template<class U>
    T value_or(U&& fallback) const
    {
        return m_value ? *m_value : T(std::forward<U>(fallback));
    }
    // Only meaningful when there is no value.
    const Error& error() const
    {
        assert(!m_value);
        return m_error;
    }

private:
    std::optional<T> m_value;
    Error m_error;
};

// Success or the error of a call that makes nothing.
class Status {
public:
    Status() = default;
    Status(Error error) : m_failed(true), m_error(error) {}
    static Status ok() { return {}; }

    explicit operator bool() const { return !m_failed; }
    bool failed() const { return m_failed; }
    const Error& error() const { return m_error; }

private:
    bool m_failed = false;
    Error m_error;
};

}

#include "platform/Win32Files.h"

namespace sorvik::platform {

// The kind, and the errno value the C library gives the same code, so that an
// error reads the same on both systems; a code without one is kept as it is.
Error errorFromWin32(DWORD code)
{
    ErrorKind kind = ErrorKind::Other;
    int err = static_cast<int>(code);
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY:
    case ERROR_DIRECTORY:
        kind = ErrorKind::NotFound;
        err = ENOENT;
        break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_PRIVILEGE_NOT_HELD:
    case ERROR_CURRENT_DIRECTORY:
        kind = ErrorKind::AccessDenied;
        err = EACCES;
        break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
    case ERROR_DIR_NOT_EMPTY:
        kind = ErrorKind::Exists;
        err = EEXIST;
        break;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_NO_UNICODE_TRANSLATION:
        kind = ErrorKind::BadName;
        err = EINVAL;
        break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        kind = ErrorKind::DiskFull;
        err = ENOSPC;
        break;
    case ERROR_NOT_SAME_DEVICE:
        kind = ErrorKind::CrossDevice;
        err = EXDEV;
        break;
    case ERROR_FILE_TOO_LARGE:
        kind = ErrorKind::TooLarge;
        err = EFBIG;
        break;
    case ERROR_REQUEST_ABORTED:
    case ERROR_CANCELLED:
    case ERROR_OPERATION_ABORTED:
        kind = ErrorKind::Cancelled;
        err = ECANCELED;
        break;
    default:
        break;
    }
    return Error{kind, err};
}

}

#include "platform/Error.h"

#include <cerrno>

namespace sorvik::platform {

Error errorFromErrno(int err)
{
    ErrorKind kind = ErrorKind::Other;
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        kind = ErrorKind::NotFound;
        break;
    // A read-only file system refuses like a permission does; the read-only
    // attribute of one file is told apart by the caller, from the mode.
    case EACCES:
    case EPERM:
    case ETXTBSY:
    case EBUSY:
    case EROFS:
        kind = ErrorKind::AccessDenied;
        break;
    case EEXIST:
    case ENOTEMPTY:
        kind = ErrorKind::Exists;
        break;
    case ENAMETOOLONG:
    case EILSEQ:
    case EINVAL:
        kind = ErrorKind::BadName;
        break;
    case ENOSPC:
    case EDQUOT:
        kind = ErrorKind::DiskFull;
        break;
    case EXDEV:
        kind = ErrorKind::CrossDevice;
        break;
    case EISDIR:
        kind = ErrorKind::IsDirectory;
        break;
    case EFBIG:
        kind = ErrorKind::TooLarge;
        break;
    case ECANCELED:
        kind = ErrorKind::Cancelled;
        break;
    default:
        break;
    }
    return Error{kind, err};
}

}

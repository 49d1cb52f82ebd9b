#include "platform/Error.h"

#include <cerrno>

namespace sorvik::platform {

// errno values come from the C library on both systems, and from the fault
// seam of the tests.
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
#ifdef EDQUOT
    case EDQUOT:
#endif
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
    case ELOOP:
        kind = ErrorKind::Link;
        break;
    default:
        break;
    }
    return Error{kind, err};
}

u16 reasonText(const Error& error)
{
    switch (error.kind) {
    case ErrorKind::NotFound:
        return u"ファイルが見つかりません";
    case ErrorKind::ReadOnly:
        return u"読み取り専用です";
    case ErrorKind::AccessDenied:
        return u"アクセスが拒否されました";
    case ErrorKind::Exists:
        return u"同じ名前のファイルがあります";
    case ErrorKind::BadName:
        return u"ファイル名に使えない名前です";
    case ErrorKind::DiskFull:
        return u"ディスクの空きが足りません";
    case ErrorKind::CrossDevice:
        return u"別のドライブには移せません";
    case ErrorKind::IsDirectory:
        return u"ディレクトリです";
    case ErrorKind::NotRegular:
        return u"通常のファイルではありません";
    case ErrorKind::TooLarge:
        return u"ファイルが大きすぎます";
    case ErrorKind::Cancelled:
        return u"中止しました";
    case ErrorKind::Link:
        return u"シンボリックリンクです";
    case ErrorKind::Other:
        break;
    }
    // The code is all a user can pass on when no kind fits.
    return u"エラーが起きました (errno " + fromUtf8(std::to_string(error.code)) + u")";
}

}

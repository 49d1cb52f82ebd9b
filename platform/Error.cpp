#include "platform/Error.h"

namespace sorvik::platform {

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
    case ErrorKind::Other:
        break;
    }
    // The code is all a user can pass on when no kind fits.
    return u"エラーが起きました (errno " + fromUtf8(std::to_string(error.code)) + u")";
}

}

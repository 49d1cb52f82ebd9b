#include "platform/Error.h"
#include "tests/platform/FsTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <set>

namespace sorvik::platform {
namespace {

struct ErrnoCase {
    int err;
    ErrorKind kind;
};

TEST(ErrorFromErrno, SortsSystemCodesIntoTheKindsAMessageTells)
{
    const ErrnoCase cases[] = {
        {ENOENT, ErrorKind::NotFound},
        {ENOTDIR, ErrorKind::NotFound},
        {EACCES, ErrorKind::AccessDenied},
        {EPERM, ErrorKind::AccessDenied},
        {ETXTBSY, ErrorKind::AccessDenied},
        {EBUSY, ErrorKind::AccessDenied},
        {EROFS, ErrorKind::AccessDenied},
        {EEXIST, ErrorKind::Exists},
        {ENOTEMPTY, ErrorKind::Exists},
        {ENAMETOOLONG, ErrorKind::BadName},
        {EILSEQ, ErrorKind::BadName},
        {EINVAL, ErrorKind::BadName},
        {ENOSPC, ErrorKind::DiskFull},
#ifdef EDQUOT   // the Windows C library has no quota error
        {EDQUOT, ErrorKind::DiskFull},
#endif
        {EXDEV, ErrorKind::CrossDevice},
        {EISDIR, ErrorKind::IsDirectory},
        {EFBIG, ErrorKind::TooLarge},
        {ECANCELED, ErrorKind::Cancelled},
        {EIO, ErrorKind::Other},
        {ENOMEM, ErrorKind::Other},
    };
    for (const ErrnoCase& c : cases) {
        SCOPED_TRACE(c.err);
        EXPECT_EQ(errorFromErrno(c.err), (Error{c.kind, c.err}));
    }
}

TEST(ReasonText, GivesAShortJapaneseReasonPerKind)
{
    EXPECT_EQ(reasonText({ErrorKind::NotFound, ENOENT}), u"ファイルが見つかりません");
    EXPECT_EQ(reasonText({ErrorKind::ReadOnly, EACCES}), u"読み取り専用です");
    EXPECT_EQ(reasonText({ErrorKind::AccessDenied, EPERM}), u"アクセスが拒否されました");
    EXPECT_EQ(reasonText({ErrorKind::Exists, EEXIST}), u"同じ名前のファイルがあります");
    EXPECT_EQ(reasonText({ErrorKind::DiskFull, ENOSPC}), u"ディスクの空きが足りません");
    EXPECT_EQ(reasonText({ErrorKind::Cancelled, ECANCELED}), u"中止しました");

    // Each kind reads differently, so a message tells them apart.
    std::set<u16> texts;
    for (int kind = 0; kind <= static_cast<int>(ErrorKind::Other); ++kind) {
        u16 text = reasonText({static_cast<ErrorKind>(kind), 0});
        EXPECT_FALSE(text.empty());
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), static_cast<std::size_t>(ErrorKind::Other) + 1);
}

TEST(ReasonText, NamesTheCodeWhenNoKindFits)
{
    EXPECT_EQ(
        reasonText({ErrorKind::Other, EIO}), u"エラーが起きました (errno " + fromUtf8(std::to_string(EIO)) + u")");
    EXPECT_EQ(reasonText({ErrorKind::Other, 1234}), u"エラーが起きました (errno 1234)");
}

}
}

#include "ops/ArchiveCommandLine.h"

#include "lha/ErrorCodes.h"

#include <cstdint>
#include <string>

namespace sorvik {

namespace {

// As in the copy summary: a long list ends in a count instead.
constexpr std::size_t kMaxListed = 20;

void appendMore(u16& text, std::size_t listed, std::size_t all)
{
    if (all > listed)
        text += u"\r\nほか" + fromUtf8(std::to_string(all - listed)) + u"件";
}

u16 quoted(u16view value)
{
    return u"\"" + u16(value) + u"\"";
}

}

u16 proposedArchiveName(u16view fileName)
{
    const std::size_t dot = fileName.find(u'.');
    return u16(fileName.substr(0, dot)) + u".LZH";
}

u16 compressCommandLine(u16view archivePath, u16view sourceDir, u16view fileName, bool storeDirectories)
{
    return u16(storeDirectories ? u"u -x1 " : u"u ") + quoted(archivePath) + u" " + quoted(sourceDir) + u" "
        + quoted(fileName);
}

u16 extractCommandLine(u16view archivePath, u16view destinationDir, bool storeDirectories)
{
    return u16(storeDirectories ? u"x " : u"e ") + quoted(archivePath) + u" " + quoted(destinationDir);
}

int signed16(int result)
{
    return std::int16_t(std::uint16_t(unsigned(result) & 0xFFFFu));
}

u16 archiverMessage(u16view failedHeading, u16view leftAloneHeading, int result, const std::vector<lha::Note>& notes)
{
    if (result == lha::kErrUserCancel)
        return {};
    u16 text;
    if (result != 0) {
        text = u16(failedHeading) + fromUtf8(std::to_string(signed16(result)));
        std::size_t listed = 0, all = 0;
        for (const lha::Note& n : notes) {
            if (n.kind != lha::NoteKind::Failed)
                continue;
            if (++all <= kMaxListed) {
                text += u"\r\n" + lha::noteLine(n);
                ++listed;
            }
        }
        appendMore(text, listed, all);
    }
    std::size_t listed = 0, all = 0;
    for (const lha::Note& n : notes) {
        if (n.kind == lha::NoteKind::Failed)
            continue;
        if (all++ == 0)
            text += (text.empty() ? u"" : u"\r\n") + u16(leftAloneHeading);
        if (all <= kMaxListed) {
            text += u"\r\n" + n.name + u" : " + n.reason;
            ++listed;
        }
    }
    appendMore(text, listed, all);
    return text;
}

}

#include "ops/ArchiveCommandLine.h"

#include <cstdint>

namespace sorvik {

namespace {

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

u16 failureLine(std::string_view report)
{
    const u16 text = platform::decodeCp932(report);
    std::size_t end = text.size();
    while (end > 0) {
        const std::size_t start = text.find_last_of(u"\r\n", end - 1);
        const std::size_t from = start == u16::npos ? 0 : start + 1;
        const u16view line = u16view(text).substr(from, end - from);
        // " (0x" four hex digits ")": the form of every failure the archiver reports.
        if (line.size() > 9 && line.back() == u')' && line.substr(line.size() - 9, 4) == u" (0x")
            return u16(line);
        if (start == u16::npos)
            break;
        end = start;
    }
    return {};
}

}

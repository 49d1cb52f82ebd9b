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

}

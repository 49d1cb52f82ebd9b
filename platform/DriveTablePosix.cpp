#include "platform/DriveTable.h"
#include "platform/Utf8.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace sorvik::platform {

namespace {

bool probeIsDirectory(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool readFlag(const std::string& file)
{
    std::ifstream in(file);
    int value = 0;
    return (in >> value) && value == 1;
}

// The removable flag belongs to the whole disk; a partition's sysfs node sits
// inside its disk's node.
bool probeIsRemovable(const std::string& device)
{
    char* real = ::realpath(device.c_str(), nullptr);
    std::string dev = real ? real : device;
    std::free(real);
    std::string name = dev.substr(dev.rfind('/') + 1);
    std::string node = "/sys/class/block/" + name;
    if (std::ifstream(node + "/partition").good())
        return readFlag(node + "/../removable");
    return readFlag(node + "/removable");
}

}

DriveTable DriveTable::detect()
{
    return detectFrom("/proc/self/mountinfo");
}

DriveTable DriveTable::detectFrom(const std::string& mountInfoPath)
{
    std::ifstream in(mountInfoPath);
    std::ostringstream text;
    text << in.rdbuf();
    return fromMountInfo(text.str(), MountProbe{probeIsDirectory, probeIsRemovable});
}

u16 hostNameToWin(std::string_view hostName)
{
    u16 out;
    for (std::size_t i = 0; i < hostName.size();) {
        char32_t cp = 0;
        std::size_t length = utf8Sequence(hostName, i, cp);
        if (length == 0) {
            out += static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(hostName[i]));
            ++i;
            continue;
        }
        if (cp == kMappedBackslash) {
            // A real U+F05C would read back as a backslash; its bytes are
            // carried raw instead, so the two host names stay apart.
            for (std::size_t k = 0; k < length; ++k)
                out += static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(hostName[i + k]));
            i += length;
            continue;
        }
        i += length;
        if (cp == '\\') {
            out += kMappedBackslash;
        } else if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string winNameToHost(u16view winName)
{
    std::string out;
    for (std::size_t i = 0; i < winName.size(); ++i) {
        char16_t c = winName[i];
        if (c == kMappedBackslash) {
            out += '\\';
        } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < winName.size() && winName[i + 1] >= 0xDC00
            && winName[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((char32_t(c) - 0xD800) << 10) + (winName[i + 1] - 0xDC00));
            ++i;
        } else if (c >= 0xDC80 && c <= 0xDCFF) {
            out += static_cast<char>(c - 0xDC00);   // a raw byte carried through
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            appendUtf8(out, 0xFFFD);
        } else {
            appendUtf8(out, c);
        }
    }
    return out;
}

}

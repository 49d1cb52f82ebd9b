#include "platform/DriveTable.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/stat.h>

namespace sorvik::platform {

namespace {

bool isAsciiLetter(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

char16_t upperLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

std::vector<std::string> hostComponents(std::string_view path)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        std::string_view part = path.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.emplace_back(part);
        }
        start = end + 1;
    }
    return parts;
}

// Encodes one code point as UTF-8.
void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Length of the well-formed UTF-8 sequence at s[i] and its code point; 0 when
// the byte there does not start one (overlong forms and surrogates included).
std::size_t utf8Sequence(std::string_view s, std::size_t i, char32_t& cp)
{
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char b0 = byte(i);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    std::size_t length;
    char32_t min;
    if ((b0 & 0xE0) == 0xC0) {
        length = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + length > s.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

// Mount points escape blank, tab, newline and backslash as "\ooo".
std::string unescapeMountField(std::string_view field)
{
    auto octal = [&](std::size_t k) { return k < field.size() && field[k] >= '0' && field[k] <= '7'; };
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
            out += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

bool under(std::string_view path, std::string_view dir)
{
    return path == dir || (path.size() > dir.size() && path.substr(0, dir.size()) == dir && path[dir.size()] == '/');
}

struct Mount {
    std::string mountPoint;
    std::string fsType;
    std::string source;
};

bool isPseudoFileSystem(const std::string& type)
{
    static const std::array kPseudo = {"proc", "sysfs", "devtmpfs", "devpts", "securityfs", "pstore", "bpf", "tracefs",
        "debugfs", "mqueue", "hugetlbfs", "configfs", "fusectl", "autofs", "binfmt_misc", "efivarfs", "rpc_pipefs",
        "nsfs", "selinuxfs", "fuse.gvfsd-fuse", "fuse.portal", "fuse.lxcfs"};
    if (type.rfind("cgroup", 0) == 0)
        return true;
    return std::find(kPseudo.begin(), kPseudo.end(), type) != kPseudo.end();
}

// Mount points a user browses: not the kernel's interfaces, not boot files,
// not the packaging layers of snaps and containers.
bool isBrowsable(const Mount& m)
{
    if (isPseudoFileSystem(m.fsType))
        return false;
    if (m.fsType == "overlay" && m.mountPoint != "/")
        return false;
    if (m.fsType == "squashfs" && (under(m.mountPoint, "/snap") || under(m.mountPoint, "/var/lib/snapd")))
        return false;
    for (const char* dir : {"/proc", "/sys", "/dev"})
        if (under(m.mountPoint, dir))
            return false;
    if (under(m.mountPoint, "/run") && !under(m.mountPoint, "/run/media"))
        return false;
    if (m.mountPoint.rfind("/boot", 0) == 0)
        return false;
    return true;
}

int driveTypeOf(const Mount& m, const MountProbe& probe)
{
    static const std::array kRemote = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "sshfs", "fuse.sshfs", "9p", "davfs",
        "fuse.rclone", "ceph", "glusterfs", "afs"};
    if (std::find(kRemote.begin(), kRemote.end(), m.fsType) != kRemote.end())
        return kDriveRemote;
    if (m.fsType == "iso9660" || m.fsType == "udf")
        return kDriveCdRom;
    if (m.fsType == "tmpfs" || m.fsType == "ramfs")
        return kDriveRamDisk;
    if (under(m.mountPoint, "/media") || under(m.mountPoint, "/run/media"))
        return kDriveRemovable;
    if (probe.isRemovable && m.source.rfind("/dev/", 0) == 0 && probe.isRemovable(m.source))
        return kDriveRemovable;
    return kDriveFixed;
}

std::vector<Mount> parseMountInfo(const std::string& text)
{
    std::vector<Mount> mounts;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::istringstream words(line);
        for (std::string w; words >> w;)
            fields.push_back(w);
        // id parent dev root mount-point options [optional...] - type source super-options
        auto sep = std::find(fields.begin() + std::min<std::size_t>(fields.size(), 6), fields.end(), "-");
        if (fields.size() < 6 || sep == fields.end() || sep + 1 == fields.end())
            continue;
        Mount m;
        m.mountPoint = unescapeMountField(fields[4]);
        m.fsType = *(sep + 1);
        if (sep + 2 != fields.end())
            m.source = unescapeMountField(*(sep + 2));
        mounts.push_back(std::move(m));
    }
    return mounts;
}

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

DriveTable DriveTable::fromMountInfo(const std::string& mountInfo)
{
    return fromMountInfo(mountInfo, MountProbe{});
}

DriveTable DriveTable::fromMountInfo(const std::string& mountInfo, const MountProbe& probe)
{
    // Later mounts on the same point hide earlier ones.
    std::map<std::string, Mount> byPoint;
    for (Mount& m : parseMountInfo(mountInfo))
        byPoint[m.mountPoint] = std::move(m);

    DriveTable table;
    table.add(u'C', "/", kDriveFixed);
    char16_t next = u'D';
    for (const auto& [point, m] : byPoint) {
        if (point == "/" || point.empty() || point[0] != '/' || !isBrowsable(m))
            continue;
        if (probe.isDirectory && !probe.isDirectory(point))
            continue;
        if (next > u'Z')
            break;
        table.add(next++, point, driveTypeOf(m, probe));
    }
    return table;
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

void DriveTable::add(char16_t letter, std::string hostRoot, int type)
{
    while (hostRoot.size() > 1 && hostRoot.back() == '/')
        hostRoot.pop_back();
    letter = upperLetter(letter);
    for (Drive& d : m_drives) {
        if (d.letter == letter) {
            d.hostRoot = std::move(hostRoot);
            d.type = type;
            return;
        }
    }
    m_drives.push_back(Drive{letter, std::move(hostRoot), type});
}

const Drive* DriveTable::find(char16_t letter) const
{
    letter = upperLetter(letter);
    for (const Drive& d : m_drives)
        if (d.letter == letter)
            return &d;
    return nullptr;
}

std::optional<std::string> DriveTable::toHost(u16view winPath) const
{
    const Drive* drive = nullptr;
    u16view rest = winPath;
    if (winPath.size() >= 2 && winPath[1] == u':' && isAsciiLetter(winPath[0])) {
        drive = find(winPath[0]);
        if (!drive)
            return std::nullopt;
        rest = winPath.substr(2);
    } else if (winPath.empty() || winPath[0] == u'\\' || winPath[0] == u'/') {
        return std::nullopt;   // UNC, or rooted on a drive we are not told
    }

    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = rest.find_first_of(u"\\/", start);
        if (end == u16view::npos)
            end = rest.size();
        u16view part = rest.substr(start, end - start);
        if (part == u"..") {
            if (!parts.empty() && parts.back() != "..")
                parts.pop_back();
            else if (!drive)
                parts.emplace_back("..");
        } else if (!part.empty() && part != u".") {
            parts.push_back(winNameToHost(part));
        }
        start = end + 1;
    }

    std::string host = drive ? drive->hostRoot : std::string();
    for (const std::string& part : parts) {
        if (!host.empty() && host.back() != '/')
            host += '/';
        host += part;
    }
    if (host.empty())
        host = ".";
    return host;
}

std::optional<u16> DriveTable::toWin(const std::string& hostPath) const
{
    if (hostPath.empty() || hostPath[0] != '/')
        return std::nullopt;
    std::vector<std::string> parts = hostComponents(hostPath);
    const Drive* best = nullptr;
    std::size_t bestDepth = 0;
    for (const Drive& d : m_drives) {
        std::vector<std::string> root = hostComponents(d.hostRoot);
        if (root.size() > parts.size() || (best && root.size() <= bestDepth))
            continue;
        if (std::equal(root.begin(), root.end(), parts.begin())) {
            best = &d;
            bestDepth = root.size();
        }
    }
    if (!best)
        return std::nullopt;
    u16 win{best->letter, u':', u'\\'};
    for (std::size_t i = bestDepth; i < parts.size(); ++i) {
        if (i > bestDepth)
            win += u'\\';
        win += hostNameToWin(parts[i]);
    }
    return win;
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

#include "platform/DriveTable.h"

#include <algorithm>
#include <array>
#include <map>
#include <sstream>

namespace sorvik::platform {

namespace {

// Host paths are the system's own: "/" separated on Linux; on Windows a drive
// letter and "/" too, which every Win32 file call accepts, so that a host path
// reads the same on both systems ("\\" is read as a separator as well);
// Windows compares them without case.
#ifdef _WIN32
constexpr char kHostSeparator = '/';
bool isHostSeparator(char c)
{
    return c == '\\' || c == '/';
}
bool sameHostName(std::string_view a, std::string_view b)
{
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}
bool isAbsoluteHost(std::string_view p)
{
    return p.size() >= 3 && p[1] == ':' && isHostSeparator(p[2]);
}
// "C:\\" keeps its separator: "C:" alone names the drive's current directory.
bool isHostRoot(std::string_view p)
{
    return p.size() == 3 && isAbsoluteHost(p);
}
#else
constexpr char kHostSeparator = '/';
bool isHostSeparator(char c)
{
    return c == '/';
}
bool sameHostName(std::string_view a, std::string_view b)
{
    return a == b;
}
bool isAbsoluteHost(std::string_view p)
{
    return !p.empty() && p[0] == '/';
}
bool isHostRoot(std::string_view p)
{
    return p == "/";
}
#endif

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
        std::size_t end = start;
        while (end < path.size() && !isHostSeparator(path[end]))
            ++end;
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
        auto sep = std::find(fields.begin() + std::min<std::ptrdiff_t>(std::ssize(fields), 6), fields.end(), "-");
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

void DriveTable::add(char16_t letter, std::string hostRoot, int type)
{
#ifdef _WIN32
    std::replace(hostRoot.begin(), hostRoot.end(), '\\', kHostSeparator);
#endif
    while (hostRoot.size() > 1 && isHostSeparator(hostRoot.back()) && !isHostRoot(hostRoot))
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
        if (!host.empty() && !isHostSeparator(host.back()))
            host += kHostSeparator;
        host += part;
    }
    if (host.empty())
        return ".";
    return host;
}

std::optional<u16> DriveTable::toWin(const std::string& hostPath) const
{
    if (!isAbsoluteHost(hostPath))
        return std::nullopt;
    std::vector<std::string> parts = hostComponents(hostPath);
    const Drive* best = nullptr;
    std::size_t bestDepth = 0;
    for (const Drive& d : m_drives) {
        std::vector<std::string> root = hostComponents(d.hostRoot);
        if (root.size() > parts.size() || (best && root.size() <= bestDepth))
            continue;
        if (std::equal(root.begin(), root.end(), parts.begin(), sameHostName)) {
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

}

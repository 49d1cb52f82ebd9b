#pragma once

#include "platform/Text.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace sorvik::platform {

// Drive type numbers of the Windows drive-type query.
enum DriveType : int {
    kDriveUnknown = 0,
    kDriveNoRoot = 1,
    kDriveRemovable = 2,
    kDriveFixed = 3,
    kDriveRemote = 4,
    kDriveCdRom = 5,
    kDriveRamDisk = 6,
};

struct Drive {
    char16_t letter = u'C';   // upper case
    std::string hostRoot;     // host directory the drive's root maps to, no trailing "/" except "/"
    int type = kDriveFixed;
};

// Host facts the mount table alone does not tell; detect() asks the machine,
// tests answer from a script.
struct MountProbe {
    std::function<bool(const std::string& mountPoint)> isDirectory;   // files can be bind-mounted too
    std::function<bool(const std::string& device)> isRemovable;       // "/dev/sdb1" -> its disk's flag
};

// Maps drive letters onto host directories. On Windows it is the identity; on
// Linux C: is "/" and further letters follow the browsable mounts. Tests build
// their own table with temporary directories.
class DriveTable {
public:
    DriveTable() = default;

    // The machine's drives, read from the mount table.
    static DriveTable detect();
    // The same from a mount table in another file, with the machine's probes
    // of what is mounted (tests give their own table).
    static DriveTable detectFrom(const std::string& mountInfoPath);
    // Builds the table from the text of /proc/self/mountinfo (testable). Without
    // a probe every mount point counts as a directory on a fixed device.
    static DriveTable fromMountInfo(const std::string& mountInfo);
    static DriveTable fromMountInfo(const std::string& mountInfo, const MountProbe& probe);

    void add(char16_t letter, std::string hostRoot, int type = kDriveFixed);
    const std::vector<Drive>& drives() const { return m_drives; }
    const Drive* find(char16_t letter) const;

    // "C:\work\a.txt" -> "/tmp/x/work/a.txt". Empty when the letter is unknown
    // or the path is UNC or rooted without a drive; a path without a drive
    // ("sub\a.txt") gives a relative host path. "." and ".." are resolved and
    // never climb above a drive's root. A backslash-mapped character becomes
    // "\" again.
    std::optional<std::string> toHost(u16view winPath) const;
    // The reverse, by the drive whose host root is the longest prefix.
    std::optional<u16> toWin(const std::string& hostPath) const;

private:
    std::vector<Drive> m_drives;
};

// A Linux file name may hold "\" which a Windows path cannot; it is carried as
// this private-use character (the convention of Windows-on-Linux layers).
inline constexpr char16_t kMappedBackslash = 0xF05C;

// One host file-name component <-> one Windows file-name component. Bytes that
// are not valid UTF-8 map to U+DC80..U+DCFF and back, and so do the bytes of a
// real U+F05C, which would otherwise read as a mapped backslash: every name
// round-trips and no two host names share a Windows name.
u16 hostNameToWin(std::string_view hostName);
std::string winNameToHost(u16view winName);

}

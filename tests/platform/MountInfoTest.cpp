#include "platform/DriveTable.h"
#include "tests/support/TempDrive.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace sorvik::platform {
namespace {

// A desktop machine's table, shortened, in the kernel's (unsorted) order.
const std::string kMountInfo = R"(22 28 0:20 / /sys rw,nosuid,nodev,noexec,relatime shared:7 - sysfs sysfs rw
23 28 0:21 / /proc rw,nosuid,nodev,noexec,relatime shared:12 - proc proc rw
24 28 0:5 / /dev rw,nosuid,relatime shared:2 - devtmpfs udev rw,size=8000000k,nr_inodes=2000000,mode=755
25 24 0:22 / /dev/pts rw,nosuid,noexec,relatime shared:3 - devpts devpts rw,gid=5,mode=620,ptmxmode=000
26 28 0:23 / /run rw,nosuid,nodev,noexec,relatime shared:5 - tmpfs tmpfs rw,size=1600000k,mode=755
28 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw,errors=remount-ro
29 22 0:6 / /sys/kernel/security rw,nosuid,nodev,noexec,relatime shared:8 - securityfs securityfs rw
30 24 0:25 / /dev/shm rw,nosuid,nodev shared:4 - tmpfs tmpfs rw
32 22 0:27 / /sys/fs/cgroup rw,nosuid,nodev,noexec,relatime shared:9 - cgroup2 cgroup2 rw
33 22 0:28 / /sys/fs/pstore rw,nosuid,nodev,noexec,relatime shared:10 - pstore pstore rw
34 22 0:29 / /sys/fs/bpf rw,nosuid,nodev,noexec,relatime shared:11 - bpf bpf rw,mode=700
35 23 0:30 / /proc/sys/fs/binfmt_misc rw,relatime shared:13 - autofs systemd-1 rw,fd=29
36 24 0:19 / /dev/mqueue rw,nosuid,nodev,noexec,relatime shared:14 - mqueue mqueue rw
37 24 0:31 / /dev/hugepages rw,relatime shared:15 - hugetlbfs hugetlbfs rw,pagesize=2M
38 22 0:12 / /sys/kernel/tracing rw,nosuid,nodev,noexec,relatime shared:16 - tracefs tracefs rw
39 22 0:7 / /sys/kernel/debug rw,nosuid,nodev,noexec,relatime shared:17 - debugfs debugfs rw
40 22 0:32 / /sys/fs/fuse/connections rw,nosuid,nodev,noexec,relatime shared:18 - fusectl fusectl rw
41 22 0:33 / /sys/kernel/config rw,nosuid,nodev,noexec,relatime shared:19 - configfs configfs rw
60 28 8:1 / /boot/efi rw,relatime shared:30 - vfat /dev/sda1 rw,fmask=0077,dmask=0077
61 28 8:3 / /home rw,relatime shared:31 - ext4 /dev/sda3 rw
62 28 0:40 / /tmp rw,nosuid,nodev shared:32 - tmpfs tmpfs rw
63 28 7:0 / /snap/core20/1234 ro,nodev,relatime shared:33 - squashfs /dev/loop0 ro
64 28 0:41 / /mnt/nas rw,relatime shared:34 - nfs4 nas:/export rw,vers=4.2
65 28 0:42 / /mnt/share rw,relatime shared:35 - cifs //server/share rw
66 26 0:43 / /run/user/1000 rw,nosuid,nodev,relatime shared:36 - tmpfs tmpfs rw,size=800000k
67 66 0:44 / /run/user/1000/gvfs rw,nosuid,nodev,relatime shared:37 - fuse.gvfsd-fuse gvfsd-fuse rw
68 26 11:0 / /run/media/user/DVD\040Disc ro,nosuid,nodev,relatime shared:38 - iso9660 /dev/sr0 ro
69 26 8:17 / /run/media/user/USB\040STICK rw,nosuid,nodev,relatime shared:39 - vfat /dev/sdb1 rw
70 28 8:33 / /data rw,relatime shared:40 - exfat /dev/sdc1 rw
71 28 0:45 / /var/lib/docker/overlay2/abc/merged rw,relatime - overlay overlay rw,lowerdir=x
72 28 8:49 / /mnt/old\134disk rw,relatime shared:41 - ext4 /dev/sdd1 rw
73 28 0:46 / /home/user/remote rw,nosuid,nodev,relatime shared:42 - fuse.sshfs user@host:/ rw
74 28 8:65 / /media/user/Camera rw,relatime shared:43 - ext4 /dev/sde1 rw
75 28 8:3 /user/.config /etc/bound rw,relatime shared:31 - ext4 /dev/sda3 rw
)";

// A backslash in a mount point is a Linux name; on Windows it is a separator.
#ifndef _WIN32
TEST(MountInfo, ListsBrowsableMountsInMountPointOrder)
{
    MountProbe probe;
    probe.isRemovable = [](const std::string& dev) { return dev == "/dev/sdc1"; };
    DriveTable t = DriveTable::fromMountInfo(kMountInfo, probe);

    struct Expected {
        char16_t letter;
        std::string root;
        int type;
    };
    const Expected expected[] = {
        {u'C', "/", kDriveFixed},
        {u'D', "/data", kDriveRemovable},    // exFAT on a removable disk
        {u'E', "/etc/bound", kDriveFixed},   // a bind-mounted directory
        {u'F', "/home", kDriveFixed},
        {u'G', "/home/user/remote", kDriveRemote},
        {u'H', "/media/user/Camera", kDriveRemovable},
        {u'I', "/mnt/nas", kDriveRemote},
        {u'J', "/mnt/old\\disk", kDriveFixed},   // "\134" unescaped
        {u'K', "/mnt/share", kDriveRemote},
        {u'L', "/run/media/user/DVD Disc", kDriveCdRom},   // "\040" unescaped
        {u'M', "/run/media/user/USB STICK", kDriveRemovable},
        {u'N', "/tmp", kDriveRamDisk},
    };
    ASSERT_EQ(t.drives().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(expected[i].root);
        EXPECT_EQ(t.drives()[i].letter, expected[i].letter);
        EXPECT_EQ(t.drives()[i].hostRoot, expected[i].root);
        EXPECT_EQ(t.drives()[i].type, expected[i].type);
    }
}
#endif

TEST(MountInfo, SkipsPseudoFileSystemsAndSystemPlaces)
{
    DriveTable t = DriveTable::fromMountInfo(kMountInfo);
    std::set<std::string> roots;
    for (const Drive& d : t.drives())
        roots.insert(d.hostRoot);
    for (const char* skipped :
        {"/sys", "/proc", "/dev", "/dev/pts", "/run", "/dev/shm", "/sys/fs/cgroup", "/boot/efi", "/snap/core20/1234",
            "/run/user/1000", "/run/user/1000/gvfs", "/var/lib/docker/overlay2/abc/merged", "/proc/sys/fs/binfmt_misc"})
        EXPECT_EQ(roots.count(skipped), 0u) << skipped;
}

TEST(MountInfo, ProbeDropsFilesMountedOverFiles)
{
    MountProbe probe;
    probe.isDirectory = [](const std::string& path) { return path != "/etc/bound"; };
    DriveTable t = DriveTable::fromMountInfo(kMountInfo, probe);
    ASSERT_NE(t.find(u'E'), nullptr);
    EXPECT_EQ(t.find(u'E')->hostRoot, "/home");
}

TEST(MountInfo, WithoutAProbeNoDiskCountsAsRemovableUnlessMountedAsMedia)
{
    DriveTable t = DriveTable::fromMountInfo(kMountInfo);
    ASSERT_NE(t.find(u'D'), nullptr);
    EXPECT_EQ(t.find(u'D')->hostRoot, "/data");
    EXPECT_EQ(t.find(u'D')->type, kDriveFixed);
}

TEST(MountInfo, KeepsTheLastMountOfAPointAndAlwaysHasC)
{
    const std::string text
        = "1 0 0:1 / / rw - overlay overlay rw\n"
          "2 1 0:2 / /mnt rw - ext4 /dev/sda1 rw\n"
          "3 1 0:3 / /mnt rw - nfs srv:/x rw\n"
          "garbage line\n";
    DriveTable t = DriveTable::fromMountInfo(text);
    ASSERT_EQ(t.drives().size(), 2u);
    EXPECT_EQ(t.drives()[0].hostRoot, "/");
    EXPECT_EQ(t.drives()[0].type, kDriveFixed);
    EXPECT_EQ(t.drives()[1].hostRoot, "/mnt");
    EXPECT_EQ(t.drives()[1].type, kDriveRemote);

    DriveTable empty = DriveTable::fromMountInfo("");
    ASSERT_EQ(empty.drives().size(), 1u);
    EXPECT_EQ(empty.drives()[0].letter, u'C');
}

TEST(MountInfo, StopsAtDriveZ)
{
    std::string text = "1 0 0:1 / / rw - ext4 /dev/sda1 rw\n";
    for (int i = 0; i < 40; ++i)
        text += std::to_string(i + 2) + " 1 0:9 / /mnt/d" + (i < 10 ? "0" : "") + std::to_string(i)
            + " rw - ext4 /dev/x rw\n";
    DriveTable t = DriveTable::fromMountInfo(text);
    EXPECT_EQ(t.drives().size(), 24u);   // C to Z
    EXPECT_EQ(t.drives().back().letter, u'Z');
}

// The probes of what is mounted ask Linux; Windows has no mount table.
#ifndef _WIN32
TEST(MountInfo, DetectReadsTheTableAndProbesWhatIsMounted)
{
    test::TempDrives temp;
    temp.makeDir(u"C:\\disk");
    temp.writeBytes(u"C:\\file", "a file mounted over a file");
    const std::string dir = temp.host(u"C:\\disk");
    const std::string file = temp.host(u"C:\\file");
    temp.writeBytes(u"C:\\mountinfo",
        "23 28 0:21 / /proc rw,nosuid - proc proc rw\n"
        "28 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
        "61 28 8:3 / " + dir + " rw,relatime shared:31 - ext4 /dev/sda3 rw\n"
        "62 28 8:3 /x " + file + " rw,relatime shared:31 - ext4 /dev/sda3 rw\n");
    DriveTable t = DriveTable::detectFrom(temp.host(u"C:\\mountinfo"));
    ASSERT_EQ(t.drives().size(), 2u);
    EXPECT_EQ(t.drives()[0].letter, u'C');
    EXPECT_EQ(t.drives()[0].hostRoot, "/");
    EXPECT_EQ(t.drives()[1].letter, u'D');
    EXPECT_EQ(t.drives()[1].hostRoot, dir);
}
#endif

TEST(MountInfo, AnUnreadableTableStillGivesDriveC)
{
    DriveTable t = DriveTable::detectFrom("/nonexistent/mountinfo");
    ASSERT_EQ(t.drives().size(), 1u);
    EXPECT_EQ(t.drives()[0].hostRoot, "/");
}

}
}

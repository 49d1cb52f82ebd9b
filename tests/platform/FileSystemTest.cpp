#include "platform/FileSystem.h"
#include "tests/platform/FsTestSupport.h"
#include "tests/support/TempDrive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#ifndef _WIN32
#include <sys/xattr.h>
#endif

namespace sorvik::platform {
namespace {

using test::kindOf;
using test::valueOf;

class FileSystemTest : public ::testing::Test {
protected:
    test::TempDrives drives;
    FileSystem& fs = drives.fs();

#ifndef _WIN32
    mode_t modeOf(const u16& path) const
    {
        struct stat st {};
        stat(drives.host(path).c_str(), &st);
        return st.st_mode & 07777;
    }
#endif
    // On Windows the C library sets the read-only attribute from the owner's write bit.
    void chmodWin(const u16& path, int mode) const
    {
        ASSERT_EQ(chmod(drives.host(path).c_str(), mode), 0);
    }
    std::vector<u16> names(const u16& dir) const
    {
        std::vector<u16> out;
        for (const DirEntry& e : fs.listDirectory(dir).value_or(std::vector<DirEntry>{}))
            out.push_back(e.name);
        std::sort(out.begin(), out.end());
        return out;
    }
};

#ifndef _WIN32
// Whether files under `dir` keep user extended attributes.
bool keepsXattrs(const std::string& dir)
{
    const std::string probe = dir + "/.sorvik-xattr-probe-" + std::to_string(getpid());
    const int fd = ::open(probe.c_str(), O_CREAT | O_WRONLY | O_EXCL, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    const bool ok = setxattr(probe.c_str(), "user.test", "1", 1, 0) == 0;
    unlink(probe.c_str());
    return ok;
}

// The first temporary place whose file system keeps the DOS attribute; the
// system's own temporary directory may not (older tmpfs).
std::string xattrBase()
{
    const std::string candidates[] = {std::filesystem::temp_directory_path().string(), "/var/tmp", "/dev/shm"};
    for (const std::string& dir : candidates)
        if (keepsXattrs(dir))
            return dir;
    return {};
}

// The tests of the DOS attribute, on drives where it can be stored.
class DosAttributeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string base = xattrBase();
        if (base.empty())
            GTEST_SKIP() << "SKIPPED: no temporary file system here keeps extended attributes "
                            "(tried TMPDIR, /var/tmp, /dev/shm), so the DOS attribute tests did not run";
        owned = std::make_unique<test::TempDrives>(base);
    }
    test::TempDrives& drives() { return *owned; }
    mode_t modeOf(const u16& path)
    {
        struct stat st {};
        stat(drives().host(path).c_str(), &st);
        return st.st_mode & 07777;
    }

    std::unique_ptr<test::TempDrives> owned;
};
#endif

TEST_F(FileSystemTest, WorkingDirectoryIsSeenThroughTheDrives)
{
    EXPECT_EQ(fs.currentDirectory(), u16(u"C:\\"));
    ASSERT_TRUE(fs.createDirectory(u"C:\\sub"));
    ASSERT_TRUE(fs.setCurrentDirectory(u"C:\\SUB\\..\\sub\\"));
    EXPECT_EQ(fs.currentDirectory(), u16(u"C:\\sub\\"));
    ASSERT_TRUE(fs.setCurrentDirectory(u"D:\\"));
    EXPECT_EQ(fs.currentDirectory(), u16(u"D:\\"));
    EXPECT_FALSE(fs.setCurrentDirectory(u"C:\\missing"));
    EXPECT_EQ(fs.currentDirectory(), u16(u"D:\\"));
    ASSERT_EQ(chdir("/"), 0);
    EXPECT_EQ(fs.currentDirectory(), std::nullopt);
}

TEST_F(FileSystemTest, RelativeAndRootedPathsFollowTheWorkingDirectory)
{
    ASSERT_TRUE(fs.createDirectory(u"C:\\sub"));
    ASSERT_TRUE(fs.setCurrentDirectory(u"C:\\sub"));
    ASSERT_TRUE(fs.writeFileAtomic(u"rel.txt", "r"));
    EXPECT_EQ(drives.readBytes(u"C:\\sub\\rel.txt"), "r");
    ASSERT_TRUE(fs.writeFileAtomic(u"\\top.txt", "t"));
    EXPECT_EQ(drives.readBytes(u"C:\\top.txt"), "t");
    EXPECT_EQ(fs.hostPath(u"\\\\server\\share"), std::nullopt);
}

TEST_F(FileSystemTest, CreatesAndListsDirectories)
{
    EXPECT_TRUE(fs.createDirectory(u"C:\\dir"));
    EXPECT_FALSE(fs.createDirectory(u"C:\\dir"));
    EXPECT_FALSE(fs.createDirectory(u"C:\\no\\such\\parent"));
    EXPECT_TRUE(fs.directoryExists(u"C:\\dir\\"));
    EXPECT_TRUE(fs.directoryExists(u"c:\\dir"));
#ifdef _WIN32
    EXPECT_TRUE(fs.directoryExists(u"C:\\Dir"));   // Windows names ignore letter case
#else
    EXPECT_FALSE(fs.directoryExists(u"C:\\Dir"));   // the host is case-sensitive
#endif
    drives.writeBytes(u"C:\\file.txt", "x");
    EXPECT_FALSE(fs.directoryExists(u"C:\\file.txt"));
    EXPECT_FALSE(fs.directoryExists(u"Q:\\"));
}

// Linux host features: permission bits, links, pipes and extended attributes.
// The Windows layer's attributes are checked in Win32FileSystemTest.cpp.
#ifndef _WIN32
TEST_F(FileSystemTest, ListingGivesWindowsNamesAndFollowsLinksToDirectories)
{
    drives.makeDir(u"C:\\list\\sub");
    drives.writeBytes(u"C:\\list\\説明.txt", "1");
    const std::string host = drives.host(u"C:\\list");
    drives.writeBytes(u"C:\\list\\x", "");
    ASSERT_EQ(rename((host + "/x").c_str(), (host + "/back\\slash").c_str()), 0);
    drives.writeBytes(u"C:\\list\\y", "");
    ASSERT_EQ(rename((host + "/y").c_str(), (host + "/bad\xFF").c_str()), 0);
    ASSERT_EQ(symlink("sub", (host + "/linkdir").c_str()), 0);
    ASSERT_EQ(symlink("missing", (host + "/dangling").c_str()), 0);

    auto entries = fs.listDirectory(u"C:\\list\\");
    ASSERT_TRUE(entries.has_value());
    std::sort(entries->begin(), entries->end(), [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
    std::vector<std::pair<u16, bool>> got;
    for (const DirEntry& e : *entries)
        got.emplace_back(e.name, e.isDirectory);
    std::vector<std::pair<u16, bool>> expected = {
        {u16(u"back") + kMappedBackslash + u"slash", false},
        {u"bad\xDCFF", false},
        {u"dangling", false},
        {u"linkdir", true},
        {u"sub", true},
        {u"説明.txt", false},
    };
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(got, expected);

    // Names from the listing lead back to the same files.
    EXPECT_TRUE(fs.exists(u16(u"C:\\list\\back") + kMappedBackslash + u"slash"));
    EXPECT_TRUE(fs.canOpenForRead(u"C:\\list\\bad\xDCFF"));
    EXPECT_EQ(kindOf(fs.listDirectory(u"C:\\missing")), ErrorKind::NotFound);
    EXPECT_EQ(fs.listDirectory(u"C:\\list\\sub")->size(), 0u);
}
#endif

TEST_F(FileSystemTest, FileInfoGivesSizeLocalTimeAndAttributes)
{
    drives.writeBytes(u"C:\\a.txt", std::string(1234567, 'x'));
    drives.setTime(u"C:\\a.txt", 1998, 11, 3, 14, 5, 9);
    auto info = fs.fileInfo(u"C:\\a.txt");
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->size, 1234567);
    EXPECT_EQ(info->lastWrite, (DateTime{1998, 11, 3, 14, 5, 9}));
    EXPECT_EQ(info->attributes, kAttrArchive);

    drives.makeDir(u"C:\\d");
    EXPECT_EQ(fs.fileInfo(u"C:\\d")->attributes & kAttrDirectory, kAttrDirectory);
    EXPECT_EQ(kindOf(fs.fileInfo(u"C:\\nothing")), ErrorKind::NotFound);
    EXPECT_EQ(kindOf(fs.attributes(u"C:\\nothing")), ErrorKind::NotFound);
}

// Linux host features: permission bits, links, pipes and extended attributes.
// The Windows layer's attributes are checked in Win32FileSystemTest.cpp.
#ifndef _WIN32
TEST_F(FileSystemTest, ReadOnlyAndDotHiddenComeFromTheHost)
{
    drives.writeBytes(u"C:\\ro.txt", "");
    chmodWin(u"C:\\ro.txt", 0444);
    drives.writeBytes(u"C:\\.hidden", "");
    drives.writeBytes(u"C:\\.both", "");
    chmodWin(u"C:\\.both", 0555);
    drives.makeDir(u"C:\\.dir");
    drives.writeBytes(u"C:\\group-only-write", "");
    chmodWin(u"C:\\group-only-write", 0464);

    EXPECT_EQ(valueOf(fs.attributes(u"C:\\ro.txt")), kAttrReadOnly | kAttrArchive);
    EXPECT_EQ(valueOf(fs.attributes(u"C:\\.hidden")), kAttrHidden | kAttrArchive);
    EXPECT_EQ(valueOf(fs.attributes(u"C:\\.both")), kAttrReadOnly | kAttrHidden | kAttrArchive);
    EXPECT_EQ(valueOf(fs.attributes(u"C:\\.dir\\")), kAttrHidden | kAttrDirectory);
    EXPECT_EQ(valueOf(fs.attributes(u"C:\\group-only-write")), kAttrReadOnly | kAttrArchive);
    EXPECT_EQ(fs.attributes(u"C:\\").value_or(0) & kAttrHidden, 0u);
}

TEST_F(FileSystemTest, ReadOnlyClearsEveryWriteBitAndGivesTheOwnerWriteBack)
{
    drives.writeBytes(u"C:\\f.txt", "");
    chmodWin(u"C:\\f.txt", 0666);
    ASSERT_TRUE(fs.setAttributes(u"C:\\f.txt", kAttrReadOnly | kAttrArchive));
    EXPECT_EQ(modeOf(u"C:\\f.txt"), 0444u);
    EXPECT_EQ(valueOf(fs.attributes(u"C:\\f.txt")), kAttrReadOnly | kAttrArchive);
    ASSERT_TRUE(fs.setAttributes(u"C:\\f.txt", kAttrArchive));
    EXPECT_EQ(modeOf(u"C:\\f.txt"), 0644u);
    EXPECT_EQ(valueOf(fs.attributes(u"C:\\f.txt")), kAttrArchive);
    EXPECT_FALSE(fs.setAttributes(u"C:\\missing", 0));
}

TEST_F(DosAttributeTest, HiddenSystemAndArchiveLiveInTheDosAttribute)
{
    FileSystem& fs = drives().fs();
    drives().writeBytes(u"C:\\f.txt", "");
    ASSERT_TRUE(fs.setAttributes(u"C:\\f.txt", kAttrHidden | kAttrSystem));
    EXPECT_EQ(valueOf(fs.attributes(u"C:\\f.txt")), kAttrHidden | kAttrSystem);
    char buf[64] = {};
    ssize_t n = getxattr(drives().host(u"C:\\f.txt").c_str(), "user.DOSATTRIB", buf, sizeof buf);
    EXPECT_EQ(std::string(buf, n > 0 ? n : 0), "0x6");

    // Read-only together with the others: the mode changes after the attribute.
    ASSERT_TRUE(fs.setAttributes(u"C:\\f.txt", kAttrReadOnly | kAttrHidden | kAttrArchive));
    EXPECT_EQ(valueOf(fs.attributes(u"C:\\f.txt")), kAttrReadOnly | kAttrHidden | kAttrArchive);
    ASSERT_TRUE(fs.setAttributes(u"C:\\f.txt", kAttrArchive));
    EXPECT_EQ(valueOf(fs.attributes(u"C:\\f.txt")), kAttrArchive);

    drives().writeBytes(u"C:\\.dot", "");
    EXPECT_FALSE(fs.setAttributes(u"C:\\.dot", kAttrArchive));   // the dot cannot be un-hidden
    EXPECT_TRUE(fs.setAttributes(u"C:\\.dot", kAttrHidden | kAttrSystem));
    EXPECT_EQ(valueOf(fs.attributes(u"C:\\.dot")), kAttrHidden | kAttrSystem);
}

TEST_F(DosAttributeTest, HiddenChangesOnAReadOnlyFileOfAnOrdinaryUser)
{
    FileSystem& fs = drives().fs();
    drives().writeBytes(u"C:\\ro.txt", "");
    ASSERT_EQ(chmod(drives().host(u"C:\\ro.txt").c_str(), 0444), 0);
    if (geteuid() != 0) {
        EXPECT_TRUE(fs.setAttributes(u"C:\\ro.txt", kAttrReadOnly | kAttrHidden));
    } else {
        // Root may write attributes of any file; an owner without write permission may not.
        const uid_t nobody = 65534;
        ASSERT_EQ(chown(drives().host(u"C:\\ro.txt").c_str(), nobody, nobody), 0);
        ASSERT_EQ(chmod(drives().hostC().c_str(), 0755), 0);
        EXPECT_EXIT(
            {
                if (setgid(nobody) != 0 || setuid(nobody) != 0)
                    _exit(2);
                _exit(fs.setAttributes(u"C:\\ro.txt", kAttrReadOnly | kAttrHidden) ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "");
    }
    EXPECT_EQ(valueOf(fs.attributes(u"C:\\ro.txt")), kAttrReadOnly | kAttrHidden);
    EXPECT_EQ(modeOf(u"C:\\ro.txt"), 0444u);
}

TEST_F(DosAttributeTest, ReadsTheDosAttributeSambaWrites)
{
    FileSystem& fs = drives().fs();
    const std::pair<std::string, std::uint32_t> cases[] = {
        {std::string("0x22\0\x03\x00\x03\x00\x11\x00\x00\x00\x00", 14), kAttrHidden | kAttrArchive},
        {"0x4", kAttrSystem},
        {"0X27", kAttrHidden | kAttrSystem | kAttrArchive},   // read-only still comes from the mode
        {"0x0", 0},
        {"garbage", kAttrArchive},
    };
    for (const auto& [value, attrs] : cases) {
        SCOPED_TRACE(value.c_str());
        drives().writeBytes(u"C:\\s.txt", "");
        ASSERT_EQ(setxattr(drives().host(u"C:\\s.txt").c_str(), "user.DOSATTRIB", value.data(), value.size(), 0), 0);
        EXPECT_EQ(valueOf(fs.attributes(u"C:\\s.txt")), attrs);
        removexattr(drives().host(u"C:\\s.txt").c_str(), "user.DOSATTRIB");
    }
}
#endif

TEST_F(FileSystemTest, RenameNeverReplacesAnExistingName)
{
    drives.writeBytes(u"C:\\a.txt", "a");
    drives.writeBytes(u"C:\\b.txt", "b");
    EXPECT_FALSE(fs.rename(u"C:\\a.txt", u"C:\\b.txt"));
    EXPECT_EQ(drives.readBytes(u"C:\\a.txt"), "a");
    EXPECT_EQ(drives.readBytes(u"C:\\b.txt"), "b");

    drives.makeDir(u"C:\\dir");
    EXPECT_FALSE(fs.rename(u"C:\\a.txt", u"C:\\dir"));
    EXPECT_FALSE(fs.rename(u"C:\\missing", u"C:\\new"));
    EXPECT_FALSE(fs.rename(u"C:\\a.txt", u"C:\\no\\such\\dir\\a.txt"));
    EXPECT_TRUE(drives.exists(u"C:\\a.txt"));
}

TEST_F(FileSystemTest, RenameMovesFilesDirectoriesAndLetterCase)
{
    drives.writeBytes(u"C:\\a.txt", "a");
    ASSERT_TRUE(fs.rename(u"C:\\a.txt", u"C:\\A.TXT"));
    EXPECT_EQ(names(u"C:\\"), (std::vector<u16>{u"A.TXT"}));
    EXPECT_TRUE(fs.rename(u"C:\\A.TXT", u"C:\\A.TXT"));

    drives.makeDir(u"C:\\dir");
    ASSERT_TRUE(fs.rename(u"C:\\A.TXT", u"C:\\dir\\moved.txt"));
    EXPECT_EQ(drives.readBytes(u"C:\\dir\\moved.txt"), "a");
    ASSERT_TRUE(fs.rename(u"C:\\dir", u"C:\\folder"));
    EXPECT_TRUE(fs.directoryExists(u"C:\\folder"));

    // Windows renames read-only files; it only refuses to replace them.
    chmodWin(u"C:\\folder\\moved.txt", 0444);
    EXPECT_TRUE(fs.rename(u"C:\\folder\\moved.txt", u"C:\\folder\\ro.txt"));
    drives.writeBytes(u"C:\\other.txt", "o");
    EXPECT_FALSE(fs.rename(u"C:\\other.txt", u"C:\\folder\\ro.txt"));
    EXPECT_EQ(drives.readBytes(u"C:\\folder\\ro.txt"), "a");
}

// Windows finds another file under a name that differs only in letter case
// and refuses the rename; so does this layer, on a case-sensitive disk.
TEST_F(FileSystemTest, RenameRefusesANameAnotherFileHoldsIgnoringCase)
{
    drives.writeBytes(u"C:\\a.txt", "a");
    drives.writeBytes(u"C:\\b.txt", "b");
    const Status status = fs.rename(u"C:\\a.txt", u"C:\\B.TXT");
    ASSERT_FALSE(status);
    EXPECT_EQ(status.error().kind, ErrorKind::Exists);
    EXPECT_EQ(drives.readBytes(u"C:\\a.txt"), "a");
    EXPECT_EQ(drives.readBytes(u"C:\\b.txt"), "b");
    EXPECT_EQ(drives.allNames(u"C:\\"), (std::vector<std::string>{"a.txt", "b.txt"}));

    // Into another directory as well.
    drives.makeDir(u"C:\\dir");
    drives.writeBytes(u"C:\\dir\\Report.doc", "r");
    EXPECT_FALSE(fs.rename(u"C:\\a.txt", u"C:\\dir\\REPORT.DOC"));
    EXPECT_EQ(drives.allNames(u"C:\\dir"), std::vector<std::string>{"Report.doc"});

    // The file's own name in another letter case is no other file.
    ASSERT_TRUE(fs.rename(u"C:\\a.txt", u"C:\\A.TXT"));
    EXPECT_EQ(drives.readBytes(u"C:\\A.TXT"), "a");
    ASSERT_TRUE(fs.rename(u"C:\\A.TXT", u"C:\\c.txt"));
}

#ifndef _WIN32
// Only a case-sensitive disk holds both; a third spelling is refused, since
// it would be the other file's name on Windows.
TEST_F(FileSystemTest, RenameToAThirdSpellingOfTwoFilesIsRefused)
{
    drives.writeBytes(u"C:\\a.txt", "small");
    drives.writeBytes(u"C:\\A.TXT", "capital");
    EXPECT_FALSE(fs.rename(u"C:\\a.txt", u"C:\\a.TXT"));
    EXPECT_EQ(drives.readBytes(u"C:\\a.txt"), "small");
    EXPECT_EQ(drives.readBytes(u"C:\\A.TXT"), "capital");
}
#endif

TEST_F(FileSystemTest, RemoveRefusesReadOnlyFiles)
{
    drives.writeBytes(u"C:\\ro.txt", "keep");
    chmodWin(u"C:\\ro.txt", 0444);
    EXPECT_FALSE(fs.remove(u"C:\\ro.txt"));
    EXPECT_EQ(drives.readBytes(u"C:\\ro.txt"), "keep");

    drives.writeBytes(u"C:\\rw.txt", "");
    EXPECT_TRUE(fs.remove(u"C:\\rw.txt"));
    EXPECT_FALSE(fs.exists(u"C:\\rw.txt"));
    EXPECT_FALSE(fs.remove(u"C:\\rw.txt"));

    drives.makeDir(u"C:\\full\\x");
    EXPECT_FALSE(fs.remove(u"C:\\full"));
    EXPECT_TRUE(fs.remove(u"C:\\full\\x"));
}

TEST_F(FileSystemTest, OpensOnlyExistingFilesForReading)
{
    drives.writeBytes(u"C:\\a.txt", "abc");
    drives.makeDir(u"C:\\dir");
    EXPECT_TRUE(fs.canOpenForRead(u"C:\\a.txt"));
    EXPECT_FALSE(fs.canOpenForRead(u"C:\\dir"));
    EXPECT_FALSE(fs.canOpenForRead(u"C:\\b.txt"));
    EXPECT_EQ(valueOf(fs.readFile(u"C:\\a.txt")), std::string("abc"));
    EXPECT_EQ(kindOf(fs.readFile(u"C:\\dir")), ErrorKind::IsDirectory);
    EXPECT_EQ(kindOf(fs.readFile(u"C:\\b.txt")), ErrorKind::NotFound);
#ifdef _WIN32
    EXPECT_TRUE(fs.exists(u"c:\\A.TXT"));   // Windows names ignore letter case
#else
    EXPECT_TRUE(fs.exists(u"c:\\A.TXT") == false);
#endif
    EXPECT_TRUE(fs.exists(u"C:\\a.txt"));
}

// Linux host features: permission bits, links, pipes and extended attributes.
// The Windows layer's attributes are checked in Win32FileSystemTest.cpp.
#ifndef _WIN32
TEST_F(FileSystemTest, AtomicWriteCreatesAndReplacesKeepingTheMode)
{
    ASSERT_TRUE(fs.writeFileAtomic(u"C:\\data.txt", "first"));
    EXPECT_EQ(drives.readBytes(u"C:\\data.txt"), "first");
    chmodWin(u"C:\\data.txt", 0640);
    ASSERT_TRUE(fs.writeFileAtomic(u"D:\\..\\C-is-not-here.txt", "d"));   // stays on D:
    EXPECT_EQ(drives.readBytes(u"D:\\C-is-not-here.txt"), "d");

    ASSERT_TRUE(fs.writeFileAtomic(u"C:\\data.txt", std::string("sec\0ond", 7)));
    EXPECT_EQ(drives.readBytes(u"C:\\data.txt"), std::string("sec\0ond", 7));
    EXPECT_EQ(modeOf(u"C:\\data.txt"), 0640u);
    ASSERT_TRUE(fs.writeFileAtomic(u"C:\\data.txt", ""));
    EXPECT_EQ(drives.readBytes(u"C:\\data.txt"), "");
    EXPECT_EQ(names(u"C:\\"), (std::vector<u16>{u"data.txt"}));
}

TEST_F(FileSystemTest, AtomicWriteRefusesAReadOnlyTargetAndLeavesIt)
{
    drives.writeBytes(u"C:\\ro.ini", "old");
    chmodWin(u"C:\\ro.ini", 0444);
    EXPECT_FALSE(fs.writeFileAtomic(u"C:\\ro.ini", "new"));
    EXPECT_EQ(drives.readBytes(u"C:\\ro.ini"), "old");
    EXPECT_EQ(modeOf(u"C:\\ro.ini"), 0444u);
    EXPECT_EQ(names(u"C:\\"), (std::vector<u16>{u"ro.ini"}));
}
#endif

TEST_F(FileSystemTest, AtomicWriteFailsCleanlyWhereNoFileCanBeMade)
{
    drives.makeDir(u"C:\\dir");
    EXPECT_FALSE(fs.writeFileAtomic(u"C:\\dir", "x"));
    EXPECT_TRUE(fs.directoryExists(u"C:\\dir"));
    EXPECT_FALSE(fs.writeFileAtomic(u"C:\\missing\\x.txt", "x"));
    EXPECT_FALSE(fs.writeFileAtomic(u"Q:\\x.txt", "x"));
    EXPECT_EQ(names(u"C:\\"), (std::vector<u16>{u"dir"}));
}

// Linux host features: permission bits, links, pipes and extended attributes.
// The Windows layer's attributes are checked in Win32FileSystemTest.cpp.
#ifndef _WIN32
TEST_F(FileSystemTest, AtomicWriteRefusesALinkAndLeavesTheFileItPointsAt)
{
    drives.writeBytes(u"C:\\real.txt", "old");
    ASSERT_EQ(symlink("real.txt", drives.host(u"C:\\link.txt").c_str()), 0);
    EXPECT_EQ(fs.writeFileAtomic(u"C:\\link.txt", "new").error().kind, ErrorKind::Link);
    EXPECT_EQ(drives.readBytes(u"C:\\real.txt"), "old");
    struct stat st {};
    ASSERT_EQ(lstat(drives.host(u"C:\\link.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

// Root writes into any directory, so the write into a read-only directory runs
// in a child process that has given up root.
TEST_F(FileSystemTest, AtomicWriteInAReadOnlyDirectoryLeavesTheOldFile)
{
    drives.makeDir(u"C:\\ro");
    drives.writeBytes(u"C:\\ro\\data.txt", "old");
    chmodWin(u"C:\\ro\\data.txt", 0666);
    chmodWin(u"C:\\ro", 0555);
    ASSERT_EQ(chmod(drives.hostC().c_str(), 0755), 0);
    if (geteuid() != 0) {
        EXPECT_FALSE(fs.writeFileAtomic(u"C:\\ro\\data.txt", "new"));
    } else {
        const uid_t nobody = 65534;
        EXPECT_EXIT(
            {
                if (setgid(nobody) != 0 || setuid(nobody) != 0)
                    _exit(2);
                _exit(fs.writeFileAtomic(u"C:\\ro\\data.txt", "new") ? 1 : 0);
            },
            ::testing::ExitedWithCode(0), "");
    }
    EXPECT_EQ(drives.readBytes(u"C:\\ro\\data.txt"), "old");
    EXPECT_EQ(names(u"C:\\ro"), (std::vector<u16>{u"data.txt"}));
}
#endif

TEST_F(FileSystemTest, TextFilesAreCp932WithCrLf)
{
    const std::vector<u16> lines = {u"[Init]", u"説明記入欄", u"ﾌｧｲﾙ", u"C:\\黑\\", u""};
    ASSERT_EQ(writeTextFile(fs, u"C:\\t.txt", lines), WriteResult::Ok);
    EXPECT_EQ(drives.readBytes(u"C:\\t.txt"),
        "[Init]\r\n\x90\xE0\x96\xBE\x8B\x4C\x93\xFC\x97\x93\r\n\xCC\xA7\xB2\xD9\r\nC:\\\xFC\x4B\\\r\n\r\n");
    EXPECT_EQ(readTextFile(fs, u"C:\\t.txt"), lines);
}

TEST_F(FileSystemTest, TextFileWithUnencodableLineIsNotWritten)
{
    drives.writeBytes(u"C:\\t.txt", "old\r\n");
    EXPECT_EQ(writeTextFile(fs, u"C:\\t.txt", {u"fine", u"euro €"}), WriteResult::Unencodable);
    EXPECT_EQ(drives.readBytes(u"C:\\t.txt"), "old\r\n");
    chmodWin(u"C:\\t.txt", 0444);
    EXPECT_EQ(writeTextFile(fs, u"C:\\t.txt", {u"fine"}), WriteResult::Failed);
    EXPECT_EQ(drives.readBytes(u"C:\\t.txt"), "old\r\n");
}

TEST_F(FileSystemTest, TextFileReadingToleratesLfAndBadBytes)
{
    drives.writeBytes(u"C:\\t.txt", "a\nb\x81\r\nc");
    EXPECT_EQ(readTextFile(fs, u"C:\\t.txt"), (std::vector<u16>{u"a", u"b\uFFFD", u"c"}));
    EXPECT_EQ(readTextFile(fs, u"C:\\none.txt"), std::nullopt);
}

}
}

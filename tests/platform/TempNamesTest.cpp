#include "platform/TempNames.h"
#include "tests/support/TempDrive.h"

#include <gtest/gtest.h>

#include <filesystem>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace sorvik::platform {
namespace {

using Kind = TemporaryOwner::Kind;

TEST(TempNames, EveryNameCarriesItsWritersPid)
{
    const std::string a = temporaryName(4242), b = temporaryName(4242);
    EXPECT_NE(a, b);
    EXPECT_EQ(a.rfind(".~sorvik-4242-", 0), 0u) << a;
    EXPECT_EQ(a.substr(a.size() - 4), ".tmp");
    const TemporaryOwner owner = temporaryOwner(a);
    EXPECT_EQ(owner.kind, Kind::Process);
    EXPECT_EQ(owner.pid, 4242u);
}

// The archiver once wrote ".~sorvik-<12 hex>" without a pid; a sweep must
// still know them, and nothing a user could have named.
TEST(TempNames, KnowsTheEarlierArchiverNamesAndNothingElse)
{
    EXPECT_EQ(temporaryOwner(".~sorvik-0123456789ab").kind, Kind::Unowned);
    for (const char* name :
        {".~sorvik-0123456789a", ".~sorvik-0123456789abc", ".~sorvik-0123456789ag", ".~sorvik-notes.tmp",
            ".~sorvik-12-zz.tmp", ".~sorvik--abc.tmp", ".~sorvik-0-abc.tmp", ".~sorvik-12-.tmp", ".~sorvik-12-abc.txt",
            "x.~sorvik-12-abc.tmp", "~sorvik-12-abc.tmp", "notes.tmp", ".~sorvik-99999999999-abc.tmp"})
        EXPECT_EQ(temporaryOwner(name).kind, Kind::NotOurs) << name;
}

TEST(TempNames, StaleMeansOursAndNoLongerWritten)
{
    const auto ended = [](std::uint64_t pid) { return pid == 7; };
    EXPECT_TRUE(isStaleTemporary(".~sorvik-7-00ff.tmp", 1, 0, ended));
    EXPECT_FALSE(isStaleTemporary(".~sorvik-8-00ff.tmp", 1, 0, ended));   // its writer still runs
    EXPECT_FALSE(isStaleTemporary(".~sorvik-1-00ff.tmp", 1, 0, [](std::uint64_t) { return true; }));   // our own
    EXPECT_FALSE(isStaleTemporary(".~sorvik-0123456789ab", 1, kUnownedTemporaryAgeSeconds - 1, ended));
    EXPECT_TRUE(isStaleTemporary(".~sorvik-0123456789ab", 1, kUnownedTemporaryAgeSeconds, ended));
    EXPECT_FALSE(isStaleTemporary("report.tmp", 1, 1 << 30, [](std::uint64_t) { return true; }));
}

#ifndef _WIN32
// A pid that no process has now: a child that has been waited for.
std::uint64_t endedPid()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return static_cast<std::uint64_t>(child);
}

void ageBy(const std::string& host, std::chrono::seconds age)
{
    namespace fs = std::filesystem;
    fs::last_write_time(host, fs::last_write_time(host) - age);
}

// What crashed runs left, of every writer, goes at the data directory's
// sweep; what a running writer or the user owns stays.
TEST(TempSweep, RemovesWhatEndedWritersLeftAndNothingElse)
{
    test::TempDrives drives;
    FileSystem& fs = drives.fs();
    drives.makeDir(u"C:\\SYSDAT");
    const std::u16string dir = u"C:\\SYSDAT\\";
    const std::string dead = temporaryName(endedPid());
    const std::string running = temporaryName(static_cast<std::uint64_t>(::getppid()));
    const std::string own = temporaryName(static_cast<std::uint64_t>(::getpid()));
    for (const std::string& name : {dead, running, own, std::string(".~sorvik-00000000beef"),
             std::string(".~sorvik-0000000fresh"), std::string(".~sorvik-00000000cafe"), std::string("notes.txt")})
        drives.writeBytes(dir + fromUtf8(name), "x");
    ageBy(drives.host(dir + u".~sorvik-00000000beef"), std::chrono::hours(2));
    ageBy(drives.host(u"C:\\SYSDAT\\notes.txt"), std::chrono::hours(2));

    fs.removeStaleTemporaries(dir);

    const std::vector<std::string> left = drives.allNames(dir);
    EXPECT_EQ(std::count(left.begin(), left.end(), dead), 0);
    EXPECT_EQ(std::count(left.begin(), left.end(), ".~sorvik-00000000beef"), 0);
    for (const std::string& name : {running, own, std::string(".~sorvik-0000000fresh"),
             std::string(".~sorvik-00000000cafe"), std::string("notes.txt")})
        EXPECT_EQ(std::count(left.begin(), left.end(), name), 1) << name;
}

// A later write into the directory sweeps it too, for copies as for data files.
TEST(TempSweep, TheFirstWriteIntoADirectorySweepsIt)
{
    test::TempDrives drives;
    FileSystem& fs = drives.fs();
    const std::string dead = temporaryName(endedPid());
    drives.writeBytes(u"D:\\" + fromUtf8(dead), std::string(1 << 16, 'x'));
    drives.writeBytes(u"D:\\.~sorvik-0123456789ab", "half an archive");
    ageBy(drives.host(u"D:\\.~sorvik-0123456789ab"), std::chrono::hours(1));
    drives.writeBytes(u"C:\\a.txt", "a");
    ASSERT_TRUE(fs.copyFile(u"C:\\a.txt", u"D:\\a.txt", Replace::Never));
    EXPECT_EQ(drives.allNames(u"D:\\"), std::vector<std::string>{"a.txt"});
}
#endif

}
}

#include "tests/lha/LhaTestSupport.h"

#include "lha/ErrorCodes.h"

#include <filesystem>

namespace sorvik::test {
namespace {

namespace fs = std::filesystem;

// What killed pack and unpack runs left must not outlive the next one.
class TemporarySweep : public LhaDrives {
protected:
    // A half-written archive of an earlier run, last written long ago.
    void leaveStale(const std::u16string& dir, const std::string& name)
    {
        const std::string host = drives.host(dir + fromUtf8(name));
        drives.writeBytes(dir + fromUtf8(name), std::string(4096, 'x'));
        fs::last_write_time(hostFsPath(host), fs::last_write_time(hostFsPath(host)) - std::chrono::hours(3));
    }
};

TEST_F(TemporarySweep, aPackRemovesWhatKilledRunsLeftBesideTheArchive)
{
    drives.writeBytes(u"C:\\f.txt", "data");
    leaveStale(u"C:\\", ".~sorvik-0123456789ab");
    leaveStale(u"C:\\", ".~sorvik-fedcba987654");
    ASSERT_EQ(unlha(R"(u -x1 "C:\a.lzh" "C:\" "f.txt")"), 0) << report;
    EXPECT_EQ(drives.allNames(u"C:\\"), (std::vector<std::string>{"a.lzh", "f.txt"}));
}

TEST_F(TemporarySweep, anUnpackRemovesThemInTheDestination)
{
    drives.writeBytes(u"C:\\f.txt", "data");
    ASSERT_EQ(unlha(R"(u -x1 "C:\a.lzh" "C:\" "f.txt")"), 0) << report;
    drives.makeDir(u"D:\\out");
    leaveStale(u"D:\\out\\", ".~sorvik-00000000abcd");
    ASSERT_EQ(unlha(R"(x "C:\a.lzh" "D:\out\")"), 0) << report;
    EXPECT_EQ(drives.allNames(u"D:\\out\\"), std::vector<std::string>{"f.txt"});
}

// A file of the same pattern that is still being written (young) and one a
// user named stay.
TEST_F(TemporarySweep, youngOrForeignFilesStay)
{
    drives.writeBytes(u"C:\\f.txt", "data");
    drives.writeBytes(u"C:\\.~sorvik-00000000abcd", "being written");
    leaveStale(u"C:\\", ".~sorvik-notes");
    ASSERT_EQ(unlha(R"(u -x1 "C:\a.lzh" "C:\" "f.txt")"), 0) << report;
    EXPECT_EQ(drives.allNames(u"C:\\"),
        (std::vector<std::string>{".~sorvik-00000000abcd", ".~sorvik-notes", "a.lzh", "f.txt"}));
}

}
}

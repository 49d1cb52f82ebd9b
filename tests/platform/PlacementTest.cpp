#include "platform/Placement.h"
#include "platform/FileSystem.h"
#include "platform/Program.h"
#include "tests/support/TempDrive.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sorvik::platform {
namespace {

PlacementFacts factsFor(std::string exeDir)
{
    PlacementFacts facts;
    facts.exeDir = std::move(exeDir);
    facts.home = "/home/ann";
    return facts;
}

struct Case {
    const char* what;
    bool dataDirBeside;
    bool installLayout;
    bool writable;
    const char* xdgDataHome;
    Placement placement;
    const char* dataDir;
    const char* runtimeDir;
};

const Case kCases[] = {
    {"a writable directory is a portable copy", false, false, true, "", Placement::Portable, "/opt/sv/bin/SYSDAT",
        "/opt/sv/bin"},
    {"SYSDAT beside an unwritable executable stays portable", true, false, false, "", Placement::Portable,
        "/opt/sv/bin/SYSDAT", "/opt/sv/bin"},
    {"SYSDAT beside an installed executable stays portable", true, true, false, "/xdg", Placement::Portable,
        "/opt/sv/bin/SYSDAT", "/opt/sv/bin"},
    {"an install layout is installed even when writable (root)", false, true, true, "", Placement::Installed,
        "/home/ann/.local/share/sorvik/SYSDAT", "/opt/sv/share/sorvik"},
    {"an unwritable directory is installed, its files beside it", false, false, false, "", Placement::Installed,
        "/home/ann/.local/share/sorvik/SYSDAT", "/opt/sv/bin"},
    {"XDG_DATA_HOME replaces ~/.local/share", false, true, false, "/data/ann", Placement::Installed,
        "/data/ann/sorvik/SYSDAT", "/opt/sv/share/sorvik"},
    {"a trailing slash of XDG_DATA_HOME is not doubled", false, true, false, "/data/ann/", Placement::Installed,
        "/data/ann/sorvik/SYSDAT", "/opt/sv/share/sorvik"},
    {"a relative XDG_DATA_HOME is ignored", false, true, false, "data", Placement::Installed,
        "/home/ann/.local/share/sorvik/SYSDAT", "/opt/sv/share/sorvik"},
};

TEST(PlaceProgram, FollowsTheRule)
{
    for (const Case& c : kCases) {
        PlacementFacts facts = factsFor("/opt/sv/bin");
        facts.dataDirBeside = c.dataDirBeside;
        facts.installLayout = c.installLayout;
        facts.exeDirWritable = c.writable;
        facts.xdgDataHome = c.xdgDataHome;
        const ProgramPlace place = placeProgram(facts);
        EXPECT_EQ(place.placement, c.placement) << c.what;
        EXPECT_EQ(place.dataDir, c.dataDir) << c.what;
        EXPECT_EQ(place.runtimeDir, c.runtimeDir) << c.what;
    }
}

TEST(PlaceProgram, AnInstalledCopyWithoutAHomeHasNoDataDirectory)
{
    PlacementFacts facts = factsFor("/usr/bin");
    facts.installLayout = true;
    facts.home.clear();
    EXPECT_EQ(placeProgram(facts).dataDir, "") << "nowhere to keep data: the start-up reports it";
    facts.home = "relative";
    EXPECT_EQ(placeProgram(facts).dataDir, "");
    facts.xdgDataHome = "/xdg";
    EXPECT_EQ(placeProgram(facts).dataDir, "/xdg/sorvik/SYSDAT") << "XDG_DATA_HOME alone is enough";
}

TEST(PlaceProgram, AnExecutableAtTheRootKeepsOneSeparator)
{
    PlacementFacts facts = factsFor("/");
    facts.exeDirWritable = true;
    EXPECT_EQ(placeProgram(facts).dataDir, "/SYSDAT");
}

TEST(DataDirOf, APortableCopyWithoutPlacementKeepsSysdatBesideTheExecutable)
{
    ProgramInfo info;
    info.directory = u"C:\\prog\\";
    EXPECT_EQ(dataDirOf(info), u"C:\\prog\\SYSDAT\\");
    EXPECT_EQ(runtimeDirOf(info), u"C:\\prog\\");
    info.directory = u"C:\\";
    EXPECT_EQ(dataDirOf(info), u"C:\\SYSDAT\\") << "no doubled backslash at a drive's root";
    info.placement = Placement::Installed;
    EXPECT_EQ(dataDirOf(info), u"") << "an installed copy never falls back to SYSDAT beside itself";
}

#ifndef _WIN32

// Sets or clears an environment variable for one test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

class PlacementOnDisk : public testing::Test {
protected:
    void SetUp() override
    {
        prefix = drives.hostC() + "/prefix";
        bin = prefix + "/bin";
        std::filesystem::create_directories(bin);
        home = drives.hostC() + "/home/ann";
        std::filesystem::create_directories(home);
    }
    void TearDown() override { ::chmod(bin.c_str(), 0755); }

    // The program as the running one would be described, from the disk.
    ProgramInfo describe()
    {
        return programInfoAt(drives.fs(), bin + "/sorvik", placeProgram(gatherPlacementFacts(bin)));
    }

    test::TempDrives drives;
    std::string prefix, bin, home;
    ScopedEnv homeEnv{"HOME", nullptr};
    ScopedEnv xdgEnv{"XDG_DATA_HOME", nullptr};
};

TEST_F(PlacementOnDisk, ABuildTreeIsPortable)
{
    ::setenv("HOME", home.c_str(), 1);
    const ProgramInfo info = describe();
    EXPECT_EQ(info.placement, Placement::Portable);
    EXPECT_EQ(info.directory, u"C:\\prefix\\bin\\");
    EXPECT_EQ(dataDirOf(info), u"C:\\prefix\\bin\\SYSDAT\\");
    EXPECT_EQ(runtimeDirOf(info), u"C:\\prefix\\bin\\");
}

TEST_F(PlacementOnDisk, AnInstallLayoutKeepsItsDataInTheHome)
{
    std::filesystem::create_directories(prefix + "/share/sorvik");
    ::setenv("HOME", home.c_str(), 1);
    const ProgramInfo info = describe();
    EXPECT_EQ(info.placement, Placement::Installed);
    EXPECT_EQ(dataDirOf(info), u"C:\\home\\ann\\.local\\share\\sorvik\\SYSDAT\\");
    EXPECT_EQ(runtimeDirOf(info), u"C:\\prefix\\share\\sorvik\\");
    EXPECT_EQ(info.fileName, u"sorvik");
}

TEST_F(PlacementOnDisk, XdgDataHomeIsFollowedWhenSet)
{
    std::filesystem::create_directories(prefix + "/share/sorvik");
    ::setenv("HOME", home.c_str(), 1);
    const std::string xdg = drives.hostC() + "/xdg";
    ::setenv("XDG_DATA_HOME", xdg.c_str(), 1);
    EXPECT_EQ(dataDirOf(describe()), u"C:\\xdg\\sorvik\\SYSDAT\\");
    ::setenv("XDG_DATA_HOME", "", 1);
    EXPECT_EQ(dataDirOf(describe()), u"C:\\home\\ann\\.local\\share\\sorvik\\SYSDAT\\") << "set but empty is unset";
}

TEST_F(PlacementOnDisk, SysdatAlreadyBesideAnInstalledExecutableKeepsItPortable)
{
    std::filesystem::create_directories(prefix + "/share/sorvik");
    std::filesystem::create_directories(bin + "/SYSDAT");
    ::setenv("HOME", home.c_str(), 1);
    const ProgramInfo info = describe();
    EXPECT_EQ(info.placement, Placement::Portable);
    EXPECT_EQ(dataDirOf(info), u"C:\\prefix\\bin\\SYSDAT\\");
}

TEST_F(PlacementOnDisk, AnUnwritableProgramDirectoryIsInstalled)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write into any directory; the rule's unwritable case is covered by PlaceProgram";
    ::setenv("HOME", home.c_str(), 1);
    ::chmod(bin.c_str(), 0555);
    const ProgramInfo info = describe();
    EXPECT_EQ(info.placement, Placement::Installed);
    EXPECT_EQ(dataDirOf(info), u"C:\\home\\ann\\.local\\share\\sorvik\\SYSDAT\\");
    EXPECT_EQ(runtimeDirOf(info), u"C:\\prefix\\bin\\") << "no share/sorvik: the help text beside it";
}

TEST_F(PlacementOnDisk, ADataDirectoryNoDriveHoldsStaysEmpty)
{
    std::filesystem::create_directories(prefix + "/share/sorvik");
    ::setenv("HOME", "/nowhere-on-these-drives", 1);
    const ProgramInfo info = describe();
    EXPECT_EQ(info.placement, Placement::Installed);
    EXPECT_EQ(dataDirOf(info), u"");
}

#endif

}
}

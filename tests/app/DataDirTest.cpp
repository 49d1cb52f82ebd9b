#include "app/DataFiles.h"
#include "desc/DescriptionFile.h"
#include "platform/DataFileNames.h"
#include "platform/Error.h"
#include "tests/support/ModelFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace sorvik::test {
namespace {

const u16 kHomeData = u"C:\\home\\ann\\.local\\share\\sorvik\\SYSDAT\\";

// Every file and directory under a host directory, relative, sorted.
std::vector<std::string> treeOf(const std::string& root)
{
    const std::filesystem::path base = hostFsPath(root);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(base))
        names.push_back(std::filesystem::relative(entry.path(), base).generic_string());
    std::sort(names.begin(), names.end());
    return names;
}

// An installed copy: the executable in C:\usr\bin, its shipped files in
// C:\usr\share\sorvik, its data in Ann's home.
class InstalledCopy : public DrivesFixture {
protected:
    void SetUp() override
    {
        DrivesFixture::SetUp();
        drives.makeDir(u"C:\\usr\\bin");
        drives.makeDir(u"C:\\usr\\share\\sorvik");
        drives.makeDir(u"C:\\home\\ann");
        drives.writeBytes(u"C:\\usr\\bin\\sorvik", "program");
        drives.writeBytes(u"C:\\usr\\share\\sorvik\\黑黑黑HP.txt", "help\r\n");
    }

    platform::ProgramInfo installed(u16 dataDir = kHomeData)
    {
        platform::ProgramInfo p = programIn(u"C:\\usr\\bin\\");
        p.placement = platform::Placement::Installed;
        p.dataDirectory = std::move(dataDir);
        p.runtimeDirectory = u"C:\\usr\\share\\sorvik\\";
        return p;
    }

    Form1Model& load(platform::ProgramInfo program, u16view start = u"C:\\work")
    {
        model = std::make_unique<Form1Model>(drives.fs(), std::move(program));
        model->Load(start);
        return *model;
    }

    std::unique_ptr<Form1Model> model;
};

TEST_F(InstalledCopy, makesItsDataDirectoryInTheHomeAndWorksThere)
{
    Form1Model& m = load(installed());
    EXPECT_EQ(m.DataDir, kHomeData);
    EXPECT_TRUE(drives.exists(kHomeData));
    EXPECT_EQ(drives.fs().currentDirectory(), kHomeData);
    EXPECT_FALSE(m.dataDirMissing());
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_FALSE(drives.exists(u"C:\\usr\\bin\\SYSDAT"));
}

TEST_F(InstalledCopy, settingsAndDescriptionsLandInTheHomeAndNothingBesideTheProgram)
{
    Form1Model& m = load(installed());
    const auto usrBefore = treeOf(drives.host(u"C:\\usr"));
    m.Close({});
    EXPECT_TRUE(drives.exists(kHomeData + kSettingsFile));
    ASSERT_TRUE(drives.exists(kHomeData + kDescriptionFile));
    EXPECT_EQ(treeOf(drives.host(u"C:\\usr")), usrBefore);
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(InstalledCopy, builtInDescriptionsNameTheInstalledFiles)
{
    load(installed()).Close({});
    DescriptionStore records;
    DescriptionFile::readKeeping(drives.readBytes(kHomeData + kDescriptionFile), records);
    std::vector<std::pair<u16, u16>> seen;
    records.forEach([&](const clsComent& r) { seen.emplace_back(r.Path, r.Coment); });
    const std::vector<std::pair<u16, u16>> expected = {
        {u"C:\\usr\\bin\\sorvik", u"Sorvik 実行ファイル"},
        {u"C:\\usr\\share\\sorvik\\sorvik.txt", u"Sorvik 説明ﾌｧｲﾙ"},
        {u"C:\\usr\\share\\sorvik\\黑黑黑HP.txt", u"SorVIK 使用法説明ファイル"},
        {kHomeData + u"SorvikDP.txt", u"ファイルの説明データ"},
        {kHomeData + u"黑黑黑黑.ini", u"SorVIK 初期設定ファイル"},
    };
    EXPECT_EQ(seen, expected);
}

TEST_F(InstalledCopy, findsItsHelpTextWhereItIsShipped)
{
    EXPECT_EQ(load(installed()).RuntimeDir, u"C:\\usr\\share\\sorvik\\");
}

TEST_F(InstalledCopy, oldNamesAreMigratedFromTheUsersSorvikDirectory)
{
    drives.makeDir(u"C:\\home\\ann\\.local\\share\\sorvik");
    drives.writeBytes(u"C:\\home\\ann\\.local\\share\\sorvik\\zDontDEL.TXT", "*.txt,C:\\ed\\ed\r\n");
    drives.writeBytes(u"C:\\usr\\bin\\zDontDEL.TXT", "not ours");
    load(installed());
    EXPECT_EQ(drives.readBytes(kHomeData + kAssociationFile), "*.txt,C:\\ed\\ed\r\n");
    EXPECT_EQ(drives.readBytes(u"C:\\usr\\bin\\zDontDEL.TXT"), "not ours") << "nothing is taken from the install";
}

TEST_F(InstalledCopy, aDataDirectoryThatCannotBeMadeIsReportedAndNothingIsWritten)
{
    // A plain file where a directory of the path has to be.
    drives.makeDir(u"C:\\home\\ann\\.local");
    drives.writeBytes(u"C:\\home\\ann\\.local\\share", "a file");
    const auto before = treeOf(drives.hostC());
    Form1Model& m = load(installed());
    EXPECT_TRUE(m.dataDirMissing());
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].rfind(kHomeData + u"を作成できません\r\n", 0), 0u) << toUtf8(ui.messages()[0]);
    EXPECT_GT(ui.messages()[0].size(), kHomeData.size() + 10) << "the reason follows";
    m.ComentSet(u"C:\\work\\a.txt", u"edited");
    m.Close({});
    EXPECT_EQ(treeOf(drives.hostC()), before) << "no data file anywhere, nothing beside the program";
    EXPECT_EQ(drives.readBytes(u"C:\\home\\ann\\.local\\share"), "a file");
    EXPECT_EQ(ui.messages().size(), 1u) << "told once";
}

TEST_F(InstalledCopy, noHomeIsReportedLikeADirectoryThatCannotBeMade)
{
    Form1Model& m = load(installed(u16()));
    EXPECT_TRUE(m.dataDirMissing());
    EXPECT_EQ(ui.messages().size(), 1u);
    EXPECT_FALSE(drives.exists(u"C:\\usr\\bin\\SYSDAT"));
}

TEST_F(InstalledCopy, aPortableCopyInTheSamePlaceStillUsesSysdatBesideItself)
{
    Form1Model& m = load(programIn(u"C:\\usr\\bin\\"));
    EXPECT_EQ(m.DataDir, u"C:\\usr\\bin\\SYSDAT\\");
    EXPECT_EQ(m.RuntimeDir, u"C:\\usr\\bin\\");
    EXPECT_TRUE(drives.exists(u"C:\\usr\\bin\\SYSDAT"));
    EXPECT_FALSE(drives.exists(u"C:\\home\\ann\\.local"));
}

TEST(CreateDataDirectory, makesEveryMissingLevelAndAcceptsAnExistingOne)
{
    TempDrives drives;
    EXPECT_TRUE(CreateDataDirectory(drives.fs(), u"C:\\a\\b\\c\\"));
    EXPECT_TRUE(drives.exists(u"C:\\a\\b\\c"));
    EXPECT_TRUE(CreateDataDirectory(drives.fs(), u"C:\\a\\b\\c\\"));
    drives.writeBytes(u"C:\\a\\f", "x");
    const platform::Status made = CreateDataDirectory(drives.fs(), u"C:\\a\\f\\d\\");
    EXPECT_FALSE(made);
}

}
}

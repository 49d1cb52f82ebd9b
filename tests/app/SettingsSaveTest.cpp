#include "tests/app/SettingsFixture.h"

#include <filesystem>
#include <string>

namespace sorvik::test {
namespace {

// Shift_JIS bytes of the Japanese texts used below. 表 ends in 0x5C, the
// byte of "\", which must pass through untouched.
const std::string kSjisWork = "\x8e\x64\x8e\x96";       // 仕事
const std::string kSjisDocument = "\x95\xb6\x8f\x91";   // 文書
const std::string kSjisTable = "\x95\x5c";              // 表

SavedSettings sampleSnapshot()
{
    SavedSettings s;
    s.Top = 1200;
    s.Left = -150;
    s.ClientWidth = 9000;
    s.ClientHeight = 6000;
    s.ShowReadOnly = 1;
    s.ShowHidden = 0;
    s.ShowSystem = 1;
    s.ShowArchive = 1;
    s.ListedDirectory = u"C:\\仕事\\表";
    s.JumpList.append(u"doc ", u"C:\\文書\\");
    s.JumpList.append(u"表", u"D:\\表\\");
    s.JumpList.append(u"Work", u"C:\\仕事\\");
    s.FilterList[0] = u"*.txt";
    s.FilterList[3] = u"  *.lzh;*.zip  ";
    s.FilterList[9] = u"表*";
    return s;
}

const std::string kSampleBytes =
    "[Init]\r\n"
    "Top= 1200 \r\n"
    "Left=-150 \r\n"
    "Width= 9000 \r\n"
    "Height= 6000 \r\n"
    "ReadOnly=  1 \r\n"
    "Hidden=  0 \r\n"
    "System=  1 \r\n"
    "Archive=  1 \r\n"
    "\r\n"
    "[Jump]\r\n"
    "C:\\" + kSjisWork + "\\" + kSjisTable + "\\\r\n"
    "doc ,C:\\" + kSjisDocument + "\\\r\n"
    + kSjisTable + ",D:\\" + kSjisTable + "\\\r\n"
    "Work,C:\\" + kSjisWork + "\\\r\n"
    "\r\n"
    "[Filter]\r\n"
    "0 *.txt\r\n"
    "3 *.lzh;*.zip\r\n"
    "9 " + kSjisTable + "*\r\n";

SavedSettings snapshotOf(const LoadedSettings& v, u16 listed)
{
    SavedSettings s;
    s.Top = v.SavedTop.value_or(0);
    s.Left = v.SavedLeft.value_or(0);
    s.ClientWidth = v.SavedWidth.value_or(0);
    s.ClientHeight = v.SavedHeight.value_or(0);
    s.ShowReadOnly = v.ShowReadOnly;
    s.ShowHidden = v.ShowHidden;
    s.ShowSystem = v.ShowSystem;
    s.ShowArchive = v.ShowArchive;
    s.ListedDirectory = std::move(listed);
    s.JumpList = v.JumpList;
    s.FilterList = v.FilterList;
    return s;
}

TEST_F(SettingsTest, writesTheFileByteForByte)
{
    save(sampleSnapshot());
    EXPECT_EQ(settingsBytes(), kSampleBytes);
}

TEST_F(SettingsTest, roundTripGivesBackEveryValueAndTheSameBytes)
{
    drives.makeDir(u"C:\\仕事\\表");
    save(sampleSnapshot());
    LoadedSettings values = load();
    EXPECT_EQ(values.SavedTop, 1200);
    EXPECT_EQ(values.SavedLeft, -150);
    EXPECT_EQ(values.SavedWidth, 9000);
    EXPECT_EQ(values.SavedHeight, 6000);
    EXPECT_EQ(values.ShowReadOnly, 1);
    EXPECT_EQ(values.ShowHidden, 0);
    EXPECT_EQ(values.ShowSystem, 1);
    EXPECT_EQ(values.ShowArchive, 1);
    EXPECT_EQ(values.StartDirectory, u"C:\\仕事\\表\\");
    EXPECT_EQ(values.JumpList, sampleSnapshot().JumpList);
    EXPECT_EQ(values.FilterList[0], u"*.txt");
    EXPECT_EQ(values.FilterList[3], u"*.lzh;*.zip");
    EXPECT_EQ(values.FilterList[9], u"表*");
    for (std::size_t i : {1, 2, 4, 5, 6, 7, 8})
        EXPECT_EQ(values.FilterList[i], u"") << i;

    save(snapshotOf(values, values.StartDirectory));
    EXPECT_EQ(settingsBytes(), kSampleBytes);
}

TEST_F(SettingsTest, emptyListsWriteOnlyTheirHeadersAndTheDirectory)
{
    SavedSettings s;
    s.ListedDirectory = u"C:\\";
    save(s);
    EXPECT_EQ(settingsBytes(),
        "[Init]\r\nTop= 0 \r\nLeft= 0 \r\nWidth= 0 \r\nHeight= 0 \r\n"
        "ReadOnly=  1 \r\nHidden=  0 \r\nSystem=  0 \r\nArchive=  1 \r\n\r\n"
        "[Jump]\r\nC:\\\r\n\r\n[Filter]\r\n");
}

TEST_F(SettingsTest, fractionalGeometryIsWrittenInGeneralFormAndReadRoundedDown)
{
    SavedSettings s;
    s.Top = 1234.5;
    s.Left = 0.75;
    s.ListedDirectory = u"C:\\";
    save(s);
    const std::string bytes = settingsBytes();
    EXPECT_NE(bytes.find("\r\nTop= 1234.5 \r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nLeft= .75 \r\n"), std::string::npos);
    LoadedSettings values = load();
    EXPECT_EQ(values.SavedTop, 1234);
    EXPECT_EQ(values.SavedLeft, 0);
}

TEST_F(SettingsTest, aliasesThatLookLikeSectionTagsSurviveARoundTrip)
{
    drives.makeDir(u"C:\\start");
    SavedSettings s;
    s.ShowHidden = 1;
    s.ListedDirectory = u"C:\\start\\";
    for (const char16_t* alias : {u"aJUx", u"xINy", u"zfi", u"[Jump", u"bIN]", u"after"})
        s.JumpList.append(alias, u"C:\\" + u16(alias) + u"\\");
    s.FilterList[0] = u"*.txt";
    s.FilterList[5] = u"*.lzh";
    save(s);

    LoadedSettings values = load();
    EXPECT_EQ(values.JumpList, s.JumpList);
    EXPECT_EQ(values.StartDirectory, u"C:\\start\\");
    EXPECT_EQ(values.ShowHidden, 1);
    EXPECT_EQ(values.FilterList[0], u"*.txt");
    EXPECT_EQ(values.FilterList[5], u"*.lzh");
}

TEST_F(SettingsTest, jumpEntryThatWouldReadBackAsAHeaderIsLeftOut)
{
    SavedSettings s;
    s.ListedDirectory = u"C:\\";
    s.JumpList.append(u"one", u"C:\\one\\");
    s.JumpList.append(u"[JUNK", u"x]");
    s.JumpList.append(u"[fi", u"lter] ");
    s.JumpList.append(u"two", u"C:\\two\\");
    save(s);
    EXPECT_EQ(settingsBytes(),
        "[Init]\r\nTop= 0 \r\nLeft= 0 \r\nWidth= 0 \r\nHeight= 0 \r\n"
        "ReadOnly=  1 \r\nHidden=  0 \r\nSystem=  0 \r\nArchive=  1 \r\n\r\n"
        "[Jump]\r\nC:\\\r\none,C:\\one\\\r\ntwo,C:\\two\\\r\n\r\n[Filter]\r\n");
}

TEST_F(SettingsTest, entriesThatCannotBeStoredAreLeftOutAndTheRestIsWritten)
{
    SavedSettings s;
    s.ListedDirectory = u"C:\\";
    s.JumpList.append(u"one", u"C:\\one\\");
    s.JumpList.append(u"euro", u"C:\\€\\");   // not in code page 932
    s.JumpList.append(u"broken\r\nline", u"C:\\x\\");
    s.JumpList.append(u"two", u"C:\\two\\");
    s.FilterList[1] = u"ä*.txt";
    s.FilterList[2] = u"*.c\n*.h";
    s.FilterList[4] = u"*.doc";
    save(s);
    EXPECT_EQ(settingsBytes(),
        "[Init]\r\nTop= 0 \r\nLeft= 0 \r\nWidth= 0 \r\nHeight= 0 \r\n"
        "ReadOnly=  1 \r\nHidden=  0 \r\nSystem=  0 \r\nArchive=  1 \r\n\r\n"
        "[Jump]\r\nC:\\\r\none,C:\\one\\\r\ntwo,C:\\two\\\r\n\r\n[Filter]\r\n4 *.doc\r\n");
}

TEST_F(SettingsTest, listedDirectoryThatCannotBeStoredLeadsToProgramDirNextTime)
{
    SavedSettings s;
    s.ListedDirectory = u"C:\\€";
    s.JumpList.append(u"doc", u"C:\\doc\\");
    save(s);
    const std::string bytes = settingsBytes();
    EXPECT_NE(bytes.find("[Jump]\r\n\r\ndoc,C:\\doc\\\r\n\r\n[Filter]\r\n"), std::string::npos);

    LoadedSettings values = load();
    EXPECT_EQ(values.StartDirectory, ProgramDir);
    EXPECT_EQ(entries(values.JumpList), (Entries{{u"doc", u"C:\\doc\\"}}));
}

TEST_F(SettingsTest, readOnlyFileIsLeftByteIdentical)
{
    const std::string old = "[Init]\r\nTop= 1 \r\nold content \x95\x5c\r\n";
    writeSettings(old);
    std::filesystem::permissions(hostFsPath(drives.host(SettingsPath)),
        std::filesystem::perms::owner_write | std::filesystem::perms::group_write
            | std::filesystem::perms::others_write,
        std::filesystem::perm_options::remove);

    save(sampleSnapshot());
    EXPECT_EQ(settingsBytes(), old);
    // Nothing half-written is left beside it either.
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(hostFsPath(drives.host(DataDir)))) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1u);
}

TEST_F(SettingsTest, replacesAnOlderFileCompletely)
{
    writeSettings(std::string(100000, 'z'));
    save(sampleSnapshot());
    EXPECT_EQ(settingsBytes(), kSampleBytes);
}

TEST_F(SettingsTest, missingDataDirIsCreatedBeforeWriting)
{
    std::filesystem::remove_all(drives.host(DataDir));
    auto before = drives.fs().currentDirectory();
    save(sampleSnapshot());
    EXPECT_EQ(settingsBytes(), kSampleBytes);
    EXPECT_EQ(drives.fs().currentDirectory(), before);
}

TEST_F(SettingsTest, savingEntersTheDataDirWhenItExists)
{
    save(sampleSnapshot());
    EXPECT_EQ(drives.fs().currentDirectory(), DataDir);
}

TEST_F(SettingsTest, unwritableLocationWritesNothingAndDoesNotFail)
{
    // A plain file where the program directory should be: SYSDAT cannot be made.
    drives.writeBytes(u"C:\\blocked", "keep");
    const u16 programDir = u"C:\\blocked\\";
    const u16 dataDir = programDir + u"SYSDAT\\";
    auto before = drives.fs().currentDirectory();
    saveFrom(drives.fs(), dataDir, programDir, sampleSnapshot());
    EXPECT_EQ(drives.readBytes(u"C:\\blocked"), "keep");
    EXPECT_EQ(drives.fs().currentDirectory(), before);

    LoadedSettings values;
    loadInto(drives.fs(), dataDir, programDir, values);
    EXPECT_EQ(values.StartDirectory, u"");
}

}
}

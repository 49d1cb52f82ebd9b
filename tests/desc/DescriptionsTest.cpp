#include "tests/desc/DescriptionsFixture.h"

namespace sorvik::test {
namespace {

const Records kCentral{{u"C:\\DOC\\a.txt", u"central a"}, {u"C:\\WORK\\b.txt", u"central b"}};
const char16_t* const kCentralText = u"C:\\DOC\\a.txt,central a\r\nC:\\WORK\\b.txt,central b\r\n";
const char16_t* const kOwnText = u"C:\\OWN\\x.txt,own x\r\n";

TEST_F(DescriptionsTest, firstRunCreatesTheBuiltInRecordsAndWritesThemOnLeaving)
{
    EXPECT_TRUE(enter(u"C:\\WORK\\"));
    EXPECT_EQ(storeRecords(),
        (Records{{u"C:\\TOOLS\\sorvik", u"Sorvik 実行ファイル"}, {u"C:\\TOOLS\\sorvik.txt", u"Sorvik 説明ﾌｧｲﾙ"},
            {u"C:\\TOOLS\\黑黑黑HP.txt", u"SorVIK 使用法説明ファイル"},
            {u"C:\\TOOLS\\SYSDAT\\SorvikDP.txt", u"ファイルの説明データ"},
            {u"C:\\TOOLS\\SYSDAT\\黑黑黑黑.ini", u"SorVIK 初期設定ファイル"}}));
    EXPECT_TRUE(desc.ComentsChanged);
    EXPECT_FALSE(desc.ComentLocal);
    EXPECT_EQ(coment(u"C:\\TOOLS\\SORVIK"), u"Sorvik 実行ファイル");
    EXPECT_FALSE(drives.exists(central()));

    EXPECT_FALSE(enter(u"C:\\OTHER\\"));   // nothing to read: the store stays
    EXPECT_EQ(bytes(central()),
        cp932(u"C:\\TOOLS\\sorvik,Sorvik 実行ファイル\r\n"
              u"C:\\TOOLS\\sorvik.txt,Sorvik 説明ﾌｧｲﾙ\r\n"
              u"C:\\TOOLS\\黑黑黑HP.txt,SorVIK 使用法説明ファイル\r\n"
              u"C:\\TOOLS\\SYSDAT\\SorvikDP.txt,ファイルの説明データ\r\n"
              u"C:\\TOOLS\\SYSDAT\\黑黑黑黑.ini,SorVIK 初期設定ファイル\r\n"));
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(DescriptionsTest, builtInRecordsNameAWindowsExecutableWithItsExtension)
{
    Descriptions windows(drives.fs(), kProgramDir, kDataDir, u"sorvik.exe");
    windows.ComentLocal = true;
    EXPECT_TRUE(windows.LocalComentGet(u"C:\\WORK\\"));
    EXPECT_NE(windows.lookup(u"C:\\TOOLS\\sorvik.exe"), nullptr);
    EXPECT_EQ(*windows.lookup(u"C:\\TOOLS\\sorvik.txt"), u"Sorvik 説明ﾌｧｲﾙ");
}

struct LocalPathCase {
    const char* name;
    bool ownFilePresent;
    const char16_t* dir;
    bool comentLocal;
    const char16_t* expected;
    friend void PrintTo(const LocalPathCase& c, std::ostream* os) { *os << c.name; }
};

class GetLocalPathTest : public DescriptionsTest, public testing::WithParamInterface<LocalPathCase> {};

TEST_P(GetLocalPathTest, choosesTheFileThatApplies)
{
    const LocalPathCase& c = GetParam();
    drives.makeDir(c.dir);
    if (c.ownFilePresent)
        writeText(ownFile(c.dir), u"");
    desc.ComentLocal = c.comentLocal;
    EXPECT_EQ(desc.GetLocalPath(c.dir), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, GetLocalPathTest,
    testing::Values(LocalPathCase{"ownFile", true, u"C:\\OWN\\", false, u"C:\\OWN\\"},
        LocalPathCase{"ownFileComentLocal", true, u"C:\\OWN\\", true, u"C:\\OWN\\"},
        LocalPathCase{"noFileComentLocal", false, u"C:\\OWN\\", true, u"C:\\TOOLS\\SYSDAT\\"},
        LocalPathCase{"noFile", false, u"C:\\OWN\\", false, u""},
        LocalPathCase{"dataDirWithFile", true, u"C:\\TOOLS\\SYSDAT\\", true, u""},
        LocalPathCase{"dataDirOtherCase", true, u"c:\\tools\\sysdat\\", true, u""},
        LocalPathCase{"dataDirNoFileComentLocal", false, u"C:\\TOOLS\\SYSDAT\\", true, u"C:\\TOOLS\\SYSDAT\\"},
        LocalPathCase{"dataDirNoFile", false, u"C:\\TOOLS\\SYSDAT\\", false, u""}),
    [](const testing::TestParamInfo<LocalPathCase>& p) { return p.param.name; });

// The rows of which file is read on entering and which is written on leaving.
// Each test reaches its ComentLocal state the way the program does.

class OwnFileRow : public DescriptionsTest, public testing::WithParamInterface<bool> {};

TEST_P(OwnFileRow, readsAndWritesTheDirectorysOwnFile)
{
    writeText(central(), kCentralText);
    drives.makeDir(u"C:\\OWN\\");
    writeText(ownFile(u"C:\\OWN\\"), kOwnText);
    if (!GetParam()) {
        enter(u"C:\\WORK\\");   // the central file is read: ComentLocal becomes false
        ASSERT_FALSE(desc.ComentLocal);
    }
    EXPECT_TRUE(enter(u"C:\\OWN\\"));
    EXPECT_EQ(storeRecords(), (Records{{u"C:\\OWN\\x.txt", u"own x"}}));
    EXPECT_TRUE(desc.ComentLocal);

    desc.ComentSet(u"C:\\OWN\\y.txt", u"new y");
    enter(u"C:\\WORK\\");
    EXPECT_EQ(
        fileRecords(ownFile(u"C:\\OWN\\")), (Records{{u"C:\\OWN\\x.txt", u"own x"}, {u"C:\\OWN\\y.txt", u"new y"}}));
    EXPECT_EQ(bytes(central()), cp932(kCentralText));
    EXPECT_EQ(storeRecords(), kCentral);   // the central file is read again
}

INSTANTIATE_TEST_SUITE_P(ComentLocal, OwnFileRow, testing::Bool());

TEST_F(DescriptionsTest, directoryWithoutOwnFileReadsAndWritesTheCentralFileWhileComentLocal)
{
    writeText(central(), kCentralText);
    ASSERT_TRUE(desc.ComentLocal);
    EXPECT_TRUE(enter(u"C:\\WORK\\"));
    EXPECT_EQ(storeRecords(), kCentral);
    EXPECT_FALSE(desc.ComentLocal);
    desc.ComentSet(u"C:\\WORK\\c.txt", u"c");
    enter(u"C:\\ELSE\\");
    EXPECT_EQ(bytes(central()), cp932(std::u16string(kCentralText) + u"C:\\WORK\\c.txt,c\r\n"));
}

TEST_F(DescriptionsTest, directoryWithoutOwnFileKeepsTheStoreAndWritesTheCentralFileOtherwise)
{
    writeText(central(), kCentralText);
    enter(u"C:\\WORK\\");
    ASSERT_FALSE(desc.ComentLocal);
    desc.ComentSet(u"C:\\WORK\\b.txt", u"changed b");
    EXPECT_FALSE(enter(u"C:\\ELSE\\"));
    EXPECT_EQ(coment(u"C:\\WORK\\b.txt"), u"changed b");
    desc.ComentSet(u"C:\\ELSE\\e.txt", u"e");
    enter(u"C:\\THIRD\\");
    EXPECT_EQ(fileRecords(central()),
        (Records{{u"C:\\DOC\\a.txt", u"central a"}, {u"C:\\WORK\\b.txt", u"changed b"}, {u"C:\\ELSE\\e.txt", u"e"}}));
}

class DataDirWithFileRow : public DescriptionsTest, public testing::WithParamInterface<bool> {};

TEST_P(DataDirWithFileRow, readsNothingAndWritesTheCentralFile)
{
    writeText(central(), kCentralText);
    if (!GetParam())
        enter(u"C:\\WORK\\");
    const Records before = storeRecords();
    EXPECT_FALSE(enter(kDataDir));
    EXPECT_EQ(storeRecords(), before);
    desc.ComentSet(u"C:\\TOOLS\\SYSDAT\\n.txt", u"n");
    enter(u"C:\\WORK\\");
    // With nothing loaded yet (start-up), the new record joins the file's own.
    EXPECT_EQ(fileRecords(central()),
        (Records{{u"C:\\DOC\\a.txt", u"central a"}, {u"C:\\WORK\\b.txt", u"central b"},
            {u"C:\\TOOLS\\SYSDAT\\n.txt", u"n"}}));
}

INSTANTIATE_TEST_SUITE_P(ComentLocal, DataDirWithFileRow, testing::Bool());

TEST_F(DescriptionsTest, dataDirWithoutFileWhileComentLocalCreatesTheBuiltInRecords)
{
    EXPECT_TRUE(enter(kDataDir));
    EXPECT_EQ(desc.store().count(), 5u);
    enter(u"C:\\WORK\\");
    EXPECT_EQ(fileRecords(central()).size(), 5u);
}

TEST_F(DescriptionsTest, dataDirWithoutFileOtherwiseKeepsTheStoreAndWritesTheCentralFile)
{
    writeText(central(), kCentralText);
    enter(u"C:\\WORK\\");
    ASSERT_FALSE(desc.ComentLocal);
    std::filesystem::remove(drives.host(central()));
    EXPECT_FALSE(enter(kDataDir));
    EXPECT_EQ(storeRecords(), kCentral);
    desc.ComentSet(u"C:\\DOC\\a.txt", u"again");
    enter(u"C:\\WORK\\");
    EXPECT_EQ(fileRecords(central()), (Records{{u"C:\\WORK\\b.txt", u"central b"}, {u"C:\\DOC\\a.txt", u"again"}}));
}

TEST_F(DescriptionsTest, nothingIsWrittenWhileNothingChanged)
{
    // Blanks before a path would vanish from a rewritten file.
    writeText(central(), u"  " + std::u16string(kCentralText) + u"stray\r\n");
    enter(u"C:\\WORK\\");
    enter(kDataDir);
    enter(u"C:\\ELSE\\");
    desc.LocalComentSave(desc.DescriptionDir);
    EXPECT_FALSE(desc.ComentsChanged);
    EXPECT_EQ(bytes(central()), cp932(u"  " + std::u16string(kCentralText) + u"stray\r\n"));
}

TEST_F(DescriptionsTest, afterTheFirstChangeEveryLeaveRewritesTheFileThatApplies)
{
    writeText(central(), kCentralText);
    drives.makeDir(u"C:\\OWN\\");
    // Blanks before a path do not survive a rewrite (a stray line does).
    writeText(ownFile(u"C:\\OWN\\"), u"  " + std::u16string(kOwnText) + u"stray\r\n");
    enter(u"C:\\WORK\\");
    desc.ComentSet(u"C:\\WORK\\b.txt", u"changed");
    enter(u"C:\\OWN\\");
    enter(u"C:\\WORK\\");   // nothing changed in OWN, yet its file is rewritten
    EXPECT_TRUE(desc.ComentsChanged);
    EXPECT_EQ(bytes(ownFile(u"C:\\OWN\\")), cp932(std::u16string(kOwnText) + u"stray\r\n"));
}

TEST_F(DescriptionsTest, anEmptyStoreIsNeverWritten)
{
    writeText(central(), kCentralText);
    drives.makeDir(u"C:\\OWN\\");
    writeText(ownFile(u"C:\\OWN\\"), u"no record here\r\n");
    enter(u"C:\\WORK\\");
    desc.ComentSet(u"C:\\WORK\\b.txt", u"changed");
    EXPECT_TRUE(enter(u"C:\\OWN\\"));
    EXPECT_EQ(desc.store().count(), 0u);
    EXPECT_EQ(coment(u"C:\\OWN\\x.txt"), u"<none>");
    enter(u"C:\\WORK\\");
    EXPECT_EQ(bytes(ownFile(u"C:\\OWN\\")), "no record here\r\n");
}

TEST_F(DescriptionsTest, comentSetReplacesByKeyAndMovesTheRecordToTheEnd)
{
    writeText(central(), u"c:\\doc\\a.txt,old\r\nC:\\DOC\\b.txt,b\r\n");
    enter(u"C:\\WORK\\");
    desc.ComentSet(u"C:\\DOC\\A.TXT", u"new");
    desc.ComentSet(u"C:\\DOC\\empty.txt", u"");
    EXPECT_EQ(coment(u"c:\\Doc\\A.txt"), u"new");
    enter(u"C:\\ELSE\\");
    EXPECT_EQ(bytes(central()), "C:\\DOC\\b.txt,b\r\nC:\\DOC\\A.TXT,new\r\nC:\\DOC\\empty.txt,\r\n");
}

TEST_F(DescriptionsTest, comentMoveCarriesTheDescriptionToTheNewPath)
{
    writeText(central(), u"C:\\DOC\\a.txt,a\r\nC:\\DOC\\b.txt,b\r\nC:\\DOC\\c.txt,c\r\n");
    enter(u"C:\\WORK\\");
    desc.ComentMove(u"c:\\doc\\A.TXT", u"C:\\DOC\\renamed.txt");
    EXPECT_TRUE(desc.ComentsChanged);
    EXPECT_EQ(coment(u"C:\\DOC\\a.txt"), u"<none>");
    // Onto a path that has a record: the moved description wins.
    desc.ComentMove(u"C:\\DOC\\b.txt", u"C:\\DOC\\C.TXT");
    EXPECT_EQ(storeRecords(), (Records{{u"C:\\DOC\\renamed.txt", u"a"}, {u"C:\\DOC\\C.TXT", u"b"}}));
}

TEST_F(DescriptionsTest, comentMoveWithoutARecordChangesNothing)
{
    writeText(central(), kCentralText);
    enter(u"C:\\WORK\\");
    desc.ComentMove(u"C:\\DOC\\none.txt", u"C:\\DOC\\other.txt");
    EXPECT_FALSE(desc.ComentsChanged);
    EXPECT_EQ(storeRecords(), kCentral);
}

TEST_F(DescriptionsTest, lookupIgnoresLetterCase)
{
    writeText(central(), u"C:\\Doc\\ReadMe.txt,read me\r\n");
    enter(u"C:\\DOC\\");
    EXPECT_EQ(coment(u"c:\\doc\\readme.TXT"), u"read me");
    ASSERT_NE(desc.lookupKey(u"C:\\DOC\\README.TXT"), nullptr);
    EXPECT_EQ(desc.lookup(u"C:\\Doc\\other.txt"), nullptr);
}

// A central file far larger than one read of the file system, loaded in
// turn with a small own file: each load holds exactly its own file's records,
// and saving writes exactly those.
TEST_F(DescriptionsTest, largeAndSmallFilesLoadedInTurnHoldOnlyTheirOwnRecords)
{
    u16 centralText;
    for (int i = 0; i < 6000; ++i)
        centralText += fromUtf8("C:\\DOC\\file" + std::to_string(i) + ".txt,") + u"説明 "
            + fromUtf8(std::to_string(i) + "\r\n");
    writeText(central(), centralText);
    ASSERT_GT(bytes(central()).size(), 150000u);
    drives.makeDir(u"C:\\OWN\\");
    writeText(ownFile(u"C:\\OWN\\"), u"C:\\OWN\\x.txt,own x\r\n");

    for (int round = 0; round < 2; ++round) {
        EXPECT_TRUE(enter(u"C:\\WORK\\"));
        EXPECT_EQ(desc.store().count(), 6000u);
        EXPECT_EQ(coment(u"C:\\doc\\FILE5999.TXT"), u"説明 5999");
        EXPECT_TRUE(enter(u"C:\\OWN\\"));
        EXPECT_EQ(storeRecords(), (Records{{u"C:\\OWN\\x.txt", u"own x"}}));
        EXPECT_EQ(coment(u"C:\\DOC\\file1.txt"), u"<none>");
    }
    desc.ComentSet(u"C:\\OWN\\y.txt", u"y");
    enter(u"C:\\WORK\\");
    EXPECT_EQ(fileRecords(ownFile(u"C:\\OWN\\")), (Records{{u"C:\\OWN\\x.txt", u"own x"}, {u"C:\\OWN\\y.txt", u"y"}}));
    desc.ComentSet(u"C:\\DOC\\file0.txt", u"changed");
    enter(u"C:\\ELSE\\");
    const Records written = fileRecords(central());
    ASSERT_EQ(written.size(), 6000u);
    EXPECT_EQ(written.front(), (std::pair<u16, u16>{u"C:\\DOC\\file1.txt", u"説明 1"}));
    EXPECT_EQ(written.back(), (std::pair<u16, u16>{u"C:\\DOC\\file0.txt", u"changed"}));
}

TEST_F(DescriptionsTest, descriptionsSurviveAQuitAndRestart)
{
    drives.makeDir(u"C:\\OWN\\");
    writeText(ownFile(u"C:\\OWN\\"), u"");
    enter(u"C:\\WORK\\");
    desc.ComentSet(u"C:\\WORK\\w.txt", u"ワーク, with comma");
    enter(u"C:\\OWN\\");
    desc.ComentSet(u"C:\\OWN\\o.txt", u"\"quoted\" own");
    enter(u"D:\\");
    desc.ComentSet(u"D:\\d.txt", u"  spaced");
    desc.LocalComentSave(desc.DescriptionDir);   // the close

    Descriptions again(drives.fs(), kProgramDir, kDataDir, u"sorvik");
    again.ComentLocal = true;
    again.LocalComentGet(u"C:\\WORK\\");
    EXPECT_EQ(*again.lookup(u"C:\\WORK\\w.txt"), u"ワーク, with comma");
    EXPECT_EQ(*again.lookup(u"D:\\d.txt"), u"spaced");
    again.LocalComentGet(u"C:\\OWN\\");
    EXPECT_EQ(*again.lookup(u"C:\\OWN\\o.txt"), u"\"quoted\" own");
}

}
}

#include "tests/app/SettingsFixture.h"

#include <string>

namespace sorvik::test {
namespace {

// Shift_JIS bytes of the Japanese texts used below.
const std::string kSjisWork = "\x8e\x64\x8e\x96";       // 仕事
const std::string kSjisDocument = "\x95\xb6\x8f\x91";   // 文書

TEST_F(SettingsTest, missingFileKeepsEveryDefaultAndSkipsTheStartDirectoryCheck)
{
    LoadedSettings values = load();
    EXPECT_FALSE(values.SavedTop || values.SavedLeft || values.SavedWidth || values.SavedHeight);
    EXPECT_EQ(values.ShowReadOnly, 1);
    EXPECT_EQ(values.ShowHidden, 0);
    EXPECT_EQ(values.ShowSystem, 0);
    EXPECT_EQ(values.ShowArchive, 1);
    EXPECT_EQ(values.StartDirectory, u"");
    EXPECT_TRUE(values.JumpList.empty());
    for (const u16& entry : values.FilterList.entries())
        EXPECT_EQ(entry, u"");
}

TEST_F(SettingsTest, unreadableFileKeepsEveryDefault)
{
    drives.makeDir(SettingsPath);   // a directory where the file should be
    LoadedSettings values = load();
    EXPECT_EQ(values.ShowReadOnly, 1);
    EXPECT_EQ(values.StartDirectory, u"");
    EXPECT_TRUE(values.JumpList.empty());
}

TEST_F(SettingsTest, fileWithoutStartDirectoryFallsBackToProgramDir)
{
    LoadedSettings values = loadFrom("");
    EXPECT_EQ(values.StartDirectory, ProgramDir);
    values = loadFrom("[Init]\r\nHidden=  1 \r\n");
    EXPECT_EQ(values.StartDirectory, ProgramDir);
    EXPECT_EQ(values.ShowHidden, 1);
}

TEST_F(SettingsTest, startDirectoryThatNoLongerExistsBecomesProgramDir)
{
    drives.makeDir(u"C:\\kept");
    LoadedSettings values = loadFrom("[Jump]\r\nC:\\kept\\\r\n");
    EXPECT_EQ(values.StartDirectory, u"C:\\kept\\");
    values = loadFrom("[Jump]\r\nC:\\gone\\\r\ndoc,C:\\gone\\\r\n");
    EXPECT_EQ(values.StartDirectory, ProgramDir);
    EXPECT_EQ(entries(values.JumpList), (Entries{{u"doc", u"C:\\gone\\"}}));
}

TEST_F(SettingsTest, probingTheStartDirectoryLeavesTheWorkingDirectory)
{
    drives.makeDir(u"D:\\there");
    ASSERT_TRUE(drives.fs().setCurrentDirectory(DataDir));
    auto before = drives.fs().currentDirectory();
    loadFrom("[Jump]\r\nD:\\there\\\r\n");
    EXPECT_EQ(drives.fs().currentDirectory(), before);
    loadFrom("[Jump]\r\nD:\\not there\\\r\n");
    EXPECT_EQ(drives.fs().currentDirectory(), before);
}

TEST_F(SettingsTest, oldOneLineFormGivesTheDirectoryWithBackslashAndNothingElse)
{
    drives.makeDir(u"C:\\old dir");
    LoadedSettings values = loadFrom("C:\\old dir\r\nTop= 5\r\n1 *.txt\r\n");
    EXPECT_EQ(values.StartDirectory, u"C:\\old dir\\");
    EXPECT_FALSE(values.SavedTop);
    EXPECT_EQ(values.FilterList[1], u"");
    EXPECT_TRUE(values.JumpList.empty());

    values = loadFrom("C:\\old dir");   // no line end at all
    EXPECT_EQ(values.StartDirectory, u"C:\\old dir\\");
}

TEST_F(SettingsTest, oldFormIsOnlyRecognisedOnTheFirstLine)
{
    drives.makeDir(u"C:\\old");
    LoadedSettings values = loadFrom("\r\nC:\\old\r\n");
    EXPECT_EQ(values.StartDirectory, ProgramDir);
}

TEST_F(SettingsTest, headersAreRecognisedInAnyLetterCase)
{
    drives.makeDir(u"C:\\start");
    const char* const variants[][3] = {
        {"[Init]", "[Jump]", "[Filter]"},
        {"[INIT]", "[JUMP]", "[FILTER]"},
        {"[init]", "[jump]", "[filter]"},
        {"[iNIT]  ", "[Jump]\t", "[fILTER] "},   // trailing blanks of a hand-edited file
        {"[Index]", "[Junk]", "[Fix]"},          // the two letters decide, as before
        {"[IN]", "[JU]", "[FI]"},
    };
    for (const auto& v : variants) {
        std::string file = std::string(v[0]) + "\r\nHidden= 1\r\n\r\n" + v[1]
            + "\r\nC:\\start\\\r\ndoc,C:\\doc\\\r\n\r\n" + v[2] + "\r\n4 *.lzh\r\n";
        LoadedSettings values = loadFrom(file);
        EXPECT_EQ(values.ShowHidden, 1) << v[0];
        EXPECT_EQ(values.StartDirectory, u"C:\\start\\") << v[1];
        EXPECT_EQ(entries(values.JumpList), (Entries{{u"doc", u"C:\\doc\\"}})) << v[1];
        EXPECT_EQ(values.FilterList[4], u"*.lzh") << v[2];
    }
}

TEST_F(SettingsTest, onlyWholeBracketedLinesAreHeaders)
{
    drives.makeDir(u"C:\\start");
    // Each of these once switched the section; now they are jump entries.
    LoadedSettings values = loadFrom(
        "[Jump]\r\nC:\\start\\\r\n"
        "aJUx,C:\\x\\\r\n"
        "xINy,C:\\y\\\r\n"
        "zfi,C:\\z\\\r\n"
        "[Jump,C:\\bracket\\\r\n"
        "after,C:\\after\\\r\n"
        "\r\n[Filter]\r\n0 *.txt\r\n");
    EXPECT_EQ(values.StartDirectory, u"C:\\start\\");
    EXPECT_EQ(entries(values.JumpList),
        (Entries{{u"aJUx", u"C:\\x\\"}, {u"xINy", u"C:\\y\\"}, {u"zfi", u"C:\\z\\"}, {u"[Jump", u"C:\\bracket\\"},
            {u"after", u"C:\\after\\"}}));
    EXPECT_EQ(values.FilterList[0], u"*.txt");
}

TEST_F(SettingsTest, linesBeforeTheFirstHeaderAreIgnored)
{
    LoadedSettings values = loadFrom("Top= 100\r\ndoc,C:\\doc\\\r\n[Init]\r\nLeft= 7\r\n");
    EXPECT_FALSE(values.SavedTop);
    EXPECT_EQ(values.SavedLeft, 7);
    EXPECT_TRUE(values.JumpList.empty());
}

TEST_F(SettingsTest, initKeysComeInAnyOrderAndCase)
{
    LoadedSettings values = loadFrom(
        "[Init]\r\nwidth=9000\r\nARCHIVE= 0\r\nheight= 6000 \r\nsystem=1\r\nLEFT=-30\r\ntop= 45 \r\n"
        "readonly=0\r\nhidden=1\r\n");
    EXPECT_EQ(values.SavedWidth, 9000);
    EXPECT_EQ(values.SavedHeight, 6000);
    EXPECT_EQ(values.SavedLeft, -30);
    EXPECT_EQ(values.SavedTop, 45);
    EXPECT_EQ(values.ShowReadOnly, 0);
    EXPECT_EQ(values.ShowHidden, 1);
    EXPECT_EQ(values.ShowSystem, 1);
    EXPECT_EQ(values.ShowArchive, 0);
}

TEST_F(SettingsTest, laterInitLinesOverrideEarlierOnesAndNonNumbersChangeNothing)
{
    LoadedSettings values = loadFrom("[Init]\r\nTop= 10\r\nTop= 20\r\nLeft= 5\r\nLeft= five\r\nHidden=\r\n");
    EXPECT_EQ(values.SavedTop, 20);
    EXPECT_EQ(values.SavedLeft, 5);
    EXPECT_EQ(values.ShowHidden, 0);
}

TEST_F(SettingsTest, firstOfTwoAliasesThatDifferOnlyInCaseWins)
{
    LoadedSettings values = loadFrom("[Jump]\r\nC:\\\r\nDoc,C:\\first\\\r\nDOC,C:\\second\\\r\ndoc,C:\\third\\\r\n");
    EXPECT_EQ(entries(values.JumpList), (Entries{{u"Doc", u"C:\\first\\"}}));
}

TEST_F(SettingsTest, aliasKeepsItsBlanksAndPathLosesItsSurroundingBlanks)
{
    LoadedSettings values = loadFrom("[Jump]\r\nC:\\\r\n doc ,  C:\\my doc\\  \r\n");
    EXPECT_EQ(entries(values.JumpList), (Entries{{u" doc ", u"C:\\my doc\\"}}));
}

TEST_F(SettingsTest, jumpLineIsSplitAtItsFirstComma)
{
    LoadedSettings values = loadFrom("[Jump]\r\nC:\\\r\na,b,C:\\x\\\r\n,C:\\noalias\\\r\n");
    EXPECT_EQ(entries(values.JumpList), (Entries{{u"a", u"b,C:\\x\\"}, {u"", u"C:\\noalias\\"}}));
}

TEST_F(SettingsTest, jumpLinesWithoutACommaAreIgnored)
{
    LoadedSettings values = loadFrom("[Jump]\r\nC:\\\r\nno comma here\r\n\r\n   \r\nok,C:\\ok\\\r\n");
    EXPECT_EQ(entries(values.JumpList), (Entries{{u"ok", u"C:\\ok\\"}}));
}

TEST_F(SettingsTest, japaneseTextIsReadFromShiftJis)
{
    drives.makeDir(u"C:\\仕事");
    LoadedSettings values = loadFrom("[Jump]\r\nC:\\" + kSjisWork + "\\\r\n" + kSjisDocument + ",C:\\" + kSjisDocument
        + "\\\r\n[Filter]\r\n2 " + kSjisWork + "*.txt\r\n");
    EXPECT_EQ(values.StartDirectory, u"C:\\仕事\\");
    EXPECT_EQ(entries(values.JumpList), (Entries{{u"文書", u"C:\\文書\\"}}));
    EXPECT_EQ(values.FilterList[2], u"仕事*.txt");
}

TEST_F(SettingsTest, filterEntryIsTheTextFromTheThirdCharacter)
{
    struct Case {
        const char* line;
        std::size_t index;
        const char16_t* entry;
    };
    const Case cases[] = {
        {"3 123abc", 3, u"123abc"},
        {"9 *.txt;*.doc ", 9, u"*.txt;*.doc "},
        {"5x*.lzh", 5, u"*.lzh"},
        {"x *.bak", 0, u"*.bak"},   // no digit: entry 0
        {"7", 7, u""},
        {"8 ", 8, u""},
    };
    for (const Case& c : cases) {
        std::string file = "[Filter]\r\n";
        for (int i = 0; i < 10; ++i)
            file += std::to_string(i) + " old\r\n";
        file += c.line + std::string("\r\n");
        LoadedSettings values = loadFrom(file);
        for (std::size_t i = 0; i < 10; ++i) {
            if (i == c.index)
                EXPECT_EQ(values.FilterList[i], c.entry) << c.line;
            else
                EXPECT_EQ(values.FilterList[i], u"old") << c.line << " entry " << i;
        }
    }
}

TEST_F(SettingsTest, displayKindsOutside16BitsAreNotRead)
{
    LoadedSettings values
        = loadFrom("[Init]\r\nReadOnly= 32768\r\nHidden= -32769\r\nSystem= 32767\r\nArchive= 99999999999999999999\r\n");
    EXPECT_EQ(values.ShowReadOnly, 1);
    EXPECT_EQ(values.ShowHidden, 0);
    EXPECT_EQ(values.ShowSystem, 32767);
    EXPECT_EQ(values.ShowArchive, 1);

    values = loadFrom("[Init]\r\nReadOnly= -32768\r\nHidden= 2\r\n");
    EXPECT_EQ(values.ShowReadOnly, -32768);
    EXPECT_EQ(values.ShowHidden, 2);
}

TEST_F(SettingsTest, geometryIsKeptAsReadUnlessItIsNoSensibleNumber)
{
    LoadedSettings values = loadFrom("[Init]\r\nTop=-5000\r\nLeft= 1000000000\r\nWidth= 1e10\r\nHeight= 1e400\r\n");
    EXPECT_EQ(values.SavedTop, -5000);
    EXPECT_EQ(values.SavedLeft, 1e9);
    EXPECT_FALSE(values.SavedWidth);
    EXPECT_FALSE(values.SavedHeight);

    values = loadFrom("[Init]\r\nTop= nan\r\nLeft= -inf\r\nWidth= -1000000001\r\nHeight= 1234.9\r\n");
    EXPECT_FALSE(values.SavedTop);
    EXPECT_FALSE(values.SavedLeft);
    EXPECT_FALSE(values.SavedWidth);
    EXPECT_EQ(values.SavedHeight, 1234);
}

TEST_F(SettingsTest, veryLongLinesAreReadWithoutHarmToTheOthers)
{
    drives.makeDir(u"C:\\start");
    const std::string huge(1 << 20, 'x');
    LoadedSettings values = loadFrom(
        "[Init]\r\nTop= 100\r\n" + huge + "\r\nTop=" + std::string(1 << 20, '9') + "\r\nHidden= 1\r\n"
        "[Jump]\r\nC:\\start\\\r\n" + huge + "\r\n" + huge + ",C:\\long\\\r\nshort,C:\\short\\\r\n"
        "[Filter]\r\n5 " + huge + "\r\n6 *.txt\r\n");
    EXPECT_EQ(values.SavedTop, 100);
    EXPECT_EQ(values.ShowHidden, 1);
    EXPECT_EQ(values.StartDirectory, u"C:\\start\\");
    ASSERT_EQ(values.JumpList.count(), 2u);
    EXPECT_EQ(values.JumpList.at(0).Alias.size(), huge.size());
    EXPECT_EQ(values.JumpList.at(1).Alias, u"short");
    EXPECT_EQ(values.FilterList[5].size(), huge.size());
    EXPECT_EQ(values.FilterList[6], u"*.txt");
}

TEST_F(SettingsTest, invalidShiftJisBytesSpoilOnlyTheirOwnLine)
{
    drives.makeDir(u"C:\\start");
    LoadedSettings values = loadFrom(
        "[Init]\r\nHidden= 1\xff\r\nSystem= 1\r\n"
        "[Jump]\r\nC:\\start\\\r\n"
        "bad\x81,C:\\bad\\\r\n"
        "lead,C:\\x\\\x81\r\n"   // a lead byte right before the line end
        "next,C:\\next\\\r\n"
        "\xa0\x80,C:\\odd\\\r\n"
        "[Filter]\r\n1 \x82\r\n2 *.txt\r\n");
    EXPECT_EQ(values.ShowHidden, 0);
    EXPECT_EQ(values.ShowSystem, 1);
    EXPECT_EQ(values.StartDirectory, u"C:\\start\\");
    ASSERT_EQ(values.JumpList.count(), 4u);
    EXPECT_EQ(values.JumpList.at(0).Alias.substr(0, 3), u"bad");
    EXPECT_EQ(values.JumpList.at(1).Alias, u"lead");
    EXPECT_EQ(values.JumpList.at(1).fPath.substr(0, 5), u"C:\\x\\");
    EXPECT_EQ(values.JumpList.at(2).Alias, u"next");
    EXPECT_EQ(values.JumpList.at(2).fPath, u"C:\\next\\");
    EXPECT_EQ(values.JumpList.at(3).fPath, u"C:\\odd\\");
    EXPECT_NE(values.FilterList[1], u"");
    EXPECT_EQ(values.FilterList[2], u"*.txt");
}

TEST_F(SettingsTest, loneLineFeedsAndAMissingLastLineEndAreRead)
{
    drives.makeDir(u"C:\\start");
    LoadedSettings values = loadFrom("[Init]\nTop= 3\n[Jump]\nC:\\start\\\ndoc,C:\\doc\\\n[Filter]\n1 *.c");
    EXPECT_EQ(values.SavedTop, 3);
    EXPECT_EQ(values.StartDirectory, u"C:\\start\\");
    EXPECT_EQ(entries(values.JumpList), (Entries{{u"doc", u"C:\\doc\\"}}));
    EXPECT_EQ(values.FilterList[1], u"*.c");
}

}
}

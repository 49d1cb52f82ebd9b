#include "app/HelpText.h"
#include "tests/support/TempDrive.h"

#include <gtest/gtest.h>

namespace sorvik::test {
namespace {

class HelpTextTest : public testing::Test {
protected:
    HelpTextTest() { drives.makeDir(u"C:\\prog\\SYSDAT"); }

    std::optional<u16> load() { return LoadHelpText(drives.fs(), u"C:\\prog\\", u"C:\\prog\\SYSDAT\\"); }

    TempDrives drives;
};

TEST_F(HelpTextTest, missingFileGivesNothingAndTheMessageNamesTheBareFile)
{
    EXPECT_EQ(load(), std::nullopt);
    EXPECT_EQ(missingHelpMessage(), u"黑黑黑HP.txt が有りません");
}

TEST_F(HelpTextTest, emptyFileGivesAnEmptyText)
{
    drives.writeBytes(u"C:\\prog\\黑黑黑HP.txt", "");
    EXPECT_EQ(load(), u16());
}

TEST_F(HelpTextTest, everyLineEndsInCrLfTheLastOneToo)
{
    drives.writeBytes(u"C:\\prog\\黑黑黑HP.txt", "one\r\ntwo\r\n\r\nlast");
    EXPECT_EQ(load(), u"one\r\ntwo\r\n\r\nlast\r\n");
    drives.writeBytes(u"C:\\prog\\黑黑黑HP.txt", "one\r\nlast\r\n");
    EXPECT_EQ(load(), u"one\r\nlast\r\n") << "no line is added after a final CR LF";
}

TEST_F(HelpTextTest, lineEndsOtherThanCrLfAreShownAsCrLf)
{
    drives.writeBytes(u"C:\\prog\\黑黑黑HP.txt", "a\nb\rc");
    EXPECT_EQ(load(), u"a\r\nb\r\nc\r\n");
}

TEST_F(HelpTextTest, textIsReadAsShiftJis)
{
    // 表 ends in 0x5C, the byte of "\".
    drives.writeBytes(u"C:\\prog\\黑黑黑HP.txt", "\x8e\x67\x97\x70\x96\x40 \x95\x5c\r\n");
    EXPECT_EQ(load(), u"使用法 表\r\n");
}

TEST_F(HelpTextTest, fileBesideTheProgramComesFirstThenTheDataDirectory)
{
    drives.writeBytes(u"C:\\prog\\SYSDAT\\黑黑黑HP.txt", "migrated");
    EXPECT_EQ(load(), u"migrated\r\n");
    drives.writeBytes(u"C:\\prog\\黑黑黑HP.txt", "shipped");
    EXPECT_EQ(load(), u"shipped\r\n");
}

}
}

#include "platform/DirectoryNames.h"
#include "tests/support/TempDrive.h"

#include <gtest/gtest.h>

namespace sorvik::platform {
namespace {

TEST(DirectoryNames, aNameFindsItselfFirstThenOneThatDiffersOnlyInLetterCase)
{
    DirectoryNames names;
    names.add(u"README.TXT");
    names.add(u"Readme.txt");
    names.add(u"notes.txt");
    EXPECT_EQ(names.find(u"notes.txt"), u16(u"notes.txt"));
    EXPECT_EQ(names.find(u"Readme.txt"), u16(u"Readme.txt")) << "the exact spelling wins";
    EXPECT_EQ(names.find(u"readme.txt"), u16(u"README.TXT")) << "the first in code unit order";
    EXPECT_EQ(names.find(u"NOTES.TXT"), u16(u"notes.txt"));
    EXPECT_EQ(names.find(u"other.txt"), std::nullopt);
    EXPECT_EQ(names.matches(u"README.txt"), (std::vector<u16>{u"README.TXT", u"Readme.txt"}));
    EXPECT_TRUE(names.matches(u"other").empty());
}

TEST(DirectoryNames, lettersBeyondAsciiFoldAsTheDescriptionKeysDo)
{
    DirectoryNames names;
    names.add(u"ÄRGER.txt");
    names.add(u"ｄｏｃ.txt");   // full-width letters
    EXPECT_EQ(names.find(u"ärger.TXT"), u16(u"ÄRGER.txt"));
    EXPECT_EQ(names.find(u"ＤＯＣ.txt"), u16(u"ｄｏｃ.txt"));
    EXPECT_EQ(names.find(u"仕事.txt"), std::nullopt);
}

TEST(DirectoryNames, readFromADirectoryAndFindThePathAsSpeltOnTheDisk)
{
    test::TempDrives drives;
    drives.makeDir(u"C:\\dir");
    drives.writeBytes(u"C:\\dir\\Photo.JPG", "p");
    auto names = DirectoryNames::read(drives.fs(), u"C:\\dir\\");
    ASSERT_TRUE(names);
    EXPECT_EQ(names->find(u"photo.jpg"), u16(u"Photo.JPG"));

    EXPECT_EQ(existingPathIgnoringCase(drives.fs(), u"C:\\dir\\PHOTO.jpg"), u16(u"C:\\dir\\Photo.JPG"));
    EXPECT_EQ(existingPathIgnoringCase(drives.fs(), u"C:\\dir\\Photo.JPG"), u16(u"C:\\dir\\Photo.JPG"));
    EXPECT_EQ(existingPathIgnoringCase(drives.fs(), u"C:\\dir\\other.jpg"), std::nullopt);
    EXPECT_FALSE(DirectoryNames::read(drives.fs(), u"C:\\missing\\"));
    EXPECT_EQ(existingPathIgnoringCase(drives.fs(), u"C:\\missing\\a.txt"), std::nullopt);
}

}
}

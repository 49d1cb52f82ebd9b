#include "tests/desc/DescriptionsFixture.h"

// A description file that is a symbolic link, planted by someone else in a
// directory the user visits. Links are made with POSIX calls here.
#ifndef _WIN32
#include <unistd.h>

namespace sorvik::test {
namespace {

namespace fs = std::filesystem;

class LinkedDescriptionFile : public DescriptionsTest {
protected:
    // The user's own notes, with lines the description reader would drop.
    const std::string notes = "買い物メモ\r\n\r\nC:\\x.txt,not a record of ours\r\nlast line without end";

    void SetUp() override
    {
        drives.writeBytes(u"C:\\notes.txt", notes);
        drives.makeDir(u"D:\\shared");
        drives.writeBytes(u"D:\\shared\\a.txt", "a");
        ASSERT_EQ(
            ::symlink(drives.host(u"C:\\notes.txt").c_str(), drives.host(u"D:\\shared\\SorvikDP.txt").c_str()), 0);
        // Any description changed earlier in the run makes every later
        // directory change save.
        drives.makeDir(u"C:\\WORK");
        enter(u"C:\\WORK\\");
        desc.ComentSet(u"C:\\WORK\\w.txt", u"仕事");
    }
    bool stillALink() { return fs::is_symlink(drives.host(u"D:\\shared\\SorvikDP.txt")); }
};

TEST_F(LinkedDescriptionFile, passingThroughLeavesTheLinkedFileAsItWasAndSaysNothing)
{
    enter(u"D:\\shared\\");
    enter(u"C:\\WORK\\");
    EXPECT_EQ(bytes(u"C:\\notes.txt"), notes);
    EXPECT_TRUE(stillALink());
    EXPECT_TRUE(ui.messages().empty());
    // The change made before went to the central file all the same.
    EXPECT_EQ(fileRecords(central()).back(), (std::pair<u16, u16>{u"C:\\WORK\\w.txt", u"仕事"}));
}

TEST_F(LinkedDescriptionFile, aDescriptionWrittenThereIsRefusedWithTheFileAndTheReason)
{
    enter(u"D:\\shared\\");
    desc.ComentSet(u"D:\\shared\\a.txt", u"共有");
    enter(u"C:\\WORK\\");
    EXPECT_EQ(bytes(u"C:\\notes.txt"), notes);
    EXPECT_TRUE(stillALink());
    EXPECT_EQ(
        ui.messages(), std::vector<u16>{u"D:\\shared\\SorvikDP.txtに説明を書き込めません\r\nシンボリックリンクです"});
    EXPECT_TRUE(drives.tempFilesIn(u"C:\\").empty());
    EXPECT_TRUE(drives.tempFilesIn(u"D:\\shared\\").empty());
}

}
}
#endif

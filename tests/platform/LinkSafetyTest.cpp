#include "tests/platform/CopyFixture.h"

#include <sys/stat.h>
#include <unistd.h>

// Links are POSIX here: creating one on Windows needs a privilege Wine does
// not give, and the Win32 layer refuses reparse points by their attribute.
#ifndef _WIN32
namespace sorvik::platform {
namespace {

using test::kindOf;

class LinkSafetyTest : public test::CopyFixture {
protected:
    // Someone else's directory holding a link to a file of the user's.
    void plantLink(const std::u16string& link, const std::u16string& target)
    {
        ASSERT_EQ(::symlink(host(target).c_str(), host(link).c_str()), 0);
    }
    bool isLink(const std::u16string& path) const { return S_ISLNK(statOf(path, false).st_mode); }
};

const std::string kNotes = "my notes\r\nno comma on this line\r\nlast,line\r\n";

TEST_F(LinkSafetyTest, ADataFileIsNeverWrittenThroughALink)
{
    drives.writeBytes(u"C:\\notes.txt", kNotes);
    drives.makeDir(u"D:\\shared");
    plantLink(u"D:\\shared\\SorvikDP.txt", u"C:\\notes.txt");

    EXPECT_EQ(kindOf(fs.writeFileAtomic(u"D:\\shared\\SorvikDP.txt", "D:\\shared\\a.txt,x\r\n")), ErrorKind::Link);
    EXPECT_EQ(writeTextFile(fs, u"D:\\shared\\SorvikDP.txt", {u"D:\\shared\\a.txt,x"}), WriteResult::Failed);
    EXPECT_EQ(drives.readBytes(u"C:\\notes.txt"), kNotes);
    EXPECT_TRUE(isLink(u"D:\\shared\\SorvikDP.txt"));
    EXPECT_TRUE(drives.tempFilesIn(u"D:\\shared\\").empty());
    EXPECT_TRUE(drives.tempFilesIn(u"C:\\").empty());
    // It still reads, as any file the user may read.
    EXPECT_EQ(*fs.readFile(u"D:\\shared\\SorvikDP.txt"), kNotes);
}

TEST_F(LinkSafetyTest, ADanglingLinkIsNotReplacedEither)
{
    plantLink(u"D:\\SorvikDP.txt", u"C:\\not-yet.txt");
    EXPECT_EQ(kindOf(fs.writeFileAtomic(u"D:\\SorvikDP.txt", "x")), ErrorKind::Link);
    EXPECT_FALSE(drives.exists(u"C:\\not-yet.txt"));
    EXPECT_TRUE(isLink(u"D:\\SorvikDP.txt"));
}

// A copy the user agreed to overwrite replaces the name in the destination
// directory, never the file a planted link leads to.
TEST_F(LinkSafetyTest, ACopyOntoALinkReplacesTheLinkNotItsTarget)
{
    drives.writeBytes(u"C:\\notes.txt", kNotes);
    drives.writeBytes(u"C:\\report.txt", "the report");
    setTimes(u"C:\\report.txt", 2000000000, 0);   // newer: the overwrite rule lets it through
    drives.makeDir(u"D:\\shared");
    plantLink(u"D:\\shared\\report.txt", u"C:\\notes.txt");

    ASSERT_TRUE(fs.copyFile(u"C:\\report.txt", u"D:\\shared\\report.txt", Replace::Existing));
    EXPECT_EQ(drives.readBytes(u"C:\\notes.txt"), kNotes);
    EXPECT_FALSE(isLink(u"D:\\shared\\report.txt"));
    EXPECT_EQ(drives.readBytes(u"D:\\shared\\report.txt"), "the report");
    EXPECT_TRUE(drives.tempFilesIn(u"D:\\shared\\").empty());
}

TEST_F(LinkSafetyTest, AMoveAcrossDrivesOntoALinkReplacesTheLinkNotItsTarget)
{
    if (statOf(u"C:\\").st_dev == statOf(u"D:\\").st_dev)
        GTEST_SKIP() << "both temporary drives lie on one file system, so a move is a rename";
    drives.writeBytes(u"D:\\notes.txt", kNotes);
    drives.writeBytes(u"C:\\report.txt", "the report");
    plantLink(u"D:\\report.txt", u"D:\\notes.txt");
    ASSERT_TRUE(fs.moveFile(u"C:\\report.txt", u"D:\\report.txt", Replace::Existing));
    EXPECT_EQ(drives.readBytes(u"D:\\notes.txt"), kNotes);
    EXPECT_EQ(drives.readBytes(u"D:\\report.txt"), "the report");
}

// Only where permissions count: root writes anywhere.
TEST_F(LinkSafetyTest, NothingIsWrittenIntoADirectoryTheUserCannotWrite)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root is not held back by permissions";
    drives.makeDir(u"D:\\locked");
    drives.writeBytes(u"D:\\locked\\SorvikDP.txt", "D:\\locked\\a.txt,old\r\n");
    ASSERT_EQ(::chmod(host(u"D:\\locked").c_str(), 0555), 0);
    EXPECT_EQ(kindOf(fs.writeFileAtomic(u"D:\\locked\\SorvikDP.txt", "new")), ErrorKind::AccessDenied);
    ::chmod(host(u"D:\\locked").c_str(), 0755);
    EXPECT_EQ(drives.readBytes(u"D:\\locked\\SorvikDP.txt"), "D:\\locked\\a.txt,old\r\n");
    EXPECT_TRUE(drives.tempFilesIn(u"D:\\locked\\").empty());
}

}
}
#endif

// A description file is read only up to the file reader's limit, so the
// program writes none larger: what it saves it reads at the next start. A
// file it cannot read is named, never passed over for the central file
// without a word. The limit is made small here; the program's own is the
// reader's.

#include "tests/desc/DescriptionsFixture.h"

#include <cerrno>

namespace sorvik::test {
namespace {

const char16_t* const kCentralText = u"C:\\DOC\\a.txt,central a\r\nC:\\WORK\\b.txt,central b\r\n";
const Records kCentral{{u"C:\\DOC\\a.txt", u"central a"}, {u"C:\\WORK\\b.txt", u"central b"}};

class FileSizeLimit : public DescriptionsTest {
protected:
    static constexpr std::size_t kLimit = 200;
    FileSizeLimit()
    {
        desc.setFileSizeLimit(kLimit);
        writeText(central(), kCentralText);
        drives.makeDir(u"C:\\OWN\\");
    }
    // A fresh start of the program with the same limit.
    Records recordsAtNextStart(u16view dir)
    {
        Descriptions next(drives.fs(), kProgramDir, kDataDir, u"sorvik");
        next.setFileSizeLimit(kLimit);
        next.ComentLocal = true;
        next.LocalComentGet(dir);
        return recordsOf(next.store());
    }
    static u16 tooLarge(u16view file, const char16_t* what) { return u16(file) + what + u"\r\nファイルが大きすぎます"; }
};

TEST_F(FileSizeLimit, isTheFileReadersLimitInTheProgram)
{
    Descriptions program(drives.fs(), kProgramDir, kDataDir, u"sorvik");
    EXPECT_EQ(program.fileSizeLimit(), platform::FileSystem::kMaxReadBytes);
}

TEST_F(FileSizeLimit, aFileOfExactlyTheLimitIsWrittenAndReadAgainOneByteMoreIsNot)
{
    const std::string head = cp932(kCentralText) + "C:\\WORK\\c.txt,";
    const std::size_t fits = kLimit - head.size() - 2;
    enter(u"C:\\WORK\\");
    desc.ComentSet(u"C:\\WORK\\c.txt", u16(fits + 1, u'x'));
    enter(u"C:\\ELSE\\");
    EXPECT_EQ(ui.messages(), std::vector<u16>{tooLarge(central(), u"に説明を書き込めません")});
    EXPECT_EQ(bytes(central()), cp932(kCentralText));
    EXPECT_EQ(desc.unsavedFiles(), 1u);
    EXPECT_EQ(recordsAtNextStart(u"C:\\WORK\\"), kCentral);

    desc.ComentSet(u"C:\\WORK\\c.txt", u16(fits, u'x'));
    enter(u"C:\\WORK\\");
    EXPECT_EQ(desc.unsavedFiles(), 0u);
    EXPECT_EQ(bytes(central()).size(), kLimit);
    Records saved = kCentral;
    saved.emplace_back(u"C:\\WORK\\c.txt", u16(fits, u'x'));
    EXPECT_EQ(recordsAtNextStart(u"C:\\WORK\\"), saved);
    EXPECT_EQ(ui.messages().size(), 1u);
}

// Merged with what another instance saved meanwhile, the file would grow
// past the limit: it is not written either.
TEST_F(FileSizeLimit, aMergedFileOverTheLimitIsNotWritten)
{
    platform::FileSystem otherFs(drives.fs().drives());
    Descriptions other(otherFs, kProgramDir, kDataDir, u"sorvik");
    other.setFileSizeLimit(kLimit);
    other.ComentLocal = true;
    enter(u"C:\\WORK\\");
    other.LocalComentGet(u"C:\\WORK\\");
    other.ComentSet(u"C:\\WORK\\d.txt", u16(70, u'd'));
    other.LocalComentSave(u"C:\\WORK\\");
    const std::string theirs = bytes(central());
    desc.ComentSet(u"C:\\WORK\\c.txt", u16(70, u'c'));
    enter(u"C:\\ELSE\\");
    EXPECT_EQ(ui.messages(), std::vector<u16>{tooLarge(central(), u"に説明を書き込めません")});
    EXPECT_EQ(bytes(central()), theirs);
}

TEST_F(FileSizeLimit, aDirectorysOwnFileTooLargeToReadIsNamedAndNeverWritten)
{
    std::string own;
    while (own.size() <= kLimit)
        own += "C:\\OWN\\x" + std::to_string(own.size()) + ".txt,own\r\n";
    drives.writeBytes(ownFile(u"C:\\OWN\\"), own);
    enter(u"C:\\WORK\\");
    EXPECT_TRUE(ui.messages().empty());

    enter(u"C:\\OWN\\");
    EXPECT_EQ(ui.messages(), std::vector<u16>{tooLarge(ownFile(u"C:\\OWN\\"), u"から説明を読み込めません")});
    // The directory goes on as one without a file of its own.
    EXPECT_EQ(coment(u"C:\\DOC\\a.txt"), u"central a");
    EXPECT_EQ(coment(u"C:\\OWN\\x0.txt"), u"<none>");
    desc.ComentSet(u"C:\\OWN\\y.txt", u"y");
    enter(u"C:\\WORK\\");
    EXPECT_EQ(bytes(ownFile(u"C:\\OWN\\")), own);
    Records withY = kCentral;
    withY.emplace_back(u"C:\\OWN\\y.txt", u"y");
    EXPECT_EQ(fileRecords(central()), withY);

    // Told once; again only after the file was read in between.
    enter(u"C:\\OWN\\");
    enter(u"C:\\WORK\\");
    EXPECT_EQ(ui.messages().size(), 1u);
    desc.setFileSizeLimit(own.size());
    enter(u"C:\\OWN\\");
    EXPECT_EQ(coment(u"C:\\OWN\\x0.txt"), u"own");
    enter(u"C:\\WORK\\");
    EXPECT_EQ(ui.messages().size(), 1u);
    const std::string larger = own + "C:\\OWN\\z.txt,grown\r\n";
    drives.writeBytes(ownFile(u"C:\\OWN\\"), larger);
    enter(u"C:\\OWN\\");
    EXPECT_EQ(ui.messages().size(), 2u);
    enter(u"C:\\WORK\\");
    EXPECT_EQ(bytes(ownFile(u"C:\\OWN\\")), larger);
}

// Any other failure to read a file that is there is named the same way.
TEST_F(FileSizeLimit, aDirectorysOwnFileThatFailsToReadIsNamedWithTheReason)
{
    writeText(ownFile(u"C:\\OWN\\"), u"C:\\OWN\\x.txt,own x\r\n");
    enter(u"C:\\WORK\\");
    platform::FaultPlan plan;
    plan.failAlways(platform::FsCall::Read, EIO, "OWN");
    drives.fs().setFaults(&plan);
    enter(u"C:\\OWN\\");
    drives.fs().setFaults(nullptr);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0],
        ownFile(u"C:\\OWN\\") + u"から説明を読み込めません\r\n" + platform::reasonText(platform::errorFromErrno(EIO)));
    EXPECT_EQ(coment(u"C:\\DOC\\a.txt"), u"central a");
    desc.ComentSet(u"C:\\OWN\\y.txt", u"y");
    enter(u"C:\\WORK\\");
    EXPECT_EQ(bytes(ownFile(u"C:\\OWN\\")), "C:\\OWN\\x.txt,own x\r\n");
}

TEST_F(FileSizeLimit, aCentralFileTooLargeToReadIsNamedAndNeverReplaced)
{
    std::string large = cp932(kCentralText);
    while (large.size() <= kLimit)
        large += "C:\\DOC\\n" + std::to_string(large.size()) + ".txt,central\r\n";
    drives.writeBytes(central(), large);
    enter(u"C:\\WORK\\");
    EXPECT_EQ(ui.messages(), std::vector<u16>{tooLarge(central(), u"から説明を読み込めません")});
    desc.ComentSet(u"C:\\WORK\\c.txt", u"c");
    enter(u"C:\\ELSE\\");
    EXPECT_EQ(ui.messages(),
        (std::vector<u16>{
            tooLarge(central(), u"から説明を読み込めません"), tooLarge(central(), u"に説明を書き込めません")}));
    EXPECT_EQ(bytes(central()), large);
}

}
}

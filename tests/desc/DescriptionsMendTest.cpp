#include "tests/desc/DescriptionsFixture.h"

#include <filesystem>

namespace sorvik::test {
namespace {

namespace fs = std::filesystem;

const char16_t* const kCentralText = u"C:\\DOC\\a.txt,central a\r\nC:\\WORK\\b.txt,central b\r\n";
const char16_t* const kOwnText = u"C:\\OWN\\x.txt,own x\r\n";

class DescriptionsMend : public DescriptionsTest {
protected:
    DescriptionsMend()
    {
        writeText(central(), kCentralText);
        drives.makeDir(u"C:\\OWN\\");
        writeText(ownFile(u"C:\\OWN\\"), kOwnText);
    }
    std::vector<std::string> filesIn(u16view dir)
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(drives.host(u16(dir))))
            names.push_back(entry.path().filename().string());
        return names;
    }
};

TEST_F(DescriptionsMend, enteringDataDirWithAnotherDirectorysRecordsLeavesTheCentralFileIntact)
{
    enter(u"C:\\OWN\\");
    desc.ComentSet(u"C:\\OWN\\y.txt", u"y");
    EXPECT_FALSE(enter(kDataDir));   // nothing is read there: the own records stay
    desc.ComentSet(u"C:\\OWN\\z.txt", u"z");
    enter(u"C:\\WORK\\");
    EXPECT_EQ(bytes(central()), cp932(kCentralText));
    EXPECT_EQ(fileRecords(ownFile(u"C:\\OWN\\")),
        (Records{{u"C:\\OWN\\x.txt", u"own x"}, {u"C:\\OWN\\y.txt", u"y"}, {u"C:\\OWN\\z.txt", u"z"}}));
    EXPECT_EQ(coment(u"C:\\DOC\\a.txt"), u"central a");
}

TEST_F(DescriptionsMend, aVanishedOwnFileIsNotRecreatedAndItsRecordsJoinTheCentralFile)
{
    enter(u"C:\\OWN\\");
    desc.ComentSet(u"C:\\OWN\\y.txt", u"y");
    fs::remove(drives.host(ownFile(u"C:\\OWN\\")));
    enter(u"C:\\WORK\\");
    EXPECT_FALSE(drives.exists(ownFile(u"C:\\OWN\\")));
    const Records expected{{u"C:\\DOC\\a.txt", u"central a"}, {u"C:\\WORK\\b.txt", u"central b"},
        {u"C:\\OWN\\x.txt", u"own x"}, {u"C:\\OWN\\y.txt", u"y"}};
    EXPECT_EQ(fileRecords(central()), expected);
    EXPECT_EQ(storeRecords(), expected);   // and the central file is what is shown next
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(DescriptionsMend, aVanishedOwnFileSeenFromDataDirStillKeepsTheCentralRecords)
{
    enter(u"C:\\OWN\\");
    desc.ComentSet(u"C:\\OWN\\y.txt", u"y");
    enter(kDataDir);
    fs::remove(drives.host(ownFile(u"C:\\OWN\\")));
    enter(u"C:\\ELSE\\");
    enter(kDataDir);
    enter(u"C:\\WORK\\");
    EXPECT_EQ(fileRecords(central()),
        (Records{{u"C:\\DOC\\a.txt", u"central a"}, {u"C:\\WORK\\b.txt", u"central b"}, {u"C:\\OWN\\x.txt", u"own x"},
            {u"C:\\OWN\\y.txt", u"y"}}));
}

TEST_F(DescriptionsMend, anOwnFilePlacedLaterIsNotOverwrittenWithTheCentralRecords)
{
    enter(u"C:\\WORK\\");
    desc.ComentSet(u"C:\\WORK\\b.txt", u"changed");
    enter(u"C:\\NEW\\");
    drives.makeDir(u"C:\\NEW\\");
    writeText(ownFile(u"C:\\NEW\\"), u"C:\\NEW\\n.txt,placed\r\n");
    enter(u"C:\\WORK\\");
    EXPECT_EQ(bytes(ownFile(u"C:\\NEW\\")), "C:\\NEW\\n.txt,placed\r\n");
    EXPECT_EQ(fileRecords(central()), (Records{{u"C:\\DOC\\a.txt", u"central a"}, {u"C:\\WORK\\b.txt", u"changed"}}));
}

TEST_F(DescriptionsMend, writesReplaceTheFileWholeAndLeaveNoTemporaryFile)
{
    enter(u"C:\\WORK\\");
    desc.ComentSet(u"C:\\WORK\\c.txt", u"c");
    enter(u"C:\\ELSE\\");
    EXPECT_EQ(filesIn(kDataDir), std::vector<std::string>{"SorvikDP.txt"});
    EXPECT_EQ(bytes(central()), cp932(std::u16string(kCentralText) + u"C:\\WORK\\c.txt,c\r\n"));
}

TEST_F(DescriptionsMend, aReadOnlyFileIsNamedOnceWhileTheRecordsStayInMemory)
{
    enter(u"C:\\OWN\\");
    desc.ComentSet(u"C:\\OWN\\y.txt", u"y");
    setReadOnly(ownFile(u"C:\\OWN\\"), true);
    EXPECT_TRUE(enter(u"C:\\WORK\\"));
    ASSERT_EQ(ui.messages(), std::vector<u16>{u"C:\\OWN\\SorvikDP.txtに説明を書き込めません\r\n読み取り専用です"});
    EXPECT_EQ(bytes(ownFile(u"C:\\OWN\\")), cp932(kOwnText));
    // The directory change went on: the central file is shown.
    EXPECT_EQ(desc.DescriptionDir, u"C:\\WORK\\");
    EXPECT_EQ(coment(u"C:\\DOC\\a.txt"), u"central a");

    // Coming back shows what could not be written, not the file's old text.
    enter(u"C:\\OWN\\");
    EXPECT_EQ(coment(u"C:\\OWN\\y.txt"), u"y");
    desc.ComentSet(u"C:\\OWN\\z.txt", u"z");
    enter(kDataDir);
    desc.LocalComentSave(desc.DescriptionDir);
    EXPECT_EQ(ui.messages().size(), 1u);   // not again for the same file
    EXPECT_EQ(bytes(central()), cp932(kCentralText));

    // Once the file can be written, a later save elsewhere catches up.
    enter(u"C:\\WORK\\");
    EXPECT_EQ(desc.unsavedFiles(), 1u);
    setReadOnly(ownFile(u"C:\\OWN\\"), false);
    enter(u"C:\\ELSE\\");
    EXPECT_EQ(desc.unsavedFiles(), 0u);
    EXPECT_EQ(fileRecords(ownFile(u"C:\\OWN\\")),
        (Records{{u"C:\\OWN\\x.txt", u"own x"}, {u"C:\\OWN\\y.txt", u"y"}, {u"C:\\OWN\\z.txt", u"z"}}));

    // Passing through without a change loses nothing, so a refused rewrite
    // is not told; after a success, a new refusal of a change is.
    setReadOnly(ownFile(u"C:\\OWN\\"), true);
    enter(u"C:\\OWN\\");
    enter(u"C:\\WORK\\");
    EXPECT_EQ(ui.messages().size(), 1u);
    enter(u"C:\\OWN\\");
    desc.ComentSet(u"C:\\OWN\\w.txt", u"w");
    enter(u"C:\\WORK\\");
    EXPECT_EQ(ui.messages().size(), 2u);
}

TEST_F(DescriptionsMend, aReadOnlyCentralFileIsNamedAndKept)
{
    enter(u"C:\\WORK\\");
    desc.ComentSet(u"C:\\WORK\\c.txt", u"c");
    setReadOnly(central(), true);
    enter(u"C:\\ELSE\\");
    EXPECT_EQ(ui.messages(), std::vector<u16>{central() + u"に説明を書き込めません\r\n読み取り専用です"});
    EXPECT_EQ(bytes(central()), cp932(kCentralText));
    EXPECT_EQ(coment(u"C:\\WORK\\c.txt"), u"c");
}

TEST_F(DescriptionsMend, recordsThatCouldNotJoinTheCentralFileAreShownWithItsOwn)
{
    EXPECT_FALSE(enter(kDataDir));   // start-up in DataDir: nothing is loaded
    desc.ComentSet(u"C:\\DOC\\n.txt", u"n");
    setReadOnly(central(), true);
    EXPECT_TRUE(enter(u"C:\\WORK\\"));
    EXPECT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(coment(u"C:\\DOC\\a.txt"), u"central a");
    EXPECT_EQ(coment(u"C:\\DOC\\n.txt"), u"n");

    setReadOnly(central(), false);
    enter(u"C:\\ELSE\\");
    EXPECT_EQ(fileRecords(central()),
        (Records{{u"C:\\DOC\\a.txt", u"central a"}, {u"C:\\WORK\\b.txt", u"central b"}, {u"C:\\DOC\\n.txt", u"n"}}));
    EXPECT_EQ(desc.unsavedFiles(), 0u);
}

TEST_F(DescriptionsMend, aMissingDataDirectoryIsNamedOnceAndTheChangeGoesOn)
{
    // Root ignores permission bits, so an unwritable directory is played by
    // one that does not exist.
    Descriptions elsewhere(drives.fs(), u"D:\\PROG\\", u"D:\\PROG\\SYSDAT\\", u"sorvik");
    elsewhere.ComentLocal = true;
    EXPECT_TRUE(elsewhere.LocalComentGet(u"C:\\WORK\\"));
    elsewhere.LocalComentSave(u"C:\\WORK\\");
    elsewhere.LocalComentSave(u"C:\\WORK\\");
    EXPECT_EQ(ui.messages(),
        std::vector<u16>{u"D:\\PROG\\SYSDAT\\SorvikDP.txtに説明を書き込めません\r\nファイルが見つかりません"});
    EXPECT_EQ(elsewhere.store().count(), 5u);
    EXPECT_TRUE(elsewhere.LocalComentGet(u"C:\\OWN\\"));
    EXPECT_EQ(*elsewhere.lookup(u"C:\\OWN\\x.txt"), u"own x");
}

TEST_F(DescriptionsMend, aCentralFileThatCannotBeReadIsNotReplacedByTheBuiltInRecords)
{
    fs::remove(drives.host(central()));
#ifdef _WIN32
    // Links need a privilege on Windows (and Wine makes none); a directory
    // under the file's name is present too, and cannot be read as a file.
    fs::create_directory(hostFsPath(drives.host(central())));
#else
    // A link to a drive that is gone: present, but it cannot be read.
    fs::create_symlink(drives.hostD() + "/gone/SorvikDP.txt", drives.host(central()));
#endif
    EXPECT_TRUE(enter(u"C:\\WORK\\"));
    EXPECT_EQ(desc.store().count(), 5u);
    enter(u"C:\\ELSE\\");
    // The reason differs by system (a link to nothing, a directory); the file is named.
#ifdef _WIN32
    // A directory in the file's place is named when it is read, too.
    ASSERT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(ui.messages()[0], central() + u"から説明を読み込めません\r\nディレクトリです");
#else
    ASSERT_EQ(ui.messages().size(), 1u);
#endif
    EXPECT_EQ(ui.messages().back().rfind(central() + u"に説明を書き込めません\r\n", 0), 0u);
#ifdef _WIN32
    EXPECT_TRUE(fs::is_directory(hostFsPath(drives.host(central()))));
    EXPECT_TRUE(fs::is_empty(hostFsPath(drives.host(central())))) << "nothing written into it either";
#else
    EXPECT_TRUE(fs::is_symlink(drives.host(central())));
#endif
}

TEST_F(DescriptionsMend, textTheCodePageLacksSurvivesAndSpoilsNoOtherRecord)
{
    enter(u"C:\\WORK\\");
    desc.ComentSet(u"C:\\WORK\\café.txt", u"naïve ☃ 😀, ok");
    desc.ComentSet(u"C:\\WORK\\plain.txt", u"普通");
    enter(u"C:\\ELSE\\");
    EXPECT_TRUE(ui.messages().empty());

    const std::string written = bytes(central());
    EXPECT_EQ(written.substr(0, cp932(kCentralText).size()), cp932(kCentralText));
    EXPECT_EQ(platform::decodeCp932(written).find(u'\xFFFD'), u16::npos);   // plain Shift_JIS throughout
    EXPECT_NE(written.find("C:\\WORK\\caf&#xE9;.txt,na&#xEF;ve &#x2603; &#x1F600;, ok\r\n"), std::string::npos);
    const std::string last = cp932(u"C:\\WORK\\plain.txt,普通\r\n");
    EXPECT_EQ(written.substr(written.size() - last.size()), last);

    Descriptions again(drives.fs(), kProgramDir, kDataDir, u"sorvik");
    again.ComentLocal = true;
    again.LocalComentGet(u"C:\\WORK\\");
    ASSERT_NE(again.lookup(u"C:\\WORK\\CAFÉ.TXT"), nullptr);
    EXPECT_EQ(*again.lookup(u"C:\\WORK\\café.txt"), u"naïve ☃ 😀, ok");
    EXPECT_EQ(*again.lookup(u"C:\\WORK\\plain.txt"), u"普通");
    EXPECT_EQ(again.store().count(), 4u);
}

}
}

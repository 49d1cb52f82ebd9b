// Lines that hold no record (stray text, blank lines, a record cut off after
// its path) and the lines of a path that came earlier in the file are not
// records the program shows, but they are the user's text: every save writes
// them back as they were, where they were.

#include "tests/desc/DescriptionsFixture.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <random>

namespace sorvik::test {
namespace {

// Blank lines, a line of spaces, stray text (plain, quoted, escaped, with a
// byte the code page cannot decode), and a last line without a line end.
const std::string kOddLines
    = "C:\\DOC\\a.txt,central a\r\n"
      "\r\n"
      "   \r\n"
      "notes for the team\r\n"
      "\"C:\\DOC\\q.txt\" no comma here\r\n"
      "&#x41; escaped\r\n"
      "\x81 bad byte\r\n"
      "C:\\WORK\\b.txt,central b\r\n"
      "\n"
      "C:\\cut off";

std::string written(const std::string& bytes, bool keeping)
{
    DescriptionStore store;
    if (keeping)
        DescriptionFile::readKeeping(bytes, store);
    else
        DescriptionFile::read(bytes, store);
    return DescriptionFile::write(store);
}

TEST(KeptLines, linesThatHoldNoRecordGoOutAsTheyCame)
{
    // Only line ends become CR LF.
    const std::string expected
        = "C:\\DOC\\a.txt,central a\r\n"
          "\r\n"
          "   \r\n"
          "notes for the team\r\n"
          "\"C:\\DOC\\q.txt\" no comma here\r\n"
          "&#x41; escaped\r\n"
          "\x81 bad byte\r\n"
          "C:\\WORK\\b.txt,central b\r\n"
          "\r\n"
          "C:\\cut off\r\n";
    EXPECT_EQ(written(kOddLines, false), expected);
    EXPECT_EQ(written(kOddLines, true), expected);
    EXPECT_EQ(written(expected, true), expected);
}

TEST(KeptLines, theyAreNoRecords)
{
    DescriptionStore store;
    DescriptionFile::readKeeping(kOddLines, store);
    EXPECT_EQ(store.count(), 2u);
    EXPECT_EQ(store.find(u"notes for the team"), nullptr);
    EXPECT_EQ(store.find(u"C:\\cut off"), nullptr);
}

TEST(KeptLines, theyKeepTheirPlaceWhenRecordsAroundThemChange)
{
    for (const bool keeping : {false, true}) {
        DescriptionStore store;
        if (keeping)
            DescriptionFile::readKeeping(kOddLines, store);
        else
            DescriptionFile::read(kOddLines, store);
        store.remove(clsComent::keyOf(u"C:\\DOC\\a.txt"));
        store.append(clsComent(u"C:\\DOC\\a.txt", u"changed"));
        EXPECT_EQ(DescriptionFile::write(store),
            "\r\n"
            "   \r\n"
            "notes for the team\r\n"
            "\"C:\\DOC\\q.txt\" no comma here\r\n"
            "&#x41; escaped\r\n"
            "\x81 bad byte\r\n"
            "C:\\WORK\\b.txt,central b\r\n"
            "\r\n"
            "C:\\cut off\r\n"
            "C:\\DOC\\a.txt,changed\r\n")
            << keeping;
    }
}

// The first of two lines for one path is its record; the other line stays,
// and always after the record, so the record read next time is the same.
TEST(KeptLines, aSecondLineForAPathStaysBehindItsRecord)
{
    const std::string file
        = "  C:\\a.txt,first\r\n"
          "C:\\b.txt,b\r\n"
          "   c:\\A.TXT,  second\r\n"
          "\"C:\\a.txt\" junk,third\r\n"
          "C:\\b.txt,b again\r\n";
    for (const bool keeping : {false, true}) {
        EXPECT_EQ(written(file, keeping),
            "C:\\a.txt,first\r\n"
            "C:\\b.txt,b\r\n"
            "   c:\\A.TXT,  second\r\n"
            "\"C:\\a.txt\" junk,third\r\n"
            "C:\\b.txt,b again\r\n")
            << keeping;

        DescriptionStore store;
        if (keeping)
            DescriptionFile::readKeeping(file, store);
        else
            DescriptionFile::read(file, store);
        EXPECT_EQ(store.count(), 2u);
        store.remove(clsComent::keyOf(u"C:\\a.txt"));
        store.append(clsComent(u"C:\\a.txt", u"changed"));
        const std::string bytes = DescriptionFile::write(store);
        EXPECT_EQ(bytes,
            "C:\\b.txt,b\r\n"
            "C:\\b.txt,b again\r\n"
            "C:\\a.txt,changed\r\n"
            "   c:\\A.TXT,  second\r\n"
            "\"C:\\a.txt\" junk,third\r\n")
            << keeping;
        DescriptionStore again;
        DescriptionFile::readKeeping(bytes, again);
        ASSERT_NE(again.find(u"C:\\A.TXT"), nullptr);
        EXPECT_EQ(again.find(u"C:\\A.TXT")->Coment, u"changed");
        EXPECT_EQ(DescriptionFile::write(again), bytes);
    }
}

TEST(KeptLines, aSecondLineOfARemovedRecordStaysWhereItWas)
{
    DescriptionStore store;
    DescriptionFile::readKeeping("C:\\a.txt,first\r\nC:\\b.txt,b\r\nC:\\A.TXT,second\r\n", store);
    store.remove(clsComent::keyOf(u"C:\\a.txt"));
    EXPECT_EQ(DescriptionFile::write(store), "C:\\b.txt,b\r\nC:\\A.TXT,second\r\n");
}

// Second lines of paths of undecodable bytes are told apart by those bytes.
TEST(KeptLines, aSecondLineOfAPathOfUndecodableBytesIsKeptByItsBytes)
{
    const std::string file = "C:\\a\x81.txt,one\r\nC:\\a\x9F.txt,two\r\nC:\\a\x81.txt,again\r\n";
    EXPECT_EQ(written(file, true), file);
    EXPECT_EQ(written(file, false), file);
}

// A store keeps the bytes of at most 65,536 files; past that the lines of
// a further file are kept all the same, each as its own bytes.
TEST(KeptLines, theyAreKeptWhenTheStoreNoLongerKeepsTheFilesBytes)
{
    DescriptionStore store;
    for (int i = 0; i <= 65536; ++i)
        DescriptionFile::read("C:\\f" + std::to_string(i) + ",x\r\n", store);
    ASSERT_FALSE(store.canKeepBytes(1));
    const std::string before = DescriptionFile::write(store);
    DescriptionFile::read("stray\r\n  \x81 bad \x85\x40\r\n\r\nC:\\F1,later\r\nC:\\g,g", store);
    EXPECT_EQ(store.count(), 65538u);
    EXPECT_EQ(
        DescriptionFile::write(store), before + "stray\r\n  \x81 bad \x85\x40\r\n\r\nC:\\F1,later\r\nC:\\g,g\r\n");
}

// Many stores hold their lines through compaction of removed records.
TEST(KeptLines, theySurviveManyRemovals)
{
    std::string file = "stray at the top\r\n";
    for (int i = 0; i < 3000; ++i)
        file += "C:\\f" + std::to_string(i) + ".txt,x\r\n" + (i % 500 == 0 ? "\r\n" : "");
    DescriptionStore store;
    DescriptionFile::readKeeping(file, store);
    for (int i = 0; i < 3000; ++i)
        store.remove(clsComent::keyOf(fromUtf8("C:\\f" + std::to_string(i) + ".txt")));
    store.append(clsComent(u"C:\\new.txt", u"n"));
    EXPECT_EQ(DescriptionFile::write(store), "stray at the top\r\n\r\n\r\n\r\n\r\n\r\n\r\nC:\\new.txt,n\r\n");
}

// The lines of a file as the reader splits them: at a CR, a LF or a CR LF.
std::vector<std::string> linesOf(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t end = std::min(bytes.find_first_of("\r\n", pos), bytes.size());
        lines.push_back(bytes.substr(pos, end - pos));
        pos = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

// Whatever the bytes, a file saved unchanged has as many lines as before,
// and each line that is no record, or a later one for a path, is as it was.
TEST(KeptLines, noLineOfAnyFileVanishes)
{
    static const std::vector<std::string> pieces
        = {" ", "  ", ",", ",", "\r\n", "\r\n", "\n", "\r", "\"", "&", "&#x26;", "a", "A", "Bc", "\\", "C:\\doc\\",
            ".TXT", "\x81", "\x9F", "\x90\xE0", "\x83\x5C", "\x85\x40", "\xED\x40", "\xB1", "\xFF", "\t"};
    std::mt19937 random(17);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 60);
    for (int run = 0; run < 3000; ++run) {
        std::string bytes;
        for (int n = length(random); n > 0; --n)
            bytes += pieces[pick(random)];
        const std::vector<std::string> before = linesOf(bytes);
        for (const bool keeping : {false, true}) {
            const std::vector<std::string> after = linesOf(written(bytes, keeping));
            ASSERT_EQ(after.size(), before.size()) << bytes;
            std::vector<u16> keys;
            for (std::size_t i = 0; i < before.size(); ++i) {
                DescriptionStore alone;
                DescriptionFile::read(before[i], alone);
                const clsComent* record = nullptr;
                alone.forEach([&](const clsComent& r) { record = &r; });
                if (record && std::find(keys.begin(), keys.end(), record->Key) == keys.end()) {
                    keys.push_back(record->Key);
                    continue;
                }
                ASSERT_EQ(after[i], before[i]) << "line " << i << " of " << bytes;
            }
        }
    }
}

// --- through the saves of the program ---

const char16_t* const kCentralText = u"C:\\DOC\\a.txt,central a\r\nC:\\WORK\\b.txt,central b\r\n";

TEST_F(DescriptionsTest, linesWithoutARecordSurviveASaveOfTheirFile)
{
    drives.writeBytes(central(), kOddLines);
    enter(u"C:\\WORK\\");
    desc.ComentSet(u"C:\\WORK\\c.txt", u"c");
    enter(u"C:\\ELSE\\");
    EXPECT_EQ(bytes(central()),
        "C:\\DOC\\a.txt,central a\r\n\r\n   \r\nnotes for the team\r\n\"C:\\DOC\\q.txt\" no comma here\r\n"
        "&#x41; escaped\r\n\x81 bad byte\r\nC:\\WORK\\b.txt,central b\r\n\r\nC:\\cut off\r\nC:\\WORK\\c.txt,c\r\n");
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(DescriptionsTest, aChangedPathsSecondLineStaysBehindItAcrossRestarts)
{
    writeText(central(), u"C:\\WORK\\b.txt,first\r\nC:\\DOC\\a.txt,a\r\nC:\\WORK\\B.TXT,second\r\n");
    enter(u"C:\\WORK\\");
    EXPECT_EQ(coment(u"C:\\WORK\\b.txt"), u"first");
    desc.ComentSet(u"C:\\WORK\\b.txt", u"changed");
    enter(u"C:\\ELSE\\");
    EXPECT_EQ(bytes(central()), "C:\\DOC\\a.txt,a\r\nC:\\WORK\\b.txt,changed\r\nC:\\WORK\\B.TXT,second\r\n");

    Descriptions again(drives.fs(), kProgramDir, kDataDir, u"sorvik");
    again.ComentLocal = true;
    again.LocalComentGet(u"C:\\WORK\\");
    ASSERT_NE(again.lookup(u"C:\\WORK\\b.txt"), nullptr);
    EXPECT_EQ(*again.lookup(u"C:\\WORK\\b.txt"), u"changed");
}

// Another instance saved the file meanwhile: the lines of the file as it is
// now are kept, in their places, whatever either instance changed.
TEST_F(DescriptionsTest, linesWithoutARecordSurviveTheMergeWithAnotherInstancesSave)
{
    writeText(
        central(), u"# top\r\nC:\\DOC\\a.txt,central a\r\n\r\nC:\\WORK\\b.txt,central b\r\nC:\\WORK\\b.txt,dup\r\n");
    platform::FileSystem otherFs(drives.fs().drives());
    Descriptions other(otherFs, kProgramDir, kDataDir, u"sorvik");
    other.ComentLocal = true;
    enter(u"C:\\WORK\\");
    other.LocalComentGet(u"C:\\WORK\\");
    other.ComentSet(u"C:\\WORK\\d.txt", u"d");
    other.LocalComentSave(u"C:\\WORK\\");
    // And someone adds a note by hand.
    drives.writeBytes(central(), bytes(central()) + "added by hand\r\n");
    desc.ComentSet(u"C:\\WORK\\b.txt", u"changed");
    desc.ComentSet(u"C:\\WORK\\c.txt", u"c");
    enter(u"C:\\ELSE\\");
    EXPECT_EQ(bytes(central()),
        "# top\r\nC:\\DOC\\a.txt,central a\r\n\r\nC:\\WORK\\d.txt,d\r\nadded by hand\r\n"
        "C:\\WORK\\b.txt,changed\r\nC:\\WORK\\b.txt,dup\r\nC:\\WORK\\c.txt,c\r\n");
    EXPECT_TRUE(ui.messages().empty());
}

// A save that failed is tried again later; the lines are still there then.
TEST_F(DescriptionsTest, linesWithoutARecordSurviveASaveThatFailedFirst)
{
    writeText(central(), kCentralText);
    drives.makeDir(u"C:\\OWN\\");
    writeText(ownFile(u"C:\\OWN\\"), u"own notes\r\nC:\\OWN\\x.txt,own x\r\n\r\n");
    enter(u"C:\\OWN\\");
    desc.ComentSet(u"C:\\OWN\\y.txt", u"y");
    platform::FaultPlan plan;
    plan.failAlways(platform::FsCall::Rename, EACCES);
    drives.fs().setFaults(&plan);
    enter(u"C:\\WORK\\");
    drives.fs().setFaults(nullptr);
    EXPECT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(bytes(ownFile(u"C:\\OWN\\")), "own notes\r\nC:\\OWN\\x.txt,own x\r\n\r\n");
    enter(u"C:\\ELSE\\");
    EXPECT_EQ(desc.unsavedFiles(), 0u);
    EXPECT_EQ(bytes(ownFile(u"C:\\OWN\\")), "own notes\r\nC:\\OWN\\x.txt,own x\r\n\r\nC:\\OWN\\y.txt,y\r\n");

    // Entering it again shows the records the file holds, and the lines stay.
    enter(u"C:\\OWN\\");
    desc.ComentSet(u"C:\\OWN\\x.txt", u"x changed");
    enter(u"C:\\WORK\\");
    EXPECT_EQ(bytes(ownFile(u"C:\\OWN\\")), "own notes\r\n\r\nC:\\OWN\\y.txt,y\r\nC:\\OWN\\x.txt,x changed\r\n");
}

}
}

// Description files written by other tools may hold bytes code page 932
// cannot decode, or the second form of a character it holds twice. Records
// left alone keep those bytes through every save, and paths that differ
// only in such bytes stay different records.

#include "tests/desc/DescriptionsFixture.h"

#include <filesystem>
#include <random>

namespace sorvik::test {
namespace {

// Three paths that decode alike: a lone lead byte, another one, and a lead
// and trail byte with nothing assigned to them.
const std::string kThreeBadPaths
    = "C:\\a\x81.txt,first\r\n"
      "C:\\a\x9F.txt,second\r\n"
      "C:\\a\x85\x40.txt,third\r\n"
      "C:\\a.txt,plain\r\n";

TEST(UndecodableBytes, pathsThatDifferOnlyInUndecodableBytesStayDifferentRecords)
{
    ASSERT_EQ(platform::decodeCp932("C:\\a\x81.txt"), platform::decodeCp932("C:\\a\x9F.txt"));
    ASSERT_EQ(platform::decodeCp932("C:\\a\x81.txt"), platform::decodeCp932("C:\\a\x85\x40.txt"));
    ASSERT_TRUE(clsComent::decodedBadBytes(platform::decodeCp932("C:\\a\x81.txt")));
    DescriptionStore kept, read;
    DescriptionFile::readKeeping(kThreeBadPaths, kept);
    DescriptionFile::read(kThreeBadPaths, read);
    for (const DescriptionStore* store : {&kept, &read}) {
        EXPECT_EQ(store->count(), 4u);
        EXPECT_EQ(DescriptionFile::write(*store), kThreeBadPaths);
    }
    EXPECT_EQ(keyedRecordsOf(kept), keyedRecordsOf(read));
}

TEST(UndecodableBytes, aRecordDecodedByALookupStillGoesOutAsItCame)
{
    const std::string bytes
        = "C:\\doc\\x.txt,\x81 bad\r\n"
          "C:\\doc\\nec.txt,\xED\x40\r\n"
          "C:\\doc\\ok.txt,\x90\xE0\x96\xBE\r\n";
    DescriptionStore store;
    DescriptionFile::readKeeping(bytes, store);
    ASSERT_NE(store.find(u"c:\\doc\\X.TXT"), nullptr);
    EXPECT_EQ(store.find(u"c:\\doc\\X.TXT")->Coment, u"\uFFFD bad");
    ASSERT_NE(store.find(u"C:\\DOC\\NEC.TXT"), nullptr);
    ASSERT_NE(store.find(u"C:\\DOC\\OK.TXT"), nullptr);
    EXPECT_EQ(DescriptionFile::write(store), bytes);
    // A copy of the store keeps them as well.
    const DescriptionStore copy = store;
    EXPECT_EQ(DescriptionFile::write(copy), bytes);
}

// A line that is not plain is taken apart for its text; where its bytes
// would not come back from that, the line itself goes out. One that would
// is formatted as before.
TEST(UndecodableBytes, aQuotedOrEscapedLineWithUndecodableBytesGoesOutAsItCame)
{
    DescriptionStore store;
    DescriptionFile::readKeeping(
        "\"C:\\q,\x81.txt\",said\r\n"
        "  C:\\e&#x26;\x81.txt,x\r\n"
        "\"C:\\ok.txt\",\"said\"\r\n",
        store);
    ASSERT_EQ(store.count(), 3u);
    EXPECT_EQ(DescriptionFile::write(store),
        "\"C:\\q,\x81.txt\",said\r\n"
        "C:\\e&#x26;\x81.txt,x\r\n"
        "C:\\ok.txt,said\r\n");
}

TEST(UndecodableBytes, anEscapedReplacementCharacterIsTextNotBadBytes)
{
    DescriptionStore store;
    DescriptionFile::readKeeping("C:\\a&#xFFFD;.txt,escaped\r\nC:\\a\x81.txt,raw\r\n", store);
    ASSERT_EQ(store.count(), 2u);
    ASSERT_NE(store.find(u"C:\\a\uFFFD.txt"), nullptr);
    EXPECT_EQ(store.find(u"C:\\a\uFFFD.txt")->Coment, u"escaped");
}

// A path whose key is spelled like a byte key is still a path of its own.
TEST(UndecodableBytes, aPathSpelledLikeAByteKeyIsNoByteKey)
{
    u16 byteKey;
    clsComent::byteKeyOf("C:\\a\x81", byteKey);
    DescriptionStore store;
    DescriptionFile::readKeeping("C:\\a\x81,bytes\r\n", store);
    store.append(clsComent(byteKey, u"text"));
    EXPECT_EQ(store.count(), 2u);
    ASSERT_NE(store.find(byteKey), nullptr);
    EXPECT_EQ(store.find(byteKey)->Coment, u"text");
}

// Written and read again, any file gives the same records and, written
// once more, the same bytes.
TEST(UndecodableBytes, aWrittenFileReadsBackAsTheSameRecords)
{
    static const std::vector<std::string> pieces = {" ", ",", ",", "\r\n", "\r\n", "\n", "\"", "&", "&#x26;",
        "&#xFFFD;", "a", "Bc", "\\", "C:\\doc\\", ".TXT", "\x81", "\x9F", "\x90\xE0", "\x83\x5C", "\x85\x40",
        "\xED\x40", "\xFA\x5C", "\xB1", "\xA0", "\x7F", "\x80", "\xFD", "\xFF", "\t", "\x1A"};
    std::mt19937 random(77);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 60);
    for (int run = 0; run < 3000; ++run) {
        std::string bytes;
        for (int n = length(random); n > 0; --n)
            bytes += pieces[pick(random)];
        DescriptionStore first;
        DescriptionFile::readKeeping(bytes, first);
        if (run % 2 == 0)
            first.forEach([](const clsComent&) {});   // decoded, not changed
        const std::string written = DescriptionFile::write(first);
        DescriptionStore again;
        DescriptionFile::readKeeping(written, again);
        ASSERT_EQ(keyedRecordsOf(again), keyedRecordsOf(first)) << bytes;
        ASSERT_EQ(DescriptionFile::write(again), written) << bytes;
    }
}

const char16_t* const kCentralText = u"C:\\DOC\\a.txt,central a\r\nC:\\WORK\\b.txt,central b\r\n";
const std::string kOddLines
    = "C:\\WORK\\bad\x81.txt,\x81 kept\r\n"
      "C:\\WORK\\bad\x9F.txt,other bytes\r\n"
      "C:\\WORK\\nec.txt,\xED\x40\r\n";

TEST_F(DescriptionsTest, recordsLeftAloneKeepTheirBytesThroughASaveOfTheirFile)
{
    drives.writeBytes(central(), cp932(kCentralText) + kOddLines);
    enter(u"C:\\WORK\\");
    EXPECT_EQ(desc.store().count(), 5u);
    ASSERT_NE(desc.lookup(u"C:\\WORK\\nec.txt"), nullptr);
    desc.ComentSet(u"C:\\WORK\\c.txt", u"c");
    enter(u"C:\\ELSE\\");
    EXPECT_EQ(bytes(central()), cp932(kCentralText) + kOddLines + "C:\\WORK\\c.txt,c\r\n");
}

TEST_F(DescriptionsTest, noLookupOrChangeOfAListedFileReachesARecordKeptByItsBytes)
{
    drives.writeBytes(central(), "C:\\WORK\\a\x81.txt,kept\r\n");
    enter(u"C:\\WORK\\");
    // The name a listing would give such a file, were there one.
    const u16 listed = u"C:\\WORK\\a\uFFFD.txt";
    EXPECT_EQ(desc.lookup(listed), nullptr);
    desc.ComentSet(listed, u"a listed name");
    EXPECT_EQ(desc.store().count(), 2u);
    enter(u"C:\\ELSE\\");
    EXPECT_EQ(bytes(central()), "C:\\WORK\\a\x81.txt,kept\r\nC:\\WORK\\a&#xFFFD;.txt,a listed name\r\n");

    Descriptions again(drives.fs(), kProgramDir, kDataDir, u"sorvik");
    again.ComentLocal = true;
    again.LocalComentGet(u"C:\\WORK\\");
    EXPECT_EQ(again.store().count(), 2u);
    ASSERT_NE(again.lookup(listed), nullptr);
    EXPECT_EQ(*again.lookup(listed), u"a listed name");
}

TEST_F(DescriptionsTest, aVanishedOwnFilesRecordsJoinTheCentralFileWithTheirBytes)
{
    writeText(central(), kCentralText);
    drives.makeDir(u"C:\\OWN\\");
    drives.writeBytes(ownFile(u"C:\\OWN\\"), "C:\\OWN\\\x81.txt,\x81\r\nC:\\OWN\\x.txt,own x\r\n");
    enter(u"C:\\OWN\\");
    desc.ComentSet(u"C:\\OWN\\y.txt", u"y");
    std::filesystem::remove(drives.host(ownFile(u"C:\\OWN\\")));
    enter(u"C:\\WORK\\");
    EXPECT_EQ(bytes(central()),
        cp932(kCentralText) + "C:\\OWN\\\x81.txt,\x81\r\nC:\\OWN\\x.txt,own x\r\nC:\\OWN\\y.txt,y\r\n");
}

// The file another instance saved is read again and merged; its records go
// out as they were read too.
TEST_F(DescriptionsTest, recordsMergedFromAnotherInstancesSaveKeepTheirBytes)
{
    drives.writeBytes(central(), cp932(kCentralText) + kOddLines);
    platform::FileSystem otherFs(drives.fs().drives());
    Descriptions other(otherFs, kProgramDir, kDataDir, u"sorvik");
    other.ComentLocal = true;
    enter(u"C:\\WORK\\");
    other.LocalComentGet(u"C:\\WORK\\");
    other.ComentSet(u"C:\\WORK\\d.txt", u"d");
    other.LocalComentSave(u"C:\\WORK\\");
    desc.ComentSet(u"C:\\WORK\\c.txt", u"c");
    enter(u"C:\\ELSE\\");
    EXPECT_EQ(bytes(central()), cp932(kCentralText) + kOddLines + "C:\\WORK\\d.txt,d\r\nC:\\WORK\\c.txt,c\r\n");
}

}
}

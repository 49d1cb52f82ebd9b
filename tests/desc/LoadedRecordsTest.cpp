// A store that keeps its file's bytes decodes each record only when it is
// used; nothing about it may differ from a store read record by record.

#include "desc/DescriptionFile.h"
#include "platform/Text.h"
#include "tests/desc/StoreRecords.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace sorvik {
namespace {

using test::KeyedRecord;
using test::keyedRecordsOf;

// Lines made of pieces that are plain and not: leading spaces, quotes,
// escapes, lone and paired lead bytes, pairs that decode to a character
// whose bytes are written differently, and code page gaps.
std::string randomFile(std::mt19937& random)
{
    static const std::vector<std::string> pieces
        = {" ", ",", ",", "\r\n", "\r\n", "\n", "\r", "\"", "&", "&#x26;", "a", "Bc", "xyz", "\\", "C:\\doc\\", "D:\\",
            ".TXT", "\x81", "\x90\xE0", "\x83\x5C", "\x82\xA0", "\x88\x9F", "\xB1", "\xCC", "\xED\x40", "\xFA\x40",
            "\x87\x90", "\x85\x40", "\xA0", "\x7F", "\x80", "\xFF", "\t", "{", "`", "@", "[", "~"};
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 60);
    std::string bytes;
    for (int n = length(random); n > 0; --n)
        bytes += pieces[pick(random)];
    return bytes;
}

TEST(LoadedRecords, aPathOfAsciiBytesHashesLikeItsUpperCasedKey)
{
    std::mt19937 random(12);
    std::uniform_int_distribution<int> byte(0x20, 0x7E);
    std::uniform_int_distribution<int> length(0, 40);
    for (int run = 0; run < 5000; ++run) {
        std::string path;
        for (int n = length(random); n > 0; --n)
            path += static_cast<char>(byte(random));
        std::uint32_t hash = 0;
        ASSERT_TRUE(DescriptionStore::hashOfAscii(path, hash)) << path;
        EXPECT_EQ(hash, DescriptionStore::hashOf(clsComent::keyOf(platform::decodeCp932(path)))) << path;
    }
}

// Paths of ASCII and caseless text are hashed without forming their key;
// any other falls back to the full upper-casing.
TEST(LoadedRecords, aDecodedPathHashesLikeItsUpperCasedKeyOrDeclines)
{
    const std::vector<u16> pieces = {u"a", u"Z", u"{", u"`", u"\\", u"資料", u"ﾌｧｲﾙ", u"ー", u"\u3000", u"\x9FFF",
        u"\xFF61", u"\xFF9F", u"é", u"ａ", u"Ω", u"\xFF60", u"\xA000", u"\x2FFF", u"\x7F", u"\x80"};
    std::mt19937 random(5);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 20);
    int declined = 0;
    for (int run = 0; run < 5000; ++run) {
        u16 path;
        for (int n = length(random); n > 0; --n)
            path += pieces[pick(random)];
        std::uint32_t hash = 0;
        if (!DescriptionStore::hashOfPath(path, hash)) {
            ++declined;
            EXPECT_NE(path.find_first_of(u"éａΩ\xFF60\xA000\x2FFF\x80"), u16::npos);
            continue;
        }
        EXPECT_EQ(hash, DescriptionStore::hashOf(clsComent::keyOf(path)));
    }
    EXPECT_GT(declined, 0);
}

// Some control bytes decode to other characters; they are left to the decoder.
TEST(LoadedRecords, aPathWithAnyByteBeyondPrintableAsciiIsNotHashedFromItsBytes)
{
    for (const std::string path : {"\x82\xA0", "C:\\\xB1.txt", "C:\\a rather long path\\\x90\xE0", "abcdefgh\xFF",
             "C:\\\x1A", "C:\\\x7F.txt", "C:\\eight\\\x1C", "\t"}) {
        std::uint32_t hash = 0;
        EXPECT_FALSE(DescriptionStore::hashOfAscii(path, hash)) << path;
    }
}

// Each file is read both ways; the kept one is looked into first, so that
// its records are a mix of decoded and undecoded ones when visited and saved.
TEST(LoadedRecords, keptBytesGiveTheSameRecordsLookupsAndSavedBytes)
{
    std::mt19937 random(31);
    for (int run = 0; run < 3000; ++run) {
        const std::string bytes = randomFile(random);
        DescriptionStore eager, kept;
        DescriptionFile::read(bytes, eager);
        DescriptionFile::readKeeping(bytes, kept);
        ASSERT_EQ(kept.count(), eager.count()) << bytes;
        std::size_t visited = 0;
        eager.forEach([&](const clsComent& r) {
            if (++visited % 2 == 0)
                return;
            const clsComent* found = kept.findByKey(r.Key);
            ASSERT_NE(found, nullptr) << bytes;
            EXPECT_EQ(found->Path, r.Path);
            EXPECT_EQ(found->Coment, r.Coment);
        });
        EXPECT_EQ(kept.find(u"C:\\NOT THERE"), nullptr);
        ASSERT_EQ(DescriptionFile::write(kept), DescriptionFile::write(eager)) << bytes;
        ASSERT_EQ(keyedRecordsOf(kept), keyedRecordsOf(eager)) << bytes;
    }
}

TEST(LoadedRecords, untouchedRecordsAreFoundRemovedAndSavedLikeReadOnes)
{
    std::mt19937 random(7);
    for (int run = 0; run < 1000; ++run) {
        std::string bytes = randomFile(random);
        bytes += "\r\nC:\\Users\\yamada\\Documents\\a.txt,first\r\nc:\\users\\YAMADA\\documents\\A.TXT,second\r\n"
                 "D:\\\x8E\x91\x97\xBF\\b.txt,\x90\xE0\x96\xBE\r\n";
        DescriptionStore eager, kept;
        DescriptionFile::read(bytes, eager);
        DescriptionFile::readKeeping(bytes, kept);
        for (DescriptionStore* store : {&eager, &kept}) {
            store->remove(clsComent::keyOf(u"C:\\Users\\Yamada\\Documents\\a.txt"));
            store->remove(clsComent::keyOf(u"D:\\資料\\B.TXT"));
            store->append(clsComent(u"D:\\資料\\b.txt", u"moved to the end"));
        }
        ASSERT_EQ(kept.count(), eager.count()) << bytes;
        EXPECT_EQ(kept.find(u"c:\\users\\yamada\\documents\\a.txt"), nullptr);
        ASSERT_NE(kept.find(u"d:\\資料\\B.txt"), nullptr);
        EXPECT_EQ(kept.find(u"d:\\資料\\B.txt")->Coment, u"moved to the end");
        ASSERT_EQ(DescriptionFile::write(kept), DescriptionFile::write(eager)) << bytes;
        ASSERT_EQ(keyedRecordsOf(kept), keyedRecordsOf(eager)) << bytes;
    }
}

TEST(LoadedRecords, plainLinesGoOutAsTheyCameAndOthersAsTheWriterFormatsThem)
{
    DescriptionStore store;
    DescriptionFile::readKeeping(
        "C:\\a.txt,text\r\n"
        "  C:\\b.txt,   spaced\r\n"
        "C:\\\x83\x5C.txt,\x90\xE0\x96\xBE,\x82\xA0\r\n"
        "C:\\nec.txt,\xED\x40\r\n"
        "\"C:\\q,uoted\",\"said \"\"so\"\"\"\r\n"
        "C:\\lone.txt,\x81\r\n",
        store);
    EXPECT_EQ(DescriptionFile::write(store),
        "C:\\a.txt,text\r\n"
        "C:\\b.txt,spaced\r\n"
        "C:\\\x83\x5C.txt,\x90\xE0\x96\xBE,\x82\xA0\r\n"
        "C:\\nec.txt,\xED\x40\r\n"   // the code page's other form of the same character stays
        "\"C:\\q,uoted\",said \"so\"\r\n"
        "C:\\lone.txt,\x81\r\n");   // as does a byte it cannot decode
}

TEST(LoadedRecords, aSecondFileReadIntoTheStoreLeavesTheFirstFilesRecordsIntact)
{
    DescriptionStore store;
    DescriptionFile::readKeeping("C:\\one.txt,first file\r\nC:\\two.txt,also first\r\n", store);
    ASSERT_NE(store.find(u"c:\\two.txt"), nullptr);
    DescriptionFile::readKeeping("C:\\ONE.TXT,second file\r\nC:\\three.txt,only second\r\n", store);
    EXPECT_EQ(keyedRecordsOf(store),
        (std::vector<KeyedRecord>{{u"C:\\ONE.TXT", u"C:\\one.txt", u"first file"},
            {u"C:\\TWO.TXT", u"C:\\two.txt", u"also first"}, {u"C:\\THREE.TXT", u"C:\\three.txt", u"only second"}}));
}

TEST(LoadedRecords, aCopyOutlivesTheStoreAndItsBytes)
{
    DescriptionStore copy;
    {
        DescriptionStore store;
        DescriptionFile::readKeeping("C:\\one.txt,1\r\nC:\\two.txt,2\r\n", store);
        copy = store;
        store.clear();
        DescriptionFile::readKeeping("C:\\other.txt,other\r\n", store);
    }
    ASSERT_NE(copy.find(u"C:\\TWO.TXT"), nullptr);
    EXPECT_EQ(copy.find(u"C:\\TWO.TXT")->Coment, u"2");
    EXPECT_EQ(DescriptionFile::write(copy), "C:\\one.txt,1\r\nC:\\two.txt,2\r\n");
}

// A looked-up description stays where it is while other records are decoded.
TEST(LoadedRecords, aFoundRecordStaysValidWhileOthersAreDecoded)
{
    std::string bytes;
    for (int i = 0; i < 2000; ++i)
        bytes += "C:\\dir\\file" + std::to_string(i) + ".txt,text " + std::to_string(i) + "\r\n";
    DescriptionStore store;
    DescriptionFile::readKeeping(bytes, store);
    const clsComent* first = store.find(u"c:\\dir\\file0.txt");
    ASSERT_NE(first, nullptr);
    const u16* text = &first->Coment;
    for (int i = 1; i < 2000; ++i)
        ASSERT_NE(store.find(u"C:\\DIR\\FILE" + fromUtf8(std::to_string(i)) + u".TXT"), nullptr);
    EXPECT_EQ(*text, u"text 0");
    EXPECT_EQ(store.count(), 2000u);
}

}
}

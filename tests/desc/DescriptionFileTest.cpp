#include "desc/DescriptionFile.h"
#include "desc/FieldReader.h"
#include "platform/Text.h"
#include "tests/desc/StoreRecords.h"
#include "tests/support/Cp932.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

namespace sorvik {
namespace {

using test::cp932;
using test::KeyedRecord;
using test::keyedRecordsOf;
using test::Records;
using test::recordsOf;

Records readBytes(std::string_view bytes)
{
    DescriptionStore store;
    DescriptionFile::read(bytes, store);
    return recordsOf(store);
}

std::string writeRecords(const Records& records)
{
    DescriptionStore store;
    for (const auto& [path, coment] : records)
        store.append(clsComent(path, coment));
    return DescriptionFile::write(store);
}

TEST(DescriptionFile, writesPathCommaComentCrLfInShiftJis)
{
    const std::string bytes = writeRecords({{u"C:\\TOOLS\\SYSDAT\\SorvikDP.txt", u"ファイルの説明データ"}});
    // Bytes spelled out so the code page itself is checked, not only a round trip.
    EXPECT_EQ(bytes,
        "C:\\TOOLS\\SYSDAT\\SorvikDP.txt,"
        "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCC\x90\xE0\x96\xBE\x83\x66\x81\x5B\x83\x5E\r\n");
}

TEST(DescriptionFile, roundTripsAFileByteForByte)
{
    // Trail bytes 0x5C in 表 and ソ, half-width kana, an empty description,
    // a description with blanks inside and at its end.
    const std::string file
        = "C:\\DOC\\\x95\x5C\x8E\xA6\x83\x5C.txt,\xCC\xA7\xB2\xD9\r\n"
          "C:\\DOC\\empty.txt,\r\n"
          "c:\\doc\\Mixed Case.TXT,a b  c  \r\n"
          "D:\\x,\x83\x74\x83\x40\x83\x43\x83\x8B \"q\" 1,2\r\n";
    const Records records = readBytes(file);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0], (std::pair<u16, u16>{u"C:\\DOC\\表示ソ.txt", u"ﾌｧｲﾙ"}));
    EXPECT_EQ(records[1], (std::pair<u16, u16>{u"C:\\DOC\\empty.txt", u""}));
    EXPECT_EQ(records[2].second, u"a b  c  ");
    EXPECT_EQ(records[3].second, u"ファイル \"q\" 1,2");
    EXPECT_EQ(writeRecords(records), file);
}

TEST(DescriptionFile, anEmptyStoreWritesNothing)
{
    EXPECT_EQ(writeRecords({}), "");
}

TEST(DescriptionFile, theFirstOfTwoEqualPathsWins)
{
    const Records records = readBytes("C:\\a.txt,first\r\nC:\\B.txt,b\r\nc:\\A.TXT,second\r\n");
    EXPECT_EQ(records, (Records{{u"C:\\a.txt", u"first"}, {u"C:\\B.txt", u"b"}}));
}

// Every record the program writes reads back as it was.
struct RoundTrip {
    const char* name;
    const char16_t* path;
    const char16_t* coment;
    friend void PrintTo(const RoundTrip& c, std::ostream* os) { *os << c.name; }
};

class WrittenRecord : public testing::TestWithParam<RoundTrip> {};

TEST_P(WrittenRecord, readsBackExactly)
{
    const Records records{{u"C:\\before.txt", u"b"}, {GetParam().path, GetParam().coment}, {u"C:\\after.txt", u"a"}};
    const std::string bytes = writeRecords(records);
    EXPECT_EQ(readBytes(bytes), records);
    // The neighbours' lines are untouched by whatever this record needed.
    EXPECT_EQ(bytes.substr(0, 17), "C:\\before.txt,b\r\n");
    EXPECT_EQ(bytes.substr(bytes.size() - 16), "C:\\after.txt,a\r\n");
}

INSTANTIATE_TEST_SUITE_P(Texts, WrittenRecord,
    testing::Values(RoundTrip{"plain", u"C:\\doc\\a.txt", u"memo"},
        RoundTrip{"emptyDescription", u"C:\\doc\\a.txt", u""},
        RoundTrip{"commaInDescription", u"C:\\doc\\a.txt", u"one, two,three,"},
        RoundTrip{"commaInPath", u"C:\\doc\\a,b.txt", u"x"},
        RoundTrip{"commaInBoth", u"C:\\a,b\\c,d.txt", u",lead comma"},
        RoundTrip{"descriptionInQuotes", u"C:\\a.txt", u"\"quoted\""},
        RoundTrip{"descriptionBeginningWithQuote", u"C:\\a.txt", u"\"a\" and b"},
        RoundTrip{"descriptionOfOneQuote", u"C:\\a.txt", u"\""},
        RoundTrip{"descriptionOfQuotes", u"C:\\a.txt", u"\"\"\"\""},
        RoundTrip{"quotedWithSpacesAfter", u"C:\\a.txt", u"\"x\"   "},
        RoundTrip{"quoteInside", u"C:\\a.txt", u"say \"hi\", then \"bye\""},
        RoundTrip{"pathBeginningWithSpace", u" C:\\a.txt", u"x"},
        RoundTrip{"pathBeginningWithQuote", u"\"odd\".txt", u"x"},
        RoundTrip{"pathWithQuoteAndComma", u"C:\\a\",b\".txt", u"x"},
        RoundTrip{"pathWithQuoteInside", u"C:\\say\"hi\".txt", u"x"},
        RoundTrip{"pathWithTrailingSpace", u"C:\\a.txt ", u"x"}, RoundTrip{"emptyPath", u"", u"x"},
        RoundTrip{"escapeLookalikeStaysText", u"C:\\&#x41;.txt", u"&#x41; &amp; &#xE9 &#x;"},
        RoundTrip{"escapeOfUnencodableAsText", u"C:\\&#xE9;.txt", u"&#xE9; &#x26; &#x22; &#xD;"},
        RoundTrip{"unencodableInDescription", u"C:\\a.txt", u"café ☃ 😀 한글"},
        RoundTrip{"unencodableInPath", u"C:\\café\\😀.txt", u"説明"},
        RoundTrip{"unencodableInQuotedParts", u"C:\\é,x.txt", u"\"é\""},
        RoundTrip{"loneSurrogateFromAnOddHostName", u"C:\\a\xDC80.txt", u"x"},
        RoundTrip{"lineBreaksInside", u"C:\\new\nline.txt", u"a\r\nb\rc"},
        RoundTrip{"tab", u"C:\\a.txt", u"\tindented"}),
    [](const testing::TestParamInfo<RoundTrip>& p) { return p.param.name; });

TEST(DescriptionFile, leadingSpacesAreWrittenButNotReadBack)
{
    const std::string bytes = writeRecords({{u"C:\\a.txt", u"   text"}, {u"C:\\b.txt", u"  \"q\""}});
    EXPECT_EQ(bytes.substr(0, 16), "C:\\a.txt,   text");
    EXPECT_EQ(readBytes(bytes), (Records{{u"C:\\a.txt", u"text"}, {u"C:\\b.txt", u"\"q\""}}));
}

// Found by fuzzing: a quoted description with spaces inside its opening quote
// read with them, and the next save wrote it so that they were gone.
TEST(DescriptionFile, spacesInsideAnOpeningQuoteAreNotReadEither)
{
    const std::string file = "C:\\a.txt, \"  quoted\"\r\nC:\\b.txt,\"   \"\r\nC:\\c.txt,\" \"\"q\"\"\"\r\n";
    const Records records{{u"C:\\a.txt", u"quoted"}, {u"C:\\b.txt", u""}, {u"C:\\c.txt", u"\"q\""}};
    EXPECT_EQ(readBytes(file), records);
    EXPECT_EQ(readBytes(writeRecords(readBytes(file))), records);
    DescriptionStore parsed;
    DescriptionFile::parse(platform::decodeCp932(file), parsed);
    const clsComent* a = parsed.find(u"C:\\a.txt");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->Coment, u"quoted");
}

TEST(DescriptionFile, unencodableTextIsEscapedInItsOwnLineOnly)
{
    const std::string bytes
        = writeRecords({{u"C:\\a.txt", u"ok"}, {u"C:\\café.txt", u"① € ☃"}, {u"C:\\b.txt", u"説明"}});
    EXPECT_EQ(bytes,
        std::string("C:\\a.txt,ok\r\n")
            + "C:\\caf&#xE9;.txt,\x87@ &#x20AC; &#x2603;\r\n"   // ① is in the code page, € and ☃ are not
            + cp932(u"C:\\b.txt,説明\r\n"));
}

TEST(DescriptionFile, plainRecordsAreWrittenWithoutQuotesOrEscapes)
{
    EXPECT_EQ(DescriptionFile::formatLine(u"C:\\doc\\a b.txt", u"a \"b\" c"), u"C:\\doc\\a b.txt,a \"b\" c");
    EXPECT_EQ(DescriptionFile::formatLine(u"C:\\a,b.txt", u"x"), u"\"C:\\a,b.txt\",x");
    EXPECT_EQ(DescriptionFile::formatLine(u"C:\\a.txt", u"\"x\""), u"C:\\a.txt,\"\"\"x\"\"\"");
    EXPECT_EQ(DescriptionFile::formatLine(u"C:\\a.txt", u"é&#xE9;"), u"C:\\a.txt,&#xE9;&#x26;#xE9;");
}

// A description that begins with a quoted part and goes on after it is
// written as it is: it reads back whole, and a reader that follows the field
// rules finds the quoted part in it, not an empty field. Only a description
// that would read back as one quoted token is quoted itself.
TEST(DescriptionFile, aDescriptionGoingOnAfterItsQuotedPartIsWrittenAsItIs)
{
    for (const u16& text : {u16(u"\"quoted\" words"), u16(u"\"a\" and b"), u16(u"\"a\" \"b\""), u16(u"\"x\",y")}) {
        const u16 line = DescriptionFile::formatLine(u"C:\\a.txt", text);
        EXPECT_EQ(line, u"C:\\a.txt," + text);
        EXPECT_EQ(readBytes(writeRecords({{u"C:\\a.txt", text}})), (Records{{u"C:\\a.txt", text}}));
        FieldReader fields(line);
        ASSERT_TRUE(fields.next().has_value());
        const std::optional<u16> coment = fields.next();
        ASSERT_TRUE(coment.has_value());
        EXPECT_EQ(*coment, text.substr(1, text.find(u'"', 1) - 1));
    }
    EXPECT_EQ(writeRecords({{u"C:\\a.txt", u"\"quoted\" words"}}), "C:\\a.txt,\"quoted\" words\r\n");
    // These would read back as one token, so they are still quoted.
    EXPECT_EQ(DescriptionFile::formatLine(u"C:\\a.txt", u"\"x\"  "), u"C:\\a.txt,\"\"\"x\"\"  \"");
    EXPECT_EQ(DescriptionFile::formatLine(u"C:\\a.txt", u"\"a\"\"b\""), u"C:\\a.txt,\"\"\"a\"\"\"\"b\"\"\"");
}

// What earlier versions wrote for such descriptions still reads as before.
TEST(DescriptionFile, quotedDescriptionsOfEarlierVersionsReadAsBefore)
{
    EXPECT_EQ(readBytes("C:\\a.txt,\"\"\"quoted\"\" words\"\r\n"
                        "C:\\b.txt,\"\"\"\"\r\n"
                        "C:\\c.txt,\"\"\"a\"\" \"\"b\"\"\"\r\n"),
        (Records{{u"C:\\a.txt", u"\"quoted\" words"}, {u"C:\\b.txt", u"\""}, {u"C:\\c.txt", u"\"a\" \"b\""}}));
}

// Files in the classic format read as the field rules read them.
struct ClassicLine {
    const char* name;
    const char16_t* line;
    const char16_t* path;
    const char16_t* coment;
    friend void PrintTo(const ClassicLine& c, std::ostream* os) { *os << c.name; }
};

class ClassicFile : public testing::TestWithParam<ClassicLine> {};

TEST_P(ClassicFile, readsAsTheFieldRulesDo)
{
    const Records records = readBytes(cp932(GetParam().line));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].first, GetParam().path);
    EXPECT_EQ(records[0].second, GetParam().coment);
}

INSTANTIATE_TEST_SUITE_P(Lines, ClassicFile,
    testing::Values(ClassicLine{"plain", u"C:\\a.txt,hello\r\n", u"C:\\a.txt", u"hello"},
        ClassicLine{"spacesBeforeDescription", u"C:\\a.txt,   hello\r\n", u"C:\\a.txt", u"hello"},
        ClassicLine{"spacesBeforePath", u"   C:\\a.txt,hello\r\n", u"C:\\a.txt", u"hello"},
        ClassicLine{"quotedDescription", u"C:\\a.txt,\"hello, world\"\r\n", u"C:\\a.txt", u"hello, world"},
        ClassicLine{"quotedDescriptionAndSpaces", u"C:\\a.txt, \"hello\"  \r\n", u"C:\\a.txt", u"hello"},
        ClassicLine{"quotedPath", u"\"C:\\a.txt\",hello\r\n", u"C:\\a.txt", u"hello"},
        ClassicLine{"textAfterQuotedPathDropped", u"\"C:\\a.txt\" junk,hello\r\n", u"C:\\a.txt", u"hello"},
        ClassicLine{"loneComma", u"C:\\a.txt,\r\n", u"C:\\a.txt", u""},
        ClassicLine{"noLastLineEnd", u"C:\\a.txt,hello", u"C:\\a.txt", u"hello"},
        ClassicLine{"loneLf", u"C:\\a.txt,hello\n", u"C:\\a.txt", u"hello"},
        // Where the classic rules lost text, the whole line's rest is kept.
        ClassicLine{"commaInDescriptionKept", u"C:\\a.txt,one,two\r\n", u"C:\\a.txt", u"one,two"},
        ClassicLine{"textAfterQuotedDescriptionKept", u"C:\\a.txt,\"a\" b\r\n", u"C:\\a.txt", u"\"a\" b"},
        ClassicLine{"openQuoteKept", u"C:\\a.txt,\"abc\r\n", u"C:\\a.txt", u"\"abc"}),
    [](const testing::TestParamInfo<ClassicLine>& p) { return p.param.name; });

TEST(DescriptionFile, linesWithoutASeparatingCommaHoldNoRecord)
{
    // A stray line, blank lines and a last record cut off after its path.
    EXPECT_EQ(readBytes("C:\\a.txt,a\r\nstray line\r\n\r\n  \r\nC:\\b.txt,b\r\nC:\\cut"),
        (Records{{u"C:\\a.txt", u"a"}, {u"C:\\b.txt", u"b"}}));
}

// Fields are found in the bytes, not in the decoded text; both must agree
// whatever the bytes: separators next to lead bytes, lone lead bytes, broken
// quotes, escapes, every kind of line end.
TEST(DescriptionFile, readingTheBytesAgreesWithTheFieldRulesOnTheDecodedText)
{
    const std::vector<std::string> pieces = {" ", "  ", "\"", ",", "\r", "\n", "\r\n", "&", "&#x26;", "&#xE9;",
        "&#x22;", "&#xD;", "&#x41;", "a", "Bc", "\\", "C:\\doc\\", "\x81", "\x81\x40", "\x90\xE0", "\x83\x5C",
        "\x85\x40", "\xA0", "\x7F", "\xFF", "\xCC", "\xFC\x4B", "x.txt"};
    std::mt19937 random(4);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 40);
    for (int run = 0; run < 5000; ++run) {
        std::string bytes;
        for (int n = length(random); n > 0; --n)
            bytes += pieces[pick(random)];
        DescriptionStore fromBytes, fromText;
        DescriptionFile::read(bytes, fromBytes);
        DescriptionFile::parse(platform::decodeCp932(bytes), fromText);
        // Paths of bytes that do not decode are keyed by those bytes, which
        // the decoded text no longer has: two such paths may be one in it.
        const auto split = [](const DescriptionStore& store, std::vector<KeyedRecord>& bad) {
            std::vector<KeyedRecord> good;
            for (const KeyedRecord& r : keyedRecordsOf(store))
                (clsComent::decodedBadBytes(r.path) ? bad : good).push_back(r);
            return good;
        };
        std::vector<KeyedRecord> badFromBytes, badFromText;
        ASSERT_EQ(split(fromBytes, badFromBytes), split(fromText, badFromText)) << "bytes: " << bytes;
        ASSERT_GE(badFromBytes.size(), badFromText.size()) << "bytes: " << bytes;
        for (const KeyedRecord& r : badFromBytes)
            ASSERT_EQ(r.key.substr(0, 6), u"bytes:") << "bytes: " << bytes;
    }
}

// Plain records are encoded straight from the store; every record must
// still come out as its formatted line would, escaped only where it must be.
TEST(DescriptionFile, writingMatchesTheFormattedLineOfEveryRecord)
{
    const std::vector<u16> pieces = {u" ", u",", u"\"", u"&", u"&#x26;", u"\r", u"\n", u"a", u"C:\\doc\\", u"説明",
        u"ﾌｧｲﾙ", u"é", u"€", u"😀", u"\xDC80", u"-", u"*", u"+", u"\u200B"};
    std::mt19937 random(9);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 8);
    const auto text = [&] {
        u16 t;
        for (int n = length(random); n > 0; --n)
            t += pieces[pick(random)];
        return t;
    };
    for (int run = 0; run < 300; ++run) {
        DescriptionStore store;
        for (int i = 0; i < 10; ++i)
            store.append(clsComent(text(), text()));
        std::string expected;
        store.forEach([&](const clsComent& r) {
            auto line = platform::encodeCp932(DescriptionFile::formatLine(r.Path, r.Coment, false) + u"\r\n");
            if (!line)
                line = platform::encodeCp932(DescriptionFile::formatLine(r.Path, r.Coment, true) + u"\r\n");
            ASSERT_TRUE(line.has_value());
            expected += *line;
        });
        ASSERT_EQ(DescriptionFile::write(store), expected);
    }
}

TEST(DescriptionFile, aStoreClearedAndReadAgainHoldsOnlyTheNewFile)
{
    DescriptionStore store;
    DescriptionFile::read(
        "C:\\long\\path\\one.txt,a long first description\r\nC:\\two.txt,2\r\nC:\\three.txt,3\r\n", store);
    store.clear();
    // Shorter and longer texts than the records whose memory they reuse, and
    // a duplicate that must not keep the first file's text.
    DescriptionFile::read("C:\\x,\r\nc:\\y.txt,a description longer than any before it\r\nC:\\X,dup\r\n", store);
    EXPECT_EQ(recordsOf(store), (Records{{u"C:\\x", u""}, {u"c:\\y.txt", u"a description longer than any before it"}}));
    EXPECT_EQ(store.count(), 2u);
    EXPECT_EQ(store.find(u"C:\\TWO.TXT"), nullptr);
    ASSERT_NE(store.find(u"C:\\Y.TXT"), nullptr);
    EXPECT_EQ(store.find(u"C:\\Y.TXT")->Key, u"C:\\Y.TXT");
    store.releaseSpares();
    EXPECT_EQ(store.count(), 2u);
    // The later line for C:\X is no record, but it is written back.
    EXPECT_EQ(writeRecords(recordsOf(store)) + "C:\\X,dup\r\n", DescriptionFile::write(store));
}

// Room is reserved from the opening lines only; a file whose later lines are
// far shorter must still be read to its end, every record findable.
TEST(DescriptionFile, aLargeFileWithShortLaterLinesIsReadCompletely)
{
    std::string bytes;
    for (int i = 0; i < 1000; ++i)
        bytes += "C:\\a rather long directory name\\and another one\\file" + std::to_string(i) + ".txt,text\r\n";
    for (int i = 0; i < 30000; ++i)
        bytes += "C:\\" + std::to_string(i) + ",\r\n";
    DescriptionStore store;
    DescriptionFile::read(bytes, store);
    EXPECT_EQ(store.count(), 31000u);
    ASSERT_NE(store.find(u"c:\\29999"), nullptr);
    const clsComent* last = store.find(u"c:\\A rather long directory name\\and another one\\FILE999.txt");
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->Coment, u"text");
}

TEST(DescriptionFile, invalidBytesNeverStopTheReading)
{
    const Records records = readBytes("C:\\a.txt,\x81\r\nC:\\b.txt,b\r\n");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1], (std::pair<u16, u16>{u"C:\\b.txt", u"b"}));
}

}
}

#include "desc/FieldReader.h"

#include <gtest/gtest.h>

#include <vector>

namespace sorvik {
namespace {

std::vector<u16> allFields(u16view text)
{
    FieldReader reader(text);
    std::vector<u16> fields;
    while (auto field = reader.next())
        fields.push_back(*field);
    return fields;
}

struct StreamCase {
    const char* name;
    const char16_t* text;
    std::vector<u16> fields;
    friend void PrintTo(const StreamCase& c, std::ostream* os) { *os << c.name; }
};

class FieldStream : public testing::TestWithParam<StreamCase> {};

TEST_P(FieldStream, readsTheFieldsOfTheText)
{
    EXPECT_EQ(allFields(GetParam().text), GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(Rules, FieldStream,
    testing::Values(StreamCase{"twoPlainFields", u"a,b\r\n", {u"a", u"b"}},
        StreamCase{"twoRecords", u"a,b\r\nc,d\r\n", {u"a", u"b", u"c", u"d"}},
        StreamCase{"spacesBeforeAFieldAreSkipped", u"  a,   b c \r\n", {u"a", u"b c "}},
        StreamCase{"quotedFieldRunsToTheNextQuote", u"\"a,b\",c\r\n", {u"a,b", u"c"}},
        StreamCase{"restAfterClosingQuoteIsDropped", u"\"a\"xyz,c\r\n", {u"a", u"c"}},
        StreamCase{"quotedFieldAtLineEnd", u"x,\"q\" junk\r\ny,z", {u"x", u"q", u"y", u"z"}},
        StreamCase{"quoteInsideAPlainFieldIsKept", u"a\"b,c", {u"a\"b", u"c"}},
        StreamCase{"emptyFieldAfterComma", u"a,\r\nb,\r\n", {u"a", u"", u"b", u""}},
        StreamCase{"emptyFieldsBetweenCommas", u"a,,b", {u"a", u"", u"b"}},
        StreamCase{"commaAtTheVeryEndPromisesAField", u"a,", {u"a", u""}},
        StreamCase{"blankLinesHoldNoField", u"\r\n\r\na,b\r\n  \r\n\r\nc,d", {u"a", u"b", u"c", u"d"}},
        StreamCase{"loneLfAndLoneCrEndLines", u"a,b\nc,d\re,f", {u"a", u"b", u"c", u"d", u"e", u"f"}},
        StreamCase{"missingLastLineEnd", u"a,b", {u"a", u"b"}},
        StreamCase{"openQuoteEndsAtItsLineEnd", u"\"abc\r\nd,e", {u"abc", u"d", u"e"}},
        StreamCase{"lineWithoutCommaIsOneField", u"abc\r\nd,e\r\n", {u"abc", u"d", u"e"}},
        StreamCase{"emptyText", u"", {}}, StreamCase{"onlySpacesAndLineEnds", u"  \r\n \n", {}},
        StreamCase{"japaneseText", u"C:\\資料\\表.txt,説明ﾃｷｽﾄ\r\n", {u"C:\\資料\\表.txt", u"説明ﾃｷｽﾄ"}}),
    [](const testing::TestParamInfo<StreamCase>& p) { return p.param.name; });

TEST(FieldReader, reportsHowEachFieldEnded)
{
    FieldReader reader(u"a,\"b\"\r\nc");
    ASSERT_EQ(reader.next(), u16(u"a"));
    EXPECT_EQ(reader.lastEnd(), FieldReader::End::Comma);
    EXPECT_FALSE(reader.lastQuoted());
    ASSERT_EQ(reader.next(), u16(u"b"));
    EXPECT_EQ(reader.lastEnd(), FieldReader::End::LineEnd);
    EXPECT_TRUE(reader.lastQuoted());
    ASSERT_EQ(reader.next(), u16(u"c"));
    EXPECT_EQ(reader.lastEnd(), FieldReader::End::TextEnd);
    EXPECT_TRUE(reader.atEnd());
    EXPECT_EQ(reader.next(), std::nullopt);
}

TEST(FieldReader, aRecordCutOffAfterItsFirstFieldGivesNoSecondField)
{
    // The reader only reports it; each file decides what such a record means.
    FieldReader reader(u"a,b\r\nc");
    EXPECT_EQ(reader.next(), u16(u"a"));
    EXPECT_EQ(reader.next(), u16(u"b"));
    EXPECT_EQ(reader.next(), u16(u"c"));
    EXPECT_EQ(reader.next(), std::nullopt);
}

TEST(FieldReader, restOfLineTakesEverythingAfterTheComma)
{
    FieldReader reader(u"p, x,\"y\" z\r\nq,\r\nr,last");
    EXPECT_EQ(reader.next(), u16(u"p"));
    EXPECT_EQ(reader.restOfLine(), u16view(u" x,\"y\" z"));
    EXPECT_EQ(reader.lastEnd(), FieldReader::End::LineEnd);
    EXPECT_EQ(reader.next(), u16(u"q"));
    EXPECT_EQ(reader.restOfLine(), u16view(u""));
    EXPECT_EQ(reader.next(), u16(u"r"));
    EXPECT_EQ(reader.restOfLine(), u16view(u"last"));
    EXPECT_EQ(reader.lastEnd(), FieldReader::End::TextEnd);
    EXPECT_EQ(reader.next(), std::nullopt);
}

}
}

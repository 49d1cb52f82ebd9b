#include "tests/desc/DescriptionsFixture.h"

#include <cstdio>
#include <string_view>

namespace sorvik::test {
namespace {

// Lines of a description file without their CR LF.
std::vector<std::string_view> linesOf(std::string_view bytes)
{
    std::vector<std::string_view> out;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find("\r\n", pos);
        if (end == std::string_view::npos)
            end = bytes.size();
        out.push_back(bytes.substr(pos, end - pos));
        pos = end + 2;
    }
    return out;
}

// --- descriptions far longer than a line edit holds by default ---

class ExtremeLongTextTest : public DescriptionsTest, public testing::WithParamInterface<int> {
protected:
    // Text with everything the format marks: commas, quotes, "&", a leading
    // quote, characters the code page lacks.
    u16 longText() const
    {
        u16 text = u"\"quoted start";
        for (int i = 0; int(text.size()) < GetParam(); ++i)
            text += u", 説明 \"q\" & &#x41; € 😀 " + fromUtf8(std::to_string(i));
        text.resize(std::size_t(GetParam()));
        if (text.back() >= 0xD800 && text.back() < 0xDC00)
            text.back() = u'x';   // never cut a surrogate pair in half
        return text;
    }
    std::string lineFor(u16view path, u16view text) const
    {
        return cp932(DescriptionFile::formatLine(path, text)) + "\r\n";
    }
};

TEST_P(ExtremeLongTextTest, surviveSaveReloadAndMoveByteForByte)
{
    const u16 text = longText();
    ASSERT_EQ(text.size(), std::size_t(GetParam()));
    writeText(central(), u"C:\\DOC\\before.txt,before\r\n");
    enter(u"C:\\DOC\\");
    desc.ComentSet(u"C:\\DOC\\a.txt", text);
    enter(u"C:\\OTHER\\");
    const std::string saved = bytes(central());
    EXPECT_EQ(saved, "C:\\DOC\\before.txt,before\r\n" + lineFor(u"C:\\DOC\\a.txt", text));

    Descriptions again(drives.fs(), kProgramDir, kDataDir, u"sorvik");
    again.ComentLocal = true;
    ASSERT_TRUE(again.LocalComentGet(u"C:\\DOC\\"));
    ASSERT_NE(again.lookup(u"C:\\doc\\A.TXT"), nullptr);
    EXPECT_EQ(*again.lookup(u"C:\\doc\\A.TXT"), text) << "read back whole";

    // A rename's move and a copy's set keep the text exactly.
    desc.ComentMove(u"C:\\DOC\\a.txt", u"C:\\DOC\\renamed.txt");
    desc.ComentSet(u"C:\\COPY\\a.txt", *desc.lookup(u"C:\\DOC\\renamed.txt"));
    desc.LocalComentSave(u"C:\\OTHER\\");
    EXPECT_EQ(bytes(central()),
        "C:\\DOC\\before.txt,before\r\n" + lineFor(u"C:\\DOC\\renamed.txt", text) + lineFor(u"C:\\COPY\\a.txt", text));
    EXPECT_TRUE(ui.messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Lengths, ExtremeLongTextTest, testing::Values(10000, 32767, 32768, 40000));

class ExtremeDescriptionsTest : public DescriptionsTest {};

// --- a record whose path is 10,000 characters long ---

TEST_F(ExtremeDescriptionsTest, aRecordWithATenThousandCharacterPathLoadsAndSaves)
{
    u16 dir = u"C:\\";
    while (dir.size() < 10000 - 20)
        dir += u"長いディレクトリ名の部分\\";
    const u16 path = dir + u16(10000 - dir.size() - 4, u'f') + u".txt";
    ASSERT_EQ(path.size(), 10000u);
    const u16 moved = u"C:\\" + path.substr(3, path.size() - 8) + u"g.txt";

    enter(u"C:\\DOC\\");
    desc.ComentSet(path, u"深い場所の説明");
    desc.ComentSet(u"C:\\DOC\\short.txt", u"short");
    enter(u"C:\\OTHER\\");
    const std::string saved = bytes(central());
    EXPECT_NE(saved.find(cp932(path) + "," + cp932(u"深い場所の説明") + "\r\n"), std::string::npos);

    Descriptions again(drives.fs(), kProgramDir, kDataDir, u"sorvik");
    again.ComentLocal = true;
    ASSERT_TRUE(again.LocalComentGet(u"C:\\DOC\\"));
    ASSERT_NE(again.lookup(path), nullptr);
    EXPECT_EQ(*again.lookup(path), u"深い場所の説明");

    again.ComentMove(path, moved);
    again.LocalComentSave(u"C:\\OTHER\\");
    const Records records = fileRecords(central());
    ASSERT_EQ(records.size(), 2u + 5u) << "the five built-in records, the short one and the moved one";
    EXPECT_EQ(records.back(), (std::pair<u16, u16>{moved, u"深い場所の説明"}));
    EXPECT_EQ(bytes(central()).find(cp932(path) + ","), std::string::npos);
    EXPECT_TRUE(ui.messages().empty());
}

// --- a description file of a million records ---

TEST_F(ExtremeDescriptionsTest, aMillionRecordsLoadAndOneChangeKeepsEveryOtherLineByteForByte)
{
    constexpr int kRecords = 1000000;
    const std::string memo = cp932(u"説明");
    std::string file;
    file.reserve(std::size_t(kRecords) * 40);
    char buf[96];
    for (int i = 0; i < kRecords; ++i) {
        // Now and then the forms the format marks: a quoted path, an escape.
        if (i % 1000 == 7)
            std::snprintf(buf, sizeof buf, "\"C:\\D%03d\\a,b%07d.txt\",", i / 1000, i);
        else
            std::snprintf(buf, sizeof buf, "C:\\D%03d\\f%07d.txt,", i / 1000, i);
        file += buf;
        file += memo;
        file += i % 1000 == 9 ? " &#x1F600; " : " ";
        file += std::to_string(i);
        file += "\r\n";
    }
    drives.writeBytes(central(), file);

    enter(u"C:\\D500\\");
    ASSERT_EQ(desc.store().count(), std::size_t(kRecords));
    EXPECT_EQ(coment(u"C:\\d500\\F0500000.TXT"), u"説明 500000");
    EXPECT_EQ(coment(u"C:\\D001\\a,b0001007.txt"), u"説明 1007");
    EXPECT_EQ(coment(u"C:\\D001\\f0001009.txt"), u"説明 😀 1009");
    desc.ComentSet(u"C:\\D500\\f0500000.txt", u"変更した 😀");
    enter(u"C:\\OTHER\\");

    const std::string after = bytes(central());
    const std::vector<std::string_view> before = linesOf(file);
    const std::vector<std::string_view> written = linesOf(after);
    ASSERT_EQ(written.size(), before.size());
    // The changed record goes to the end; every other line stays as it was, in order.
    std::size_t differing = 0;
    for (std::size_t i = 0, j = 0; i < before.size(); ++i) {
        if (i == 500000)
            continue;
        differing += before[i] != written[j++];
    }
    EXPECT_EQ(differing, 0u);
    EXPECT_EQ(written.back(), "C:\\D500\\f0500000.txt," + cp932(u"変更した") + " &#x1F600;");
    EXPECT_EQ(after.size(), file.size() - before[500000].size() + written.back().size());
    EXPECT_TRUE(ui.messages().empty());
}

}
}

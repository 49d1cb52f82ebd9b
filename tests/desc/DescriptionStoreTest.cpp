#include "desc/DescriptionStore.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace sorvik {
namespace {

std::vector<u16> pathsInOrder(const DescriptionStore& store)
{
    std::vector<u16> paths;
    store.forEach([&](const clsComent& r) { paths.push_back(r.Path); });
    return paths;
}

TEST(clsComent, keyIsTheUpperCasedPathAndPathKeepsItsLetters)
{
    clsComent r(u"c:\\Doc\\a.txt", u"memo");
    EXPECT_EQ(r.Key, u"C:\\DOC\\A.TXT");
    EXPECT_EQ(r.Path, u"c:\\Doc\\a.txt");
    EXPECT_EQ(r.Coment, u"memo");
}

struct FNameCase {
    const char16_t* path;
    const char16_t* fName;
    friend void PrintTo(const FNameCase& c, std::ostream* os) { *os << toUtf8(c.path); }
};

class clsComentFName : public testing::TestWithParam<FNameCase> {};

TEST_P(clsComentFName, isThePartAfterTheLastBackslash)
{
    EXPECT_EQ(clsComent(GetParam().path, u"").fName(), GetParam().fName);
}

INSTANTIATE_TEST_SUITE_P(Paths, clsComentFName,
    testing::Values(FNameCase{u"C:\\DOC\\A.TXT", u"A.TXT"}, FNameCase{u"A.TXT", u""}, FNameCase{u"C:\\DOC\\", u""},
        FNameCase{u"C:\\", u""}, FNameCase{u"", u""}, FNameCase{u"C:\\資料\\説明 付き.txt", u"説明 付き.txt"}));

// The quick path of keyOf must agree with the platform's full mapping.
class KeyOfAgrees : public testing::TestWithParam<const char16_t*> {};

TEST_P(KeyOfAgrees, withPlatformUpperCase)
{
    EXPECT_EQ(clsComent::keyOf(GetParam()), platform::toUpper(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Texts, KeyOfAgrees,
    testing::Values(u"c:\\doc\\readme.txt", u"C:\\データ\\ファイル一覧.txt", u"d:\\ﾊﾝｶｸ\\abc",
        u"c:\\ｆｕｌｌ\\ａｂｃ.txt", u"c:\\straße\\x", u"c:\\élan\\ÿ", u"c:\\ǆ\\ﬃ", u"",
        u"~!@#$%^&*()_+{}|:<>?`-=[];',./"));

// The quick path handles four ASCII characters at a time; every character
// at every position within such a group must come out as the platform says.
TEST(clsComentKeyOf, upperCasesEveryAsciiCharacterAtEveryPosition)
{
    for (std::size_t offset = 0; offset < 4; ++offset) {
        u16 text(offset, u'x');
        for (char16_t c = 1; c < 0x80; ++c)
            text += c;
        text += u"資料ｱ";   // caseless text after the ASCII part
        for (char16_t c = 0x7F; c > 0; --c)
            text += c;
        SCOPED_TRACE(offset);
        EXPECT_EQ(clsComent::keyOf(text), platform::toUpper(text));
    }
}

TEST(clsComentKeyOf, intoAStringReplacesWhatItHeld)
{
    u16 key = u"SOMETHING MUCH LONGER THAN THE PATH";
    clsComent::keyOf(u"c:\\ä.txt", key);
    EXPECT_EQ(key, u"C:\\Ä.TXT");
    clsComent::keyOf(u"", key);
    EXPECT_EQ(key, u"");
}

TEST(clsComentKeyOf, ofPartOfTheKeyItself)
{
    u16 key = u"c:\\doc\\readme.txt";
    clsComent::keyOf(u16view(key).substr(3), key);
    EXPECT_EQ(key, u"DOC\\README.TXT");
    key = u"c:\\straße\\readme.txt";
    clsComent::keyOf(key, key);
    EXPECT_EQ(key, platform::toUpper(u"c:\\straße\\readme.txt"));
}

TEST(DescriptionStore, keepsInsertionOrderAndTheFirstOfTwoEqualKeys)
{
    DescriptionStore store;
    EXPECT_TRUE(store.append(clsComent(u"C:\\b.txt", u"b")));
    EXPECT_TRUE(store.append(clsComent(u"C:\\a.txt", u"a")));
    EXPECT_FALSE(store.append(clsComent(u"c:\\B.TXT", u"second b")));
    EXPECT_EQ(store.count(), 2u);
    EXPECT_EQ(pathsInOrder(store), (std::vector<u16>{u"C:\\b.txt", u"C:\\a.txt"}));
    EXPECT_EQ(store.find(u"C:\\B.txt")->Coment, u"b");
}

TEST(DescriptionStore, findsByPathIgnoringCaseAndByKey)
{
    DescriptionStore store;
    store.append(clsComent(u"c:\\doc\\a.txt", u"x"));
    ASSERT_NE(store.find(u"C:\\DOC\\A.TXT"), nullptr);
    EXPECT_EQ(store.find(u"C:\\DOC\\A.TXT")->Path, u"c:\\doc\\a.txt");
    EXPECT_NE(store.findByKey(u"C:\\DOC\\A.TXT"), nullptr);
    EXPECT_EQ(store.findByKey(u"c:\\doc\\a.txt"), nullptr);   // keys are upper case
    EXPECT_EQ(store.find(u"C:\\DOC\\B.TXT"), nullptr);
}

TEST(DescriptionStore, removeLeavesTheOthersInOrderAndAllowsTheKeyAgain)
{
    DescriptionStore store;
    for (const char16_t* p : {u"C:\\1", u"C:\\2", u"C:\\3"})
        store.append(clsComent(p, u""));
    EXPECT_TRUE(store.remove(u"C:\\2"));
    EXPECT_FALSE(store.remove(u"C:\\2"));
    EXPECT_EQ(store.find(u"C:\\2"), nullptr);
    EXPECT_TRUE(store.append(clsComent(u"C:\\2", u"again")));
    EXPECT_EQ(pathsInOrder(store), (std::vector<u16>{u"C:\\1", u"C:\\3", u"C:\\2"}));
    EXPECT_EQ(store.count(), 3u);
}

TEST(DescriptionStore, survivesManyRemovalsWithCompaction)
{
    DescriptionStore store;
    const int n = 5000;
    for (int i = 0; i < n; ++i)
        store.append(clsComent(fromUtf8("C:\\f" + std::to_string(i)), fromUtf8(std::to_string(i))));
    // Move every even record to the end, as repeated ComentSet calls do.
    for (int i = 0; i < n; i += 2) {
        const u16 path = fromUtf8("C:\\f" + std::to_string(i));
        ASSERT_TRUE(store.remove(clsComent::keyOf(path)));
        ASSERT_TRUE(store.append(clsComent(path, u"moved")));
    }
    // Remove most of them so the gaps outnumber the records.
    for (int i = 0; i < n - 10; ++i)
        store.remove(clsComent::keyOf(fromUtf8("C:\\f" + std::to_string(i))));
    EXPECT_EQ(store.count(), 10u);
    std::vector<u16> expected;
    for (int i = n - 9; i < n; i += 2)
        expected.push_back(fromUtf8("C:\\f" + std::to_string(i)));
    for (int i = n - 10; i < n; i += 2)
        expected.push_back(fromUtf8("C:\\f" + std::to_string(i)));
    EXPECT_EQ(pathsInOrder(store), expected);
    for (const u16& p : expected)
        ASSERT_NE(store.find(p), nullptr) << toUtf8(p);
}

void fill(clsComent& record, u16view path, u16view coment)
{
    record.Path = u16(path);
    record.Key = clsComent::keyOf(path);
    record.Coment = u16(coment);
}

TEST(DescriptionStore, spareRecordsFilledInPlaceAreAppendedLikeAnyOther)
{
    DescriptionStore store;
    fill(store.spare(), u"C:\\a.txt", u"a");
    EXPECT_TRUE(store.appendSpare());
    fill(store.spare(), u"c:\\A.TXT", u"again");
    EXPECT_FALSE(store.appendSpare());
    fill(store.spare(), u"C:\\b.txt", u"b");
    EXPECT_TRUE(store.appendSpare());
    EXPECT_EQ(pathsInOrder(store), (std::vector<u16>{u"C:\\a.txt", u"C:\\b.txt"}));
    EXPECT_EQ(store.find(u"C:\\A.txt")->Coment, u"a");
}

TEST(DescriptionStore, clearedRecordsAreReusedButNeverSeenAgain)
{
    DescriptionStore store;
    for (const char16_t* p : {u"C:\\first\\long\\name.txt", u"C:\\2", u"C:\\3"})
        store.append(clsComent(p, u"old text"));
    store.clear();
    EXPECT_TRUE(store.append(clsComent(u"C:\\new", u"n")));
    EXPECT_EQ(store.count(), 1u);
    EXPECT_EQ(pathsInOrder(store), (std::vector<u16>{u"C:\\new"}));
    EXPECT_EQ(store.find(u"C:\\2"), nullptr);
    EXPECT_TRUE(store.append(clsComent(u"C:\\2", u"back")));   // a cleared key is free again
    EXPECT_EQ(store.find(u"C:\\2")->Coment, u"back");

    const DescriptionStore copy = store;
    store.releaseSpares();
    EXPECT_EQ(pathsInOrder(store), (std::vector<u16>{u"C:\\new", u"C:\\2"}));
    EXPECT_EQ(pathsInOrder(copy), pathsInOrder(store));
    EXPECT_EQ(copy.count(), 2u);
    EXPECT_EQ(copy.find(u"C:\\NEW")->Coment, u"n");
}

TEST(DescriptionStore, recordsFiledTogetherKeepOrderAndTheFirstOfEqualKeys)
{
    DescriptionStore store;
    store.append(clsComent(u"C:\\present", u"p"));
    for (const char16_t* p : {u"c:\\b", u"C:\\PRESENT", u"C:\\B", u"C:\\c"}) {
        fill(store.spare(), p, p);
        store.appendSpareUnindexed();
    }
    store.indexAppended();
    EXPECT_EQ(pathsInOrder(store), (std::vector<u16>{u"C:\\present", u"c:\\b", u"C:\\c"}));
    EXPECT_EQ(store.count(), 3u);
    EXPECT_EQ(store.find(u"C:\\Present")->Coment, u"p");
    EXPECT_EQ(store.find(u"C:\\B")->Coment, u"c:\\b");
    EXPECT_TRUE(store.remove(u"C:\\B"));
    EXPECT_TRUE(store.append(clsComent(u"C:\\B", u"moved")));
    EXPECT_EQ(pathsInOrder(store), (std::vector<u16>{u"C:\\present", u"C:\\c", u"C:\\B"}));
}

TEST(DescriptionStore, removingOrAppendingFilesWhatIsPendingFirst)
{
    DescriptionStore store;
    for (const char16_t* p : {u"C:\\a", u"C:\\b"}) {
        fill(store.spare(), p, u"");
        store.appendSpareUnindexed();
    }
    EXPECT_TRUE(store.remove(u"C:\\A"));
    EXPECT_FALSE(store.append(clsComent(u"c:\\b", u"second")));
    EXPECT_EQ(pathsInOrder(store), (std::vector<u16>{u"C:\\b"}));
    EXPECT_EQ(store.count(), 1u);
}

// Filing many records region by region of the index must give the same
// store as appending them one by one, duplicates included.
TEST(DescriptionStore, filingManyRecordsTogetherMatchesAppendingThemOneByOne)
{
    DescriptionStore together, oneByOne;
    for (int i = 0; i < 20000; ++i) {
        const int file = i % 15000;   // the last 5000 repeat earlier keys
        const u16 path = fromUtf8("C:\\dir" + std::to_string(file % 7) + "\\f" + std::to_string(file));
        const u16 coment = fromUtf8(std::to_string(i));
        fill(together.spare(), path, coment);
        together.appendSpareUnindexed();
        oneByOne.append(clsComent(path, coment));
    }
    // Appending indexes what is pending first.
    EXPECT_TRUE(together.append(clsComent(u"C:\\last", u"")));
    oneByOne.append(clsComent(u"C:\\last", u""));
    EXPECT_EQ(together.count(), 15001u);
    std::vector<std::pair<u16, u16>> a, b;
    together.forEach([&](const clsComent& r) { a.emplace_back(r.Path, r.Coment); });
    oneByOne.forEach([&](const clsComent& r) { b.emplace_back(r.Path, r.Coment); });
    EXPECT_EQ(a, b);
    for (int i = 0; i < 15000; i += 97) {
        const u16 path = fromUtf8("C:\\DIR" + std::to_string(i % 7) + "\\F" + std::to_string(i));
        ASSERT_NE(together.find(path), nullptr) << i;
        EXPECT_EQ(together.find(path)->Coment, oneByOne.find(path)->Coment);
    }
}

TEST(DescriptionStore, clearEmptiesEverything)
{
    DescriptionStore store;
    store.append(clsComent(u"C:\\a", u"a"));
    store.clear();
    EXPECT_EQ(store.count(), 0u);
    EXPECT_EQ(store.find(u"C:\\a"), nullptr);
    EXPECT_TRUE(pathsInOrder(store).empty());
}

}
}

#include "desc/DescriptionStore.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

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

INSTANTIATE_TEST_SUITE_P(Paths, clsComentFName, testing::Values(
    FNameCase{u"C:\\DOC\\A.TXT", u"A.TXT"},
    FNameCase{u"A.TXT", u""},
    FNameCase{u"C:\\DOC\\", u""},
    FNameCase{u"C:\\", u""},
    FNameCase{u"", u""},
    FNameCase{u"C:\\資料\\説明 付き.txt", u"説明 付き.txt"}));

// The quick path of keyOf must agree with the platform's full mapping.
class KeyOfAgrees : public testing::TestWithParam<const char16_t*> {};

TEST_P(KeyOfAgrees, withPlatformUpperCase)
{
    EXPECT_EQ(clsComent::keyOf(GetParam()), platform::toUpper(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Texts, KeyOfAgrees, testing::Values(
    u"c:\\doc\\readme.txt", u"C:\\データ\\ファイル一覧.txt", u"d:\\ﾊﾝｶｸ\\abc", u"c:\\ｆｕｌｌ\\ａｂｃ.txt",
    u"c:\\straße\\x", u"c:\\élan\\ÿ", u"c:\\ǆ\\ﬃ", u"", u"~!@#$%^&*()_+{}|:<>?`-=[];',./"));

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

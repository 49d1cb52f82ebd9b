#include "jump/JumpList.h"
#include "tests/jump/JumpListAliases.h"

#include <gtest/gtest.h>

#include <vector>

namespace sorvik {
namespace {

using test::aliases;

JumpList threeEntries()
{
    JumpList list;
    list.append(u"doc", u"C:\\doc\\");
    list.append(u"Work", u"D:\\work\\");
    list.append(u"仕事", u"C:\\仕事\\");
    return list;
}

TEST(clsJump, keyIsTheAliasInUpperCase)
{
    struct Case {
        u16 alias;
        u16 key;
    };
    const Case cases[] = {
        {u"doc", u"DOC"},
        {u"Mixed Case ", u"MIXED CASE "},
        {u"ｄｏｃ", u"ＤＯＣ"},   // full-width letters have upper-case forms too
        {u"äbc", u"ÄBC"},
        {u"仕事", u"仕事"},
        {u"", u""},
    };
    for (const Case& c : cases) {
        clsJump entry(c.alias, u"C:\\x\\");
        EXPECT_EQ(entry.Key, c.key);
        EXPECT_EQ(entry.Alias, c.alias);
        EXPECT_EQ(entry.fPath, u"C:\\x\\");
    }
}

TEST(JumpList, keepsEntriesInTheOrderTheyWereAppended)
{
    JumpList list = threeEntries();
    EXPECT_EQ(list.count(), 3u);
    EXPECT_EQ(aliases(list), (std::vector<u16>{u"doc", u"Work", u"仕事"}));
    EXPECT_EQ(list.at(1).fPath, u"D:\\work\\");
}

TEST(JumpList, refusesAnAliasThatDiffersOnlyInCase)
{
    JumpList list = threeEntries();
    EXPECT_FALSE(list.append(u"DOC", u"C:\\other\\"));
    EXPECT_FALSE(list.append(u"work", u"C:\\other\\"));
    EXPECT_EQ(list.count(), 3u);
    EXPECT_EQ(list.find(u"doc")->fPath, u"C:\\doc\\");
    EXPECT_EQ(list.find(u"doc")->Alias, u"doc");
}

TEST(JumpList, findsAnAliasWhateverItsCase)
{
    JumpList list = threeEntries();
    for (u16view alias : {u"doc", u"DOC", u"dOc"})
        ASSERT_NE(list.find(alias), nullptr) << toUtf8(alias);
    EXPECT_EQ(list.find(u"wORK")->Alias, u"Work");
    EXPECT_EQ(list.find(u"docs"), nullptr);
    EXPECT_EQ(list.find(u""), nullptr);
    EXPECT_TRUE(list.contains(u"仕事"));
}

TEST(JumpList, removesOnlyTheNamedEntry)
{
    JumpList list = threeEntries();
    EXPECT_TRUE(list.remove(u"WORK"));
    EXPECT_EQ(aliases(list), (std::vector<u16>{u"doc", u"仕事"}));
    EXPECT_FALSE(list.remove(u"work"));
    // The entries after the removed one are still found by key.
    EXPECT_EQ(list.find(u"仕事")->fPath, u"C:\\仕事\\");
    EXPECT_TRUE(list.append(u"work", u"C:\\again\\"));
    EXPECT_EQ(aliases(list), (std::vector<u16>{u"doc", u"仕事", u"work"}));
}

TEST(JumpList, renameMovesTheEntryToTheEndAndKeepsItsFolder)
{
    JumpList list = threeEntries();
    EXPECT_TRUE(list.rename(u"DOC", u"papers"));
    EXPECT_EQ(aliases(list), (std::vector<u16>{u"Work", u"仕事", u"papers"}));
    const clsJump* renamed = list.find(u"PAPERS");
    ASSERT_NE(renamed, nullptr);
    EXPECT_EQ(renamed->Key, u"PAPERS");
    EXPECT_EQ(renamed->fPath, u"C:\\doc\\");
    EXPECT_EQ(list.find(u"doc"), nullptr);
}

TEST(JumpList, renameToAnotherCaseOfTheSameAliasIsAllowed)
{
    JumpList list = threeEntries();
    EXPECT_TRUE(list.rename(u"doc", u"DOC"));
    EXPECT_EQ(aliases(list), (std::vector<u16>{u"Work", u"仕事", u"DOC"}));
}

TEST(JumpList, renameRefusesTheKeyOfAnotherEntry)
{
    JumpList list = threeEntries();
    EXPECT_FALSE(list.rename(u"doc", u"work"));
    EXPECT_FALSE(list.rename(u"missing", u"new"));
    EXPECT_EQ(list, threeEntries());
}

TEST(JumpList, comparesAliasesPathsAndOrder)
{
    JumpList a = threeEntries();
    JumpList b = threeEntries();
    EXPECT_EQ(a, b);
    b.rename(u"doc", u"doc");   // same alias, moved to the end
    EXPECT_FALSE(a == b);
    JumpList c;
    c.append(u"doc", u"C:\\elsewhere\\");
    c.append(u"Work", u"D:\\work\\");
    c.append(u"仕事", u"C:\\仕事\\");
    EXPECT_FALSE(a == c);
}

TEST(JumpList, stillFindsEveryEntryOfALongList)
{
    JumpList list;
    for (int i = 0; i < 20000; ++i)
        ASSERT_TRUE(list.append(u"a" + fromUtf8(std::to_string(i)), u"C:\\x\\"));
    EXPECT_FALSE(list.append(u"A19999", u"C:\\y\\"));
    EXPECT_TRUE(list.remove(u"a0"));
    EXPECT_EQ(list.count(), 19999u);
    EXPECT_EQ(list.at(0).Alias, u"a1");
    EXPECT_NE(list.find(u"A19999"), nullptr);
}

// --- two instances: the list another saved, with this one's changes ---

std::vector<std::pair<u16, u16>> entries(const JumpList& list)
{
    std::vector<std::pair<u16, u16>> result;
    for (const clsJump& entry : list)
        result.emplace_back(entry.Alias, entry.fPath);
    return result;
}

using Entries = std::vector<std::pair<u16, u16>>;

TEST(MergeJumpLists, entriesAddedByEachInstanceAreBothKept)
{
    const JumpList origin = threeEntries();
    JumpList mine = origin;
    mine.append(u"mine", u"C:\\mine\\");
    JumpList theirs = origin;
    theirs.append(u"theirs", u"D:\\theirs\\");
    EXPECT_EQ(entries(mergeJumpLists(origin, mine, theirs)),
        (Entries{{u"doc", u"C:\\doc\\"}, {u"Work", u"D:\\work\\"}, {u"仕事", u"C:\\仕事\\"},
            {u"theirs", u"D:\\theirs\\"}, {u"mine", u"C:\\mine\\"}}));
}

TEST(MergeJumpLists, removalsOfEitherStandAndUntouchedEntriesFollowTheFile)
{
    const JumpList origin = threeEntries();
    JumpList mine = origin;
    mine.remove(u"doc");
    JumpList theirs = origin;
    theirs.remove(u"Work");
    EXPECT_EQ(entries(mergeJumpLists(origin, mine, theirs)), (Entries{{u"仕事", u"C:\\仕事\\"}}));
}

TEST(MergeJumpLists, nothingChangedHereGivesTheFileAsItIs)
{
    const JumpList origin = threeEntries();
    JumpList theirs = origin;
    theirs.rename(u"doc", u"papers");
    theirs.append(u"new", u"C:\\new\\");
    EXPECT_EQ(mergeJumpLists(origin, origin, theirs), theirs);
    EXPECT_EQ(mergeJumpLists(origin, origin, JumpList{}), JumpList{}) << "the other removed them all";
}

TEST(MergeJumpLists, aRenameHereMovesTheEntryToTheEndAndWinsOverTheOthersChange)
{
    const JumpList origin = threeEntries();
    JumpList mine = origin;
    mine.rename(u"Work", u"job");
    JumpList theirs;
    theirs.append(u"doc", u"C:\\doc\\");
    theirs.append(u"WORK", u"E:\\moved\\");   // changed by the other
    theirs.append(u"仕事", u"C:\\仕事\\");
    EXPECT_EQ(entries(mergeJumpLists(origin, mine, theirs)),
        (Entries{{u"doc", u"C:\\doc\\"}, {u"仕事", u"C:\\仕事\\"}, {u"job", u"D:\\work\\"}}));
}

TEST(MergeJumpLists, anAliasBothRegisteredTakesThisInstancesFolder)
{
    const JumpList origin;
    JumpList mine;
    mine.append(u"music", u"D:\\music\\");
    JumpList theirs;
    theirs.append(u"Music", u"E:\\songs\\");
    theirs.append(u"docs", u"C:\\docs\\");
    EXPECT_EQ(
        entries(mergeJumpLists(origin, mine, theirs)), (Entries{{u"docs", u"C:\\docs\\"}, {u"music", u"D:\\music\\"}}));
}

TEST(MergeJumpLists, aRegistrationUndoneHereChangesNothing)
{
    const JumpList origin = threeEntries();
    JumpList mine = origin;
    mine.append(u"tmp", u"C:\\tmp\\");
    mine.remove(u"tmp");
    JumpList theirs = origin;
    theirs.append(u"tmp", u"D:\\tmp\\");
    EXPECT_EQ(mergeJumpLists(origin, mine, theirs), theirs);
}

}
}

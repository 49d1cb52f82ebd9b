#include "jump/JumpFolders.h"
#include "platform/KeyCodes.h"
#include "platform/Ui.h"
#include "tests/jump/JumpListAliases.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace sorvik {
namespace {

using test::aliases;

TEST(JumpFolders, defaultAliasIsTheLastFolderName)
{
    struct Case {
        u16 dir;
        u16 alias;
    };
    const Case cases[] = {
        {u"C:\\WORK\\DOC\\", u"DOC"}, {u"C:\\work\\", u"work"}, {u"C:\\", u"C:"}, {u"D:\\仕事\\文書 2\\", u"文書 2"},
        {u"C:\\a\\b", u"b"},   // without the trailing "\" too
    };
    for (const Case& c : cases)
        EXPECT_EQ(defaultAlias(c.dir), c.alias) << toUtf8(c.dir);
}

TEST(JumpFolders, aliasWithACommaIsRefused)
{
    EXPECT_EQ(aliasRefusal(u"doc"), std::nullopt);
    EXPECT_EQ(aliasRefusal(u"my docs [old]"), std::nullopt);
    EXPECT_EQ(aliasRefusal(u"a,b"), u"名前に[,]が有ります");
    EXPECT_EQ(aliasRefusal(u","), u"名前に[,]が有ります");
}

TEST(JumpFolders, registeringAnAliasTwiceRemovesItAndAThirdTimeAddsItAtTheEnd)
{
    JumpList list;
    EXPECT_EQ(registerJump(list, u"doc", u"C:\\doc\\"), Registration::Added);
    EXPECT_EQ(registerJump(list, u"work", u"C:\\work\\"), Registration::Added);
    EXPECT_EQ(registerJump(list, u"DOC", u"C:\\other\\"), Registration::Removed);
    EXPECT_EQ(aliases(list), (std::vector<u16>{u"work"}));
    EXPECT_EQ(registerJump(list, u"Doc", u"C:\\other\\"), Registration::Added);
    EXPECT_EQ(aliases(list), (std::vector<u16>{u"work", u"Doc"}));
    EXPECT_EQ(list.find(u"doc")->fPath, u"C:\\other\\");
}

TEST(JumpFolders, renameMovesTheEntryToTheEndWithItsFolder)
{
    JumpList list;
    list.append(u"doc", u"C:\\doc\\");
    list.append(u"work", u"C:\\work\\");
    EXPECT_EQ(renameJump(list, u"doc", u"papers"), std::nullopt);
    EXPECT_EQ(aliases(list), (std::vector<u16>{u"work", u"papers"}));
    EXPECT_EQ(list.find(u"PAPERS")->fPath, u"C:\\doc\\");
    EXPECT_EQ(renameJump(list, u"papers", u"Papers"), std::nullopt) << "its own alias in another case";
    EXPECT_EQ(list.find(u"papers")->Alias, u"Papers");
}

TEST(JumpFolders, renameOntoAnotherEntrysAliasIsRefusedAndLosesNothing)
{
    JumpList list;
    list.append(u"doc", u"C:\\doc\\");
    list.append(u"work", u"C:\\work\\");
    const JumpList before = list;
    EXPECT_EQ(renameJump(list, u"doc", u"WORK"), u"WORK は登録済みです");
    EXPECT_EQ(list, before);
    EXPECT_EQ(renameJump(list, u"doc", u"d,oc"), u"名前に[,]が有ります");
    EXPECT_EQ(list, before);
}

TEST(JumpFolders, GetLisIXSelectsTheFirstMatchingLineAfterTheSelection)
{
    const std::vector<u16> lines = {u"Apple", u"bank", u"Berry", u"Avocado", u"2024", u"Blue", u"かな"};
    const int A = keys::letter('A'), B = keys::letter('B'), K = keys::letter('K');
    struct Case {
        int selected;
        int key;
        int expected;
    };
    const Case cases[] = {
        {0, A, 3},   // the next A after the selected one
        {3, A, 0},   // wraps round
        {2, B, 5},   // "bank" starts with a small letter
        {5, B, 2},
        {0, keys::kDigit0 + 2, 4},
        {4, keys::kDigit0 + 2, 4},   // the selected line is looked at last
        {1, K, 1},                   // no match: the selection stays
        {-1, B, 2},                  // nothing selected: from the first line
        {-1, K, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetLisIX(lines, c.selected, c.key), c.expected) << c.selected << " " << c.key;
}

TEST(JumpFolders, GetLisIXIgnoresKeysThatAreNoDigitOrLetterAndEmptyLists)
{
    const std::vector<u16> lines = {u"Apple", u" Apple", u""};
    EXPECT_EQ(GetLisIX(lines, 1, keys::kSpace), 1);
    EXPECT_EQ(GetLisIX(lines, 1, keys::kEnter), 1);
    EXPECT_EQ(GetLisIX(lines, 1, keys::letter('A')), 0);
    EXPECT_EQ(GetLisIX({}, -1, keys::letter('A')), -1);
}

class GoToFolderTest : public testing::Test {
protected:
    void SetUp() override { platform::setUi(&ui); }
    void TearDown() override { platform::setUi(nullptr); }

    std::function<bool(u16view)> shower(const std::vector<u16>& reachable)
    {
        return [this, reachable](u16view folder) {
            shown.emplace_back(folder);
            return std::find(reachable.begin(), reachable.end(), u16(folder)) != reachable.end();
        };
    }

    platform::ScriptedUi ui;
    std::vector<u16> shown;
};

TEST_F(GoToFolderTest, showsAFolderThatExists)
{
    EXPECT_TRUE(GoToFolder(u"D:\\music\\", u"C:\\prog\\", shower({u"D:\\music\\"})));
    EXPECT_EQ(shown, (std::vector<u16>{u"D:\\music\\"}));
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(GoToFolderTest, aFolderThatIsGoneFallsBackToTheProgramDirectoryWithTheMessage)
{
    EXPECT_FALSE(GoToFolder(u"C:\\gone\\", u"C:\\prog\\", shower({u"C:\\prog\\"})));
    EXPECT_EQ(shown, (std::vector<u16>{u"C:\\gone\\", u"C:\\prog\\"}));
    EXPECT_EQ(ui.messages(), (std::vector<u16>{u"パスが見つかりません"}));
}

TEST_F(GoToFolderTest, aPathWithoutADriveIsNotTriedAtAll)
{
    for (u16view path : {u"", u"C:", u"work\\", u"\\\\server\\share\\", u"1:\\x\\"}) {
        shown.clear();
        ui.clear();
        EXPECT_FALSE(GoToFolder(path, u"C:\\prog\\", shower({u16(path), u"C:\\prog\\"}))) << toUtf8(path);
        EXPECT_EQ(shown, (std::vector<u16>{u"C:\\prog\\"})) << toUtf8(path);
        EXPECT_EQ(ui.messages().size(), 1u);
    }
}

}
}

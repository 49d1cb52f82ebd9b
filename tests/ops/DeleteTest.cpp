#include "ops/Delete.h"
#include "tests/ops/OpsFixture.h"

#include <cerrno>

namespace sorvik {
namespace {

class DeleteTest : public test::OpsFixture {};

TEST_F(DeleteTest, markedFilesTakeOneQuestionAndShortcutsAreRefusedByName)
{
    file(u"C:\\work\\shortcut.LnK", "link");
    file(u"C:\\work\\a.txt", "a");
    file(u"C:\\work\\b.txt", "b");
    load();
    mark(u"shortcut.LnK");
    mark(u"a.txt");
    ui = platform::ScriptedUi({true});
    EXPECT_EQ(DeleteFiles(*model), CommandResult::Failed);
    EXPECT_EQ(ui.questions(), std::vector<u16>{u"選択したﾌｧｲﾙを削除しますか？"});
    EXPECT_EQ(ui.messages(),
        std::vector<u16>{u"C:\\work\\shortcut.LnK"
                         u"は削除できません"});
    EXPECT_FALSE(drives.exists(u"C:\\work\\a.txt"));
    EXPECT_TRUE(drives.exists(u"C:\\work\\shortcut.LnK"));
    EXPECT_TRUE(drives.exists(u"C:\\work\\b.txt")) << "unmarked files stay";
    EXPECT_EQ(model->Grid1.fileCount(), 2) << "the table was refreshed";
}

TEST_F(DeleteTest, theDefaultAnswerDeletesNothing)
{
    file(u"C:\\work\\a.txt", "a");
    file(u"C:\\work\\b.txt", "b");
    load();
    cursorOn(u"b.txt");
    DeleteFiles(*model);   // the script is empty: each question takes its default
    ASSERT_EQ(ui.questions().size(), 1u);
    EXPECT_EQ(ui.questions()[0], u"C:\\work\\b.txt 削除しますか？");
    mark(u"a.txt");
    DeleteFiles(*model);
    EXPECT_TRUE(drives.exists(u"C:\\work\\a.txt"));
    EXPECT_TRUE(drives.exists(u"C:\\work\\b.txt"));
}

TEST_F(DeleteTest, dataFilesAreRefusedWithoutAQuestion)
{
    file(u"C:\\work\\黑黑黑黑.ini", "settings");
    file(u"C:\\work\\黑黑黑whatever", "x");
    load();
    cursorOn(u"黑黑黑黑.ini");
    DeleteFiles(*model);
    cursorOn(u"黑黑黑whatever");
    DeleteFiles(*model);
    EXPECT_TRUE(ui.questions().empty());
    EXPECT_EQ(ui.messages(),
        (std::vector<u16>{u"C:\\work\\黑黑黑黑.iniは削除できません", u"C:\\work\\黑黑黑whateverは削除できません"}));
    EXPECT_TRUE(drives.exists(u"C:\\work\\黑黑黑黑.ini"));
}

TEST_F(DeleteTest, theTrailingRowDeletesNothingWithoutMarksAndTheMarkedFilesWithThem)
{
    file(u"C:\\work\\a.txt", "a");
    file(u"C:\\work\\b.txt", "b");
    load();
    model->Grid1.setCursor(3, 0);
    DeleteFiles(*model);
    EXPECT_TRUE(ui.questions().empty());
    mark(u"b.txt");
    model->Grid1.setCursor(3, 0);
    ui = platform::ScriptedUi({true});
    DeleteFiles(*model);
    EXPECT_FALSE(drives.exists(u"C:\\work\\b.txt"));
    EXPECT_TRUE(drives.exists(u"C:\\work\\a.txt"));
    EXPECT_EQ(model->Grid1.row(), 2) << "the cursor keeps its row number, now the trailing row";
}

TEST_F(DeleteTest, failuresAreToldWithTheirReasonAndTheRestGoesOn)
{
    file(u"C:\\work\\a.txt", "a");
    file(u"C:\\work\\locked.txt", "l");
    file(u"C:\\work\\z.txt", "z");
    ASSERT_TRUE(drives.fs().setAttributes(u"C:\\work\\locked.txt", platform::kAttrReadOnly));
    load();
    mark(u"a.txt");
    mark(u"locked.txt");
    mark(u"z.txt");
    faults.failAt(platform::FsCall::Unlink, 1, EACCES, "/a.txt");
    drives.fs().setFaults(&faults);
    ui = platform::ScriptedUi({true});
    EXPECT_EQ(DeleteFiles(*model), CommandResult::Failed);
    EXPECT_EQ(ui.messages(),
        (std::vector<u16>{u"C:\\work\\a.txtを削除できません\r\nアクセスが拒否されました",
            u"C:\\work\\locked.txtを削除できません\r\n読み取り専用です"}));
    EXPECT_TRUE(drives.exists(u"C:\\work\\a.txt"));
    EXPECT_TRUE(drives.exists(u"C:\\work\\locked.txt"));
    EXPECT_FALSE(drives.exists(u"C:\\work\\z.txt"));
}

TEST_F(DeleteTest, aVanishedFileIsToldAndDescriptionsStay)
{
    file(u"C:\\work\\a.txt", "a");
    load();
    model->ComentSet(u"C:\\work\\a.txt", u"残る説明");
    cursorOn(u"a.txt");
    std::remove(drives.host(u"C:\\work\\a.txt").c_str());
    ui = platform::ScriptedUi({true});
    DeleteFiles(*model);
    EXPECT_EQ(ui.messages(), std::vector<u16>{u"C:\\work\\a.txtを削除できません\r\nファイルが見つかりません"});
    EXPECT_NE(model->descriptions.lookup(u"C:\\work\\a.txt"), nullptr);
}

}
}

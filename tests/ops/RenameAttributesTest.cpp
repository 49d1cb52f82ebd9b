#include "ops/Attributes.h"
#include "ops/Rename.h"
#include "tests/ops/OpsFixture.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace sorvik {
namespace {

class RenameTest : public test::OpsFixture {};

TEST_F(RenameTest, theDescriptionMovesWithTheFile)
{
    file(u"C:\\work\\a.txt", "a");
    load();
    model->ComentSet(u"C:\\work\\a.txt", u"説明");
    EXPECT_EQ(renameInCurrentDir(*model, u"a.txt", u"b.txt"), CommandResult::Done);
    EXPECT_EQ(drives.readBytes(u"C:\\work\\b.txt"), "a");
    EXPECT_FALSE(drives.exists(u"C:\\work\\a.txt"));
    EXPECT_EQ(model->descriptions.lookup(u"C:\\work\\a.txt"), nullptr);
    ASSERT_NE(model->descriptions.lookup(u"C:\\work\\b.txt"), nullptr);
    EXPECT_EQ(model->Grid1.fileName(1), u"b.txt") << "refreshed";
}

TEST_F(RenameTest, theUnchangedNameMovesTheDescriptionToTheEndAndRefreshes)
{
    file(u"C:\\work\\a.txt", "a");
    file(u"C:\\work\\b.txt", "b");
    load();
    model->ComentSet(u"C:\\work\\a.txt", u"説明 a");
    model->ComentSet(u"C:\\work\\b.txt", u"説明 b");
    model->descriptions.ComentsChanged = false;
    file(u"C:\\work\\c.txt", "c");   // appears with the refresh
    EXPECT_EQ(renameInCurrentDir(*model, u"a.txt", u"a.txt"), CommandResult::Done);
    EXPECT_EQ(drives.readBytes(u"C:\\work\\a.txt"), "a");
    std::vector<u16> order;
    model->descriptions.store().forEach([&](const clsComent& c) {
        if (c.Path.starts_with(u"C:\\work\\"))   // the program's own files have built-in records
            order.push_back(c.Path);
    });
    EXPECT_EQ(order, (std::vector<u16>{u"C:\\work\\b.txt", u"C:\\work\\a.txt"}));
    ASSERT_NE(model->descriptions.lookup(u"C:\\work\\a.txt"), nullptr);
    EXPECT_EQ(*model->descriptions.lookup(u"C:\\work\\a.txt"), u"説明 a");
    EXPECT_TRUE(model->descriptions.ComentsChanged);
    EXPECT_EQ(model->Grid1.fileCount(), 3) << "refreshed";
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(RenameTest, anExistingNameIsRefusedAndNothingMoves)
{
    file(u"C:\\work\\a.txt", "a");
    file(u"C:\\work\\b.txt", "b");
    load();
    model->ComentSet(u"C:\\work\\a.txt", u"説明 a");
    EXPECT_EQ(renameInCurrentDir(*model, u"a.txt", u"b.txt"), CommandResult::Failed);
    EXPECT_EQ(ui.messages(),
        std::vector<u16>{u"C:\\work\\a.txtの名前をb.txtに変更できません\r\n同じ名前のファイルがあります"});
    EXPECT_EQ(drives.readBytes(u"C:\\work\\b.txt"), "b");
    EXPECT_EQ(drives.readBytes(u"C:\\work\\a.txt"), "a");
    ASSERT_NE(model->descriptions.lookup(u"C:\\work\\a.txt"), nullptr) << "the description stays with the file";
}

TEST_F(RenameTest, aCaseOnlyRenameWorks)
{
    file(u"C:\\work\\readme.txt", "r");
    load();
    EXPECT_EQ(renameInCurrentDir(*model, u"readme.txt", u"README.TXT"), CommandResult::Done);
    EXPECT_EQ(drives.readBytes(u"C:\\work\\README.TXT"), "r");
#ifdef _WIN32
    // Windows finds the file under either spelling; the entry has the new one.
    EXPECT_EQ(drives.allNames(u"C:\\work"), std::vector<std::string>{"README.TXT"});
#else
    EXPECT_FALSE(drives.exists(u"C:\\work\\readme.txt"));
#endif
}

TEST_F(RenameTest, namesAFileNameCannotHoldAreRefused)
{
    file(u"C:\\work\\a.txt", "a");
    load();
    for (const char16_t* bad :
        {u"", u"..", u"x\\y", u"x/y", u"a:b", u"a*b", u"a?b", u"a|b", u"a<b", u"a>b", u"a\"b", u"a\tb"}) {
        ui.clear();
        EXPECT_EQ(renameInCurrentDir(*model, u"a.txt", bad), CommandResult::Failed) << toUtf8(bad);
        EXPECT_EQ(ui.messages().size(), 1u);
    }
    EXPECT_EQ(hostNames(u"C:\\work"), std::vector<std::string>{"a.txt"});
}

class AttributesTest : public test::OpsFixture {
protected:
    // Wine keeps the archive bit on every file; Windows itself clears it.
    static bool underWine()
    {
#ifdef _WIN32
        const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
#else
        return false;
#endif
    }
};

TEST_F(AttributesTest, presetShowsTheFourBitsOfTheFile)
{
    file(u"C:\\work\\a.txt", "a");
    ASSERT_TRUE(drives.fs().setAttributes(u"C:\\work\\a.txt", platform::kAttrReadOnly | platform::kAttrArchive));
    load();
    cursorOn(u"a.txt");
    const u16 path = attributePath(*model);
    EXPECT_EQ(path, u"C:\\work\\a.txt");
    EXPECT_EQ(presetAttributes(*model, path), 33u);
    EXPECT_EQ(applyAttributes(*model, path, 33), CommandResult::Done);
    EXPECT_EQ(*drives.fs().attributes(path) & 0x37, 33u) << "unchanged";
}

TEST_F(AttributesTest, exactlyTheChosenBitsAreWrittenAndTheCellRewrittenInPlace)
{
    file(u"C:\\work\\a.txt", "a");
    file(u"C:\\work\\b.txt", "b");
    ASSERT_TRUE(drives.fs().setAttributes(u"C:\\work\\a.txt", platform::kAttrReadOnly | platform::kAttrArchive));
    load();
    cursorOn(u"a.txt");
    const u16 path = attributePath(*model);
    EXPECT_EQ(applyAttributes(*model, path, 0), CommandResult::Done);
    if (underWine() && (*drives.fs().attributes(path) & 0x37) == platform::kAttrArchive)
        GTEST_SKIP() << "this file system sets the archive attribute on every file (Wine), so no file can be left "
                        "with none of the bits";
    EXPECT_EQ(*drives.fs().attributes(path) & 0x37, 0u);
    EXPECT_EQ(applyAttributes(*model, path, platform::kAttrReadOnly | platform::kAttrHidden | platform::kAttrSystem),
        CommandResult::Done);
    rewriteAttributeCell(*model, path);
    EXPECT_EQ(model->Grid1.cell(rowOf(u"a.txt"), 1), u"RHS");
    EXPECT_EQ(model->Grid1.col(), 0);
    EXPECT_EQ(model->Grid1.fileCount(), 2) << "the row stays until the next refresh";
}

TEST_F(AttributesTest, aFileThatVanishedIsToldAndNotChanged)
{
    file(u"C:\\work\\a.txt", "a");
    load();
    cursorOn(u"a.txt");
    std::remove(drives.host(u"C:\\work\\a.txt").c_str());
    EXPECT_EQ(presetAttributes(*model, u"C:\\work\\a.txt"), std::nullopt);
    EXPECT_EQ(applyAttributes(*model, u"C:\\work\\a.txt", 1), CommandResult::Failed);
    ASSERT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(ui.messages()[1], u"C:\\work\\a.txtの属性を変更できません\r\nファイルが見つかりません");
}

}
}

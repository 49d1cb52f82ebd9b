// Names that differ only in letter case are one name on Windows and one key
// of the description store; the commands treat them so on any disk.

#include "ops/CopyMove.h"
#include "ops/Rename.h"
#include "platform/DateFormat.h"
#include "tests/ops/OpsFixture.h"

namespace sorvik {
namespace {

class LetterCaseTest : public test::OpsFixture {
protected:
    CommandOutcome run(OverwriteRule rule, Operation op = Operation::Copy)
    {
        CopyMoveRun run(*model, op);
        return run.CopyMarkedOrCurrent(u"C:\\work\\", u"C:\\dest\\", rule);
    }
    // The record's path as stored, empty when there is none.
    u16 storedPath(const u16& path) const
    {
        const clsComent* record = model->descriptions.store().find(path);
        return record ? record->Path : u16();
    }
    u16 description(const u16& path) const
    {
        const u16* text = model->descriptions.lookup(path);
        return text ? *text : u16(u"<none>");
    }
};

TEST_F(LetterCaseTest, copyOntoANameThatDiffersInCaseReplacesThatFileUnderItsOwnName)
{
    file(u"C:\\work\\a.txt", "small a", 2019);
    file(u"C:\\dest\\A.TXT", "capital A", 2022);
    load();
    model->ComentSet(u"C:\\dest\\A.TXT", u"capital's own");
    mark(u"a.txt");
    describe(u"a.txt", u"small's");

    EXPECT_EQ(run(OverwriteRule::ReplaceAlways), CommandResult::Done);
    EXPECT_EQ(drives.allNames(u"C:\\dest"), std::vector<std::string>{"A.TXT"}) << "no second file beside it";
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\A.TXT"), "small a");
    EXPECT_EQ(description(u"C:\\dest\\A.TXT"), u"small's") << "the description went with the content";
    EXPECT_EQ(storedPath(u"C:\\dest\\a.txt"), u"C:\\dest\\A.TXT") << "under the name the file has";
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(LetterCaseTest, theOverwriteRuleComparesWithTheFileThatDiffersInCase)
{
    file(u"C:\\work\\a.txt", "small a", 2019);
    file(u"C:\\work\\b.txt", "small b", 2023);
    file(u"C:\\dest\\A.TXT", "capital A", 2022);
    file(u"C:\\dest\\B.txt", "capital B", 2022);
    load();
    mark(u"a.txt");
    mark(u"b.txt");
    EXPECT_EQ(run(OverwriteRule::ReplaceIfNewer), CommandResult::Done);
    EXPECT_EQ(drives.allNames(u"C:\\dest"), (std::vector<std::string>{"A.TXT", "B.txt"}));
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\A.TXT"), "capital A") << "newer: kept";
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\B.txt"), "small b") << "older: replaced";
    EXPECT_TRUE(ui.questions().empty());
}

TEST_F(LetterCaseTest, theCurrentEntryAsksWithTheDateOfTheFileThatDiffersInCase)
{
    file(u"C:\\work\\a.txt", "small a", 2019);
    file(u"C:\\dest\\A.TXT", "capital A", 2022);
    load();
    cursorOn(u"a.txt");
    ui = platform::ScriptedUi({false});
    run(OverwriteRule::ReplaceIfNewer);
    ASSERT_EQ(ui.questions().size(), 1u);
    const auto dS = drives.fs().fileInfo(u"C:\\work\\a.txt")->lastWrite;
    const auto dD = drives.fs().fileInfo(u"C:\\dest\\A.TXT")->lastWrite;
    EXPECT_EQ(ui.questions()[0], overwriteQuestion(dS, dD));
    EXPECT_EQ(drives.allNames(u"C:\\dest"), std::vector<std::string>{"A.TXT"});
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\A.TXT"), "capital A");
}

TEST_F(LetterCaseTest, moveOntoANameThatDiffersInCaseReplacesThatFile)
{
    file(u"C:\\work\\Report.doc", "new report", 2023);
    file(u"C:\\dest\\REPORT.DOC", "old report", 2020);
    load();
    cursorOn(u"Report.doc");
    EXPECT_EQ(run(OverwriteRule::ReplaceIfNewer, Operation::Move), CommandResult::Done);
    EXPECT_EQ(drives.allNames(u"C:\\dest"), std::vector<std::string>{"REPORT.DOC"});
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\REPORT.DOC"), "new report");
    EXPECT_FALSE(drives.exists(u"C:\\work\\Report.doc"));
}

TEST_F(LetterCaseTest, aNameNoFileHoldsInAnyCaseIsCopiedAsItIs)
{
    file(u"C:\\work\\a.txt", "a");
    file(u"C:\\dest\\ab.TXT", "other");
    load();
    mark(u"a.txt");
    EXPECT_EQ(run(OverwriteRule::ReplaceIfNewer), CommandResult::Done);
    EXPECT_EQ(drives.allNames(u"C:\\dest"), (std::vector<std::string>{"a.txt", "ab.TXT"}));
}

#ifndef _WIN32
// Only a case-sensitive disk holds both; copied together, the second meets
// the first as its destination, as the two would on Windows.
TEST_F(LetterCaseTest, twoSourcesThatDifferOnlyInCaseBecomeOneDestination)
{
    file(u"C:\\work\\a.txt", "small", 2020);
    file(u"C:\\work\\A.TXT", "capital", 2021);
    load();
    mark(u"a.txt");
    mark(u"A.TXT");
    EXPECT_EQ(run(OverwriteRule::ReplaceIfNewer), CommandResult::Done);
    const std::vector<std::string> names = drives.allNames(u"C:\\dest");
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\" + fromUtf8(names[0])), "capital") << "the newer one";
}
#endif

TEST_F(LetterCaseTest, renameOntoANameAnotherFileHoldsInAnotherCaseIsRefused)
{
    file(u"C:\\work\\a.txt", "a");
    file(u"C:\\work\\b.txt", "b");
    load();
    model->ComentSet(u"C:\\work\\a.txt", u"説明 a");
    model->ComentSet(u"C:\\work\\b.txt", u"説明 b");
    EXPECT_EQ(renameInCurrentDir(*model, u"a.txt", u"B.TXT"), CommandResult::Failed);
    EXPECT_EQ(ui.messages(),
        std::vector<u16>{u"C:\\work\\a.txtの名前をB.TXTに変更できません\r\n同じ名前のファイルがあります"});
    EXPECT_EQ(drives.allNames(u"C:\\work"), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(description(u"C:\\work\\a.txt"), u"説明 a");
    EXPECT_EQ(description(u"C:\\work\\b.txt"), u"説明 b");
    EXPECT_EQ(storedPath(u"C:\\work\\b.txt"), u"C:\\work\\b.txt");
}

TEST_F(LetterCaseTest, aCaseOnlyRenameOfTheFileItselfWorksAndKeepsItsDescription)
{
    file(u"C:\\work\\a.txt", "a");
    file(u"C:\\work\\b.txt", "b");
    load();
    model->ComentSet(u"C:\\work\\a.txt", u"説明 a");
    EXPECT_EQ(renameInCurrentDir(*model, u"a.txt", u"A.Txt"), CommandResult::Done);
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(drives.readBytes(u"C:\\work\\A.Txt"), "a");
    EXPECT_EQ(description(u"C:\\work\\A.Txt"), u"説明 a");
    EXPECT_EQ(storedPath(u"C:\\work\\a.txt"), u"C:\\work\\A.Txt");
}

}
}

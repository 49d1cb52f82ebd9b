#include "desc/DescriptionFile.h"
#include "ops/CopyMove.h"
#include "ops/Delete.h"
#include "ops/Rename.h"
#include "platform/Paths.h"
#include "tests/ops/OpsFixture.h"
#include "tests/support/ExtremeFiles.h"

#include <algorithm>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvik {
namespace {

using platform::ErrorKind;

const u16 kBadNameReason = platform::reasonText({ErrorKind::BadName, 0});

class ExtremeInputsTest : public test::OpsFixture {
protected:
    CommandOutcome copyMarked(Operation op, u16view from, u16view to)
    {
        CopyMoveRun run(*model, op);
        return run.CopyMarkedOrCurrent(from, to, OverwriteRule::ReplaceIfNewer);
    }
    std::string hostOf(const u16& winPath) const { return drives.host(winPath); }
    std::vector<u16> rows() const { return test::fileNamesOf(model->Grid1); }
    // Nested directories under `base` until the host path is `hostLength`
    // bytes long; the Windows path of the deepest.
    u16 deepDirectory(u16 base, std::size_t hostLength)
    {
        u16 dir = std::move(base);
        while (hostOf(dir).size() < hostLength) {
            const std::size_t room = hostLength - hostOf(dir).size() - 1;
            // Components of at most 200 bytes; never leave a gap of one byte
            // too few for a separator and a name.
            std::size_t part = std::min<std::size_t>(room, 200);
            if (room > 200 && room - part < 2)
                part = room - 2;
            dir += u"\\" + u16(part, u'd');
            EXPECT_TRUE(drives.fs().createDirectory(dir)) << hostOf(dir).size();
        }
        EXPECT_EQ(hostOf(dir).size(), hostLength);
        return dir;
    }
    static std::vector<std::string> hostNamesSorted(std::vector<std::string> names)
    {
        std::sort(names.begin(), names.end());
        return names;
    }
    void saveDescriptions() { model->descriptions.LocalComentSave(AddBackslash(model->descriptions.DescriptionDir)); }
    std::string centralBytes() const { return drives.readBytes(model->descriptions.centralFile()); }
};

// --- names longer than the host takes ---

TEST_F(ExtremeInputsTest, renameToA10000CharacterNameIsRefusedWithTheFileAndTheReason)
{
    file(u"C:\\work\\a.txt", "data");
    load();
    model->ComentSet(u"C:\\work\\a.txt", u"説明");
    const u16 longName(10000, u'n');
    EXPECT_EQ(renameInCurrentDir(*model, u"a.txt", longName), CommandResult::Failed);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0], u"C:\\work\\a.txtの名前を" + longName + u"に変更できません\r\n" + kBadNameReason);
    EXPECT_EQ(drives.readBytes(u"C:\\work\\a.txt"), "data");
    EXPECT_EQ(hostNames(u"C:\\work"), std::vector<std::string>{"a.txt"});
    ASSERT_NE(model->descriptions.lookup(u"C:\\work\\a.txt"), nullptr) << "the description stays with the file";
    EXPECT_EQ(model->descriptions.lookup(u"C:\\work\\" + longName), nullptr);
}

TEST_F(ExtremeInputsTest, namesUpTo255BytesAreTakenAndOneByteMoreIsRefused)
{
    file(u"C:\\work\\a.txt", "data");
    load();
    const u16 ascii255(255, u'x');
    const u16 kana85(85, u'あ');   // 3 bytes each in UTF-8: 255
    EXPECT_EQ(renameInCurrentDir(*model, u"a.txt", ascii255), CommandResult::Done);
    EXPECT_EQ(rows(), std::vector<u16>{ascii255});
    EXPECT_EQ(renameInCurrentDir(*model, ascii255, kana85), CommandResult::Done);
    EXPECT_EQ(rows(), std::vector<u16>{kana85});
    EXPECT_TRUE(ui.messages().empty());

    EXPECT_EQ(renameInCurrentDir(*model, kana85, kana85 + u"あ"), CommandResult::Failed);
    EXPECT_EQ(renameInCurrentDir(*model, kana85, u16(256, u'x')), CommandResult::Failed);
    EXPECT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(drives.readBytes(u"C:\\work\\" + kana85), "data");
    EXPECT_EQ(rows(), std::vector<u16>{kana85});
}

TEST_F(ExtremeInputsTest, copyOrMoveToA10000CharacterNameFailsByNameAndKeepsTheSource)
{
    file(u"C:\\work\\a.txt", "data");
    load();
    const u16 longName(10000, u'n');
    for (Operation op : {Operation::Copy, Operation::Move}) {
        CopyMoveRun run(*model, op);
        EXPECT_FALSE(run.CopyOneFile(u"C:\\work\\a.txt", u"C:\\dest\\" + longName, OverwriteRule::ReplaceAlways));
        ASSERT_EQ(run.failures().size(), 1u);
        EXPECT_EQ(run.failures()[0].name, u"a.txt");
        EXPECT_EQ(run.failures()[0].error.kind, ErrorKind::BadName);
        EXPECT_EQ(drives.readBytes(u"C:\\work\\a.txt"), "data");
        EXPECT_TRUE(hostNames(u"C:\\dest").empty()) << "no file and no temporary left";
    }

    // Through the loop: a destination directory whose name is too long.
    cursorOn(u"a.txt");
    EXPECT_EQ(copyMarked(Operation::Move, u"C:\\work\\", u"C:\\dest\\" + longName + u"\\"), CommandResult::Failed);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0], u"次のﾌｧｲﾙを移動できませんでした\r\na.txt : " + kBadNameReason);
    EXPECT_EQ(drives.readBytes(u"C:\\work\\a.txt"), "data");
}

// --- paths longer than 260 characters, up to the host's longest ---

TEST_F(ExtremeInputsTest, everyOperationWorksUnderAPathLongerThan260Characters)
{
    const u16 deep = deepDirectory(u"C:\\work", hostOf(u"C:\\work").size() + 400);
    ASSERT_GT(deep.size(), 260u);
    const u16 deepDest = deepDirectory(u"C:\\dest", hostOf(u"C:\\dest").size() + 400);
    file(deep + u"\\a.txt", "a data");
    file(deep + u"\\b.txt", "b data");
    file(deep + u"\\c.txt", "c data");
    loadModel(deep);
    ASSERT_EQ(model->CurrentDir, deep + u"\\");
    EXPECT_EQ(rows(), (std::vector<u16>{u"a.txt", u"b.txt", u"c.txt"}));
    EXPECT_EQ(model->Grid1.cell(1, 3), u"6 ");

    model->ComentSet(deep + u"\\a.txt", u"深い説明");
    describe(u"a.txt", u"深い説明");
    mark(u"a.txt");
    EXPECT_EQ(copyMarked(Operation::Copy, model->CurrentDir, deepDest + u"\\"), CommandResult::Done);
    EXPECT_EQ(drives.readBytes(deepDest + u"\\a.txt"), "a data");
    ASSERT_NE(model->descriptions.lookup(deepDest + u"\\a.txt"), nullptr);
    EXPECT_EQ(*model->descriptions.lookup(deepDest + u"\\a.txt"), u"深い説明");

    model->RefreshFileTable(u'n');
    mark(u"b.txt");
    EXPECT_EQ(copyMarked(Operation::Move, model->CurrentDir, deepDest + u"\\"), CommandResult::Done);
    EXPECT_EQ(drives.readBytes(deepDest + u"\\b.txt"), "b data");
    EXPECT_FALSE(drives.exists(deep + u"\\b.txt"));

    model->RefreshFileTable(u'n');
    EXPECT_EQ(renameInCurrentDir(*model, u"c.txt", u"renamed.txt"), CommandResult::Done);
    EXPECT_EQ(drives.readBytes(deep + u"\\renamed.txt"), "c data");
    EXPECT_EQ(rows(), (std::vector<u16>{u"a.txt", u"renamed.txt"}));

    cursorOn(u"renamed.txt");
    ui = platform::ScriptedUi({true});
    EXPECT_EQ(DeleteFiles(*model), CommandResult::Done);
    EXPECT_FALSE(drives.exists(deep + u"\\renamed.txt"));
    EXPECT_EQ(rows(), std::vector<u16>{u"a.txt"});
    EXPECT_TRUE(ui.messages().empty());

    saveDescriptions();
    const std::string central = centralBytes();
    EXPECT_NE(central.find(toUtf8(deep) + "\\a.txt,"), std::string::npos) << "the long path is written whole";
    model = std::make_unique<Form1Model>(drives.fs(), test::programIn(u"C:\\prog\\"));
    model->Load(deepDest);
    EXPECT_EQ(rows(), (std::vector<u16>{u"a.txt", u"b.txt"}));
    EXPECT_EQ(model->Grid1.cell(1, 4), u"深い説明") << "read back under the long path";
}

TEST_F(ExtremeInputsTest, atTheHostsLongestPathWhatWouldPassItFailsWithAMessageAndNothingIsLost)
{
    // A file "a.txt" in this directory has the longest path the host takes:
    // PATH_MAX bytes with the terminator.
    const std::size_t dirLength = PATH_MAX - 1 - 6;
    const u16 deepest = deepDirectory(u"C:\\work", dirLength);
    file(deepest + u"\\a.txt", "at the limit");
    file(u"C:\\work\\long-name.txt", "source");
    ASSERT_EQ(hostOf(deepest + u"\\a.txt").size(), std::size_t(PATH_MAX - 1));

    loadModel(deepest);
    ASSERT_EQ(rows(), std::vector<u16>{u"a.txt"}) << "the deepest directory lists";
    EXPECT_EQ(model->Grid1.cell(1, 3), u"12 ");

    EXPECT_EQ(renameInCurrentDir(*model, u"a.txt", u"ab.txt"), CommandResult::Failed);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0], deepest + u"\\a.txtの名前をab.txtに変更できません\r\n" + kBadNameReason);
    EXPECT_EQ(drives.readBytes(deepest + u"\\a.txt"), "at the limit");

    // Moving out and back in at the same length works; a longer name does not.
    cursorOn(u"a.txt");
    EXPECT_EQ(copyMarked(Operation::Move, model->CurrentDir, u"C:\\dest\\"), CommandResult::Done);
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\a.txt"), "at the limit");
    ASSERT_TRUE(model->setTreePath(u"C:\\dest"));
    cursorOn(u"a.txt");
    EXPECT_EQ(copyMarked(Operation::Move, u"C:\\dest\\", deepest + u"\\"), CommandResult::Done);
    EXPECT_EQ(drives.readBytes(deepest + u"\\a.txt"), "at the limit");

    ui.clear();
    ASSERT_TRUE(model->setTreePath(u"C:\\work"));
    for (Operation op : {Operation::Copy, Operation::Move}) {
        cursorOn(u"long-name.txt");
        EXPECT_EQ(copyMarked(op, u"C:\\work\\", deepest + u"\\"), CommandResult::Failed);
        EXPECT_EQ(drives.readBytes(u"C:\\work\\long-name.txt"), "source");
    }
    ASSERT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(ui.messages()[0], u"次のﾌｧｲﾙを複写できませんでした\r\nlong-name.txt : " + kBadNameReason);
    EXPECT_EQ(ui.messages()[1], u"次のﾌｧｲﾙを移動できませんでした\r\nlong-name.txt : " + kBadNameReason);
    EXPECT_EQ(hostNames(deepest), std::vector<std::string>{"a.txt"}) << "no partial file, no temporary";

    ASSERT_TRUE(model->setTreePath(deepest));
    cursorOn(u"a.txt");
    ui = platform::ScriptedUi({true});
    EXPECT_EQ(DeleteFiles(*model), CommandResult::Done);
    EXPECT_TRUE(hostNames(deepest).empty());
    EXPECT_TRUE(ui.messages().empty());
}

// --- names Shift_JIS cannot hold, and names that are not UTF-8 ---

class ExtremeNamesTest : public ExtremeInputsTest {
protected:
    void SetUp() override
    {
        ExtremeInputsTest::SetUp();
        const std::string work = hostOf(u"C:\\work");
        for (const auto& [raw, bytes] : kFiles)
            test::makeRawFile(work, raw, bytes);
    }

    // Host names and contents; the last two are not UTF-8.
    inline static const std::vector<std::pair<std::string, std::string>> kFiles = {
        {"\xf0\x9f\x98\x80.txt", "emoji"},   // U+1F600
        {"\xed\x95\x9c\xea\xb8\x80.txt", "hangul"},
        {"\xe2\x82\xac.txt", "euro"},
        {"bad\xff.txt", "bad byte"},
        {"\xe9t\xe9.txt", "latin-1"},
    };
    static std::vector<std::string> rawNames()
    {
        std::vector<std::string> out;
        out.reserve(std::size(kFiles));
        for (const auto& f : kFiles)
            out.push_back(f.first);
        return hostNamesSorted(out);
    }
};

TEST_F(ExtremeNamesTest, everyNameListsAsItsOwnRowAndTheOddBytesTravelAsPrivateCharacters)
{
    load();
    std::vector<u16> shown = rows();
    std::sort(shown.begin(), shown.end());
    std::vector<u16> expected{
        u"bad\xDCFF.txt", u"\xDCE9t\xDCE9.txt", u"\u20AC.txt", u"\uD55C\uAE00.txt", u"\U0001F600.txt"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(shown, expected);
    for (int r = 1; r <= model->Grid1.fileCount(); ++r)
        EXPECT_FALSE(model->Grid1.cell(r, 3).empty()) << toUtf8(model->Grid1.fileName(r)) << " has a size";
}

TEST_F(ExtremeNamesTest, copyMoveRenameAndDeleteKeepEveryByteOfNameAndContents)
{
    load();
    for (int r = 1; r <= model->Grid1.fileCount(); ++r)
        model->Grid1.toggleMark(r);
    EXPECT_EQ(copyMarked(Operation::Copy, u"C:\\work\\", u"C:\\dest\\"), CommandResult::Done);
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(hostNamesSorted(hostNames(u"C:\\dest")), rawNames());
    for (const auto& [raw, bytes] : kFiles)
        EXPECT_EQ(test::rawBytes(hostOf(u"C:\\dest") + "/" + raw), bytes);

    // Move them on to D: (another directory tree) and check the sources went.
    ASSERT_TRUE(model->setTreePath(u"C:\\dest"));
    for (int r = 1; r <= model->Grid1.fileCount(); ++r)
        model->Grid1.toggleMark(r);
    EXPECT_EQ(copyMarked(Operation::Move, u"C:\\dest\\", u"D:\\"), CommandResult::Done);
    EXPECT_TRUE(hostNames(u"C:\\dest").empty());
    EXPECT_EQ(hostNamesSorted(hostNames(u"D:\\")), rawNames());

    // Renames between odd names, both ways.
    ASSERT_TRUE(model->setTreePath(u"C:\\work"));
    EXPECT_EQ(renameInCurrentDir(*model, u"bad\xDCFF.txt", u"\U0001F600\xDCFE.txt"), CommandResult::Done);
    EXPECT_EQ(test::rawBytes(hostOf(u"C:\\work") + "/\xf0\x9f\x98\x80\xfe.txt"), "bad byte");
    EXPECT_EQ(renameInCurrentDir(*model, u"\uD55C\uAE00.txt", u"plain.txt"), CommandResult::Done);
    EXPECT_EQ(renameInCurrentDir(*model, u"plain.txt", u"\xDCE9t\xDCE9.txt"), CommandResult::Failed)
        << "the latin-1 name is taken";
    EXPECT_EQ(renameInCurrentDir(*model, u"plain.txt", u"x\xDCE9.txt"), CommandResult::Done);
    EXPECT_EQ(test::rawBytes(hostOf(u"C:\\work") + "/x\xe9.txt"), "hangul");

    cursorOn(u"\U0001F600\xDCFE.txt");
    ui = platform::ScriptedUi({true});
    EXPECT_EQ(DeleteFiles(*model), CommandResult::Done);
    EXPECT_EQ(hostNamesSorted(hostNames(u"C:\\work")),
        hostNamesSorted({"\xf0\x9f\x98\x80.txt", "\xe2\x82\xac.txt", "\xe9t\xe9.txt", "x\xe9.txt"}));
}

TEST_F(ExtremeNamesTest, descriptionsOfTheseNamesAreSavedEscapedAndReadBackOnTheSameRows)
{
    load();
    std::vector<std::pair<u16, u16>> given;
    for (int r = 1; r <= model->Grid1.fileCount(); ++r) {
        const u16 name = model->Grid1.fileName(r);
        const u16 text = u"説明 " + name + u" \U0001F601";
        model->ComentSet(model->CurrentDir + name, text);
        given.emplace_back(name, text);
    }
    saveDescriptions();
    const std::string central = centralBytes();
    EXPECT_NE(central.find("&#x1F600;.txt,"), std::string::npos) << central;
    EXPECT_NE(central.find("&#x1F601;"), std::string::npos);
    EXPECT_EQ(platform::encodeCp932(platform::decodeCp932(central)), central) << "the file stays plain code page 932";

    model = std::make_unique<Form1Model>(drives.fs(), test::programIn(u"C:\\prog\\"));
    model->Load(u"C:\\work");
    for (const auto& [name, text] : given)
        EXPECT_EQ(model->Grid1.cell(rowOf(name), 4), text) << toUtf8(name);

    // Renaming one carries its description under the new odd name.
    EXPECT_EQ(renameInCurrentDir(*model, u"bad\xDCFF.txt", u"bad\xDCFE.txt"), CommandResult::Done);
    EXPECT_EQ(model->Grid1.cell(rowOf(u"bad\xDCFE.txt"), 4), u"説明 bad\xDCFF.txt \U0001F601");
}

// --- links to the parent and link loops ---

class ExtremeLinksOpsTest : public ExtremeInputsTest {
protected:
    void SetUp() override
    {
        ExtremeInputsTest::SetUp();
        drives.makeDir(u"C:\\work\\sub");
        file(u"C:\\work\\sub\\inner.txt", "inner");
        file(u"C:\\work\\real.txt", "real");
        file(u"C:\\outside.txt", "outside");
        const std::string work = hostOf(u"C:\\work");
        ASSERT_EQ(::symlink("..", (work + "/up").c_str()), 0);
        ASSERT_EQ(::symlink("sub", (work + "/toSub").c_str()), 0);
        ASSERT_EQ(::symlink("b", (work + "/a").c_str()), 0);
        ASSERT_EQ(::symlink("a", (work + "/b").c_str()), 0);
        ASSERT_EQ(::symlink("self", (work + "/self").c_str()), 0);
        ASSERT_EQ(::symlink("../outside.txt", (work + "/toOutside").c_str()), 0);
    }
    void markAll()
    {
        for (int r = 1; r <= model->Grid1.fileCount(); ++r)
            model->Grid1.toggleMark(r);
    }
    std::string linkTarget(const u16& winPath) const
    {
        char buf[PATH_MAX];
        const ssize_t n = ::readlink(hostOf(winPath).c_str(), buf, sizeof buf);
        return n < 0 ? std::string("<none>") : std::string(buf, std::size_t(n));
    }
    bool isLink(const u16& winPath) const
    {
        struct stat st;
        return ::lstat(hostOf(winPath).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
    }
};

TEST_F(ExtremeLinksOpsTest, copyingADirectoryOfLoopsCopiesWhatResolvesAndNamesEveryLoop)
{
    load();
    ASSERT_EQ(rows(), (std::vector<u16>{u"a", u"b", u"real.txt", u"self", u"toOutside"}));
    markAll();
    EXPECT_EQ(copyMarked(Operation::Copy, u"C:\\work\\", u"C:\\dest\\"), CommandResult::Failed);
    ASSERT_EQ(ui.messages().size(), 1u);
    const u16& text = ui.messages()[0];
    for (const char16_t* loop : {u"\r\na : ", u"\r\nb : ", u"\r\nself : "})
        EXPECT_NE(text.find(loop), u16::npos) << toUtf8(loop);
    EXPECT_EQ(text.find(u"real.txt"), u16::npos);
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\real.txt"), "real");
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\toOutside"), "outside") << "a link to a file copies its file";
    EXPECT_FALSE(isLink(u"C:\\dest\\toOutside"));
    EXPECT_EQ(hostNamesSorted(hostNames(u"C:\\dest")), hostNamesSorted({"real.txt", "toOutside"}));
}

TEST_F(ExtremeLinksOpsTest, movingLinksMovesTheLinksThemselvesAndNeverTheirTargets)
{
    load();
    markAll();
    EXPECT_EQ(copyMarked(Operation::Move, u"C:\\work\\", u"C:\\dest\\"), CommandResult::Done);
    EXPECT_TRUE(ui.messages().empty());
    for (const auto& [name, target] : std::vector<std::pair<const char16_t*, std::string>>{
             {u"a", "b"}, {u"b", "a"}, {u"self", "self"}, {u"toOutside", "../outside.txt"}}) {
        const u16 moved = u"C:\\dest\\" + u16(name);
        EXPECT_TRUE(isLink(moved)) << toUtf8(moved);
        EXPECT_EQ(linkTarget(moved), target) << toUtf8(moved);
        EXPECT_FALSE(drives.exists(u"C:\\work\\" + u16(name)));
    }
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\real.txt"), "real");
    EXPECT_EQ(drives.readBytes(u"C:\\outside.txt"), "outside") << "the link's target stays";
    EXPECT_EQ(drives.readBytes(u"C:\\work\\sub\\inner.txt"), "inner");
    EXPECT_TRUE(isLink(u"C:\\work\\up"));
}

TEST_F(ExtremeLinksOpsTest, deletingLinksRemovesTheLinksAndNeverWhatTheyPointAt)
{
    load();
    markAll();
    model->Grid1.toggleMark(rowOf(u"real.txt"));
    ui = platform::ScriptedUi({true});
    EXPECT_EQ(DeleteFiles(*model), CommandResult::Done);
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(hostNamesSorted(hostNames(u"C:\\work")), hostNamesSorted({"real.txt", "sub", "toSub", "up"}));
    EXPECT_EQ(drives.readBytes(u"C:\\outside.txt"), "outside");
    EXPECT_EQ(drives.readBytes(u"C:\\work\\sub\\inner.txt"), "inner");
    EXPECT_TRUE(isLink(u"C:\\work\\up")) << "directory links are no file rows";
    EXPECT_EQ(hostNamesSorted(hostNames(u"C:\\")), hostNamesSorted({"dest", "outside.txt", "prog", "work"}));
    EXPECT_EQ(rows(), std::vector<u16>{u"real.txt"});
}

TEST_F(ExtremeLinksOpsTest, operationsInsideTheParentLinkActOnTheParentItself)
{
    // C:\work\up is C:\ under another name: what is done there happens in C:\ and nowhere else.
    loadModel(u"C:\\work\\up");
    ASSERT_EQ(rows(), std::vector<u16>{u"outside.txt"});
    cursorOn(u"outside.txt");
    EXPECT_EQ(copyMarked(Operation::Copy, model->CurrentDir, u"C:\\dest\\"), CommandResult::Done);
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\outside.txt"), "outside");
    EXPECT_EQ(renameInCurrentDir(*model, u"outside.txt", u"renamed.txt"), CommandResult::Done);
    EXPECT_EQ(drives.readBytes(u"C:\\renamed.txt"), "outside");
    EXPECT_TRUE(isLink(u"C:\\work\\toOutside")) << "the dangling link is still a link";
    EXPECT_EQ(drives.readBytes(u"C:\\work\\real.txt"), "real");
}

// --- descriptions of 10,000 and 40,000 characters through the commands ---

class ExtremeLongDescriptionTest : public ExtremeInputsTest, public testing::WithParamInterface<int> {
protected:
    u16 longText() const
    {
        u16 text;
        for (int i = 0; int(text.size()) < GetParam(); ++i)
            text += u"長い説明、commas, \"quotes\" & " + fromUtf8(std::to_string(i)) + u" ";
        text.resize(std::size_t(GetParam()));
        return text;
    }
    std::string lineFor(u16view path, u16view text) const
    {
        return platform::encodeCp932(DescriptionFile::formatLine(path, text)).value() + "\r\n";
    }
};

TEST_P(ExtremeLongDescriptionTest, followsCopyMoveAndRenameByteForByte)
{
    const u16 text = longText();
    file(u"C:\\work\\a.txt", "a");
    file(u"C:\\work\\b.txt", "b");
    load();
    model->ComentSet(u"C:\\work\\a.txt", text);
    model->ComentSet(u"C:\\work\\b.txt", text + u"!");
    model->RefreshFileTable(u'n');
    ASSERT_EQ(model->Grid1.cell(rowOf(u"a.txt"), 4), text);

    mark(u"a.txt");
    EXPECT_EQ(copyMarked(Operation::Copy, u"C:\\work\\", u"C:\\dest\\"), CommandResult::Done);
    model->RefreshFileTable(u'n');
    mark(u"b.txt");
    EXPECT_EQ(copyMarked(Operation::Move, u"C:\\work\\", u"C:\\dest\\"), CommandResult::Done);
    EXPECT_EQ(renameInCurrentDir(*model, u"a.txt", u"c.txt"), CommandResult::Done);

    saveDescriptions();
    const std::string central = centralBytes();
    for (const auto& [path, t] : std::vector<std::pair<u16, u16>>{{u"C:\\dest\\a.txt", text},
             {u"C:\\dest\\b.txt", text + u"!"}, {u"C:\\work\\c.txt", text},
             {u"C:\\work\\b.txt", text + u"!"}})   // a move leaves the source's record, as it always did
        EXPECT_NE(central.find(lineFor(path, t)), std::string::npos) << toUtf8(path);
    EXPECT_EQ(central.find("C:\\work\\a.txt,"), std::string::npos) << "the rename took it along";

    model = std::make_unique<Form1Model>(drives.fs(), test::programIn(u"C:\\prog\\"));
    model->Load(u"C:\\dest");
    EXPECT_EQ(model->Grid1.cell(rowOf(u"a.txt"), 4), text);
    EXPECT_EQ(model->Grid1.cell(rowOf(u"b.txt"), 4), text + u"!");
}

INSTANTIATE_TEST_SUITE_P(Lengths, ExtremeLongDescriptionTest, testing::Values(10000, 40000));

}
}

#include "lha/Unlha.h"
#include "platform/Faults.h"
#include "tests/lha/LhaTestSupport.h"
#include "tests/support/DialogKeys.h"
#include "tests/support/HostFiles.h"
#include "tests/ui/Form1Fixture.h"
#include "ui/QtUi.h"

#include <QTimer>

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

namespace sorvik::test {
namespace {

class ArchiveScenario : public Form1Fixture {
protected:
    void SetUp() override
    {
        Form1Fixture::SetUp();
        platform::clearDialogHooks();
        drives.makeDir(u"C:\\dest");
        drives.writeBytes(u"C:\\work\\Memo.Txt", std::string(20000, 'm') + "報告");
        drives.writeBytes(u"C:\\work\\plain.txt", "not an archive");
    }
    void TearDown() override
    {
        lha::setFaults(nullptr);
        EXPECT_EQ(platform::dialogsLeftOpen(), 0);
        platform::clearDialogHooks();
        Form1Fixture::TearDown();
    }
    // P on `name`, accepting the proposed archive in the listed directory.
    void pack(const u16& name)
    {
        cursorTo(name);
        platform::queueDialogHook([](QDialog&) { key(Qt::Key_Return); });
        press(Qt::Key_P);
    }
    // U on `archive` into C:\dest, chosen in the dialog's tree and list.
    void unpackToDest(const u16& archive)
    {
        cursorTo(archive);
        platform::queueDialogHook([](QDialog&) {
            chooseDestInDialog();
            key(Qt::Key_Return);
        });
        press(Qt::Key_U);
    }
};

TEST_F(ArchiveScenario, packWithPThenUnpackWithUIntoAnotherDirectory)
{
    start();
    cursorTo(u"Memo.Txt");
    QString proposed, caption, command1;
    bool frame = false;
    platform::queueDialogHook([&](QDialog& d) {
        caption = d.windowTitle();
        proposed = d.findChild<QLineEdit*>("Text2")->text();
        command1 = d.findChild<QPushButton*>("Command1")->text();
        frame = d.findChild<QGroupBox*>("Frame1")->isVisible();
        key(Qt::Key_Return);
    });
    press(Qt::Key_P);
    EXPECT_EQ(caption, QStringLiteral("ﾌｧｲﾙの圧縮"));
    EXPECT_EQ(proposed, QStringLiteral("Memo.LZH"));
    EXPECT_EQ(command1, QStringLiteral("圧縮"));
    EXPECT_TRUE(frame);
    EXPECT_TRUE(ui.messages().empty()) << (ui.messages().empty() ? "" : toUtf8(ui.messages()[0]));
    ASSERT_GT(rowOf(u"Memo.LZH"), 0) << "the table was refreshed";

    cursorTo(u"Memo.LZH");
    bool text2Visible = true;
    platform::queueDialogHook([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("ﾌｧｲﾙの解凍"));
        EXPECT_EQ(d.findChild<QPushButton*>("Command1")->text(), QStringLiteral("展開"));
        text2Visible = d.findChild<QLineEdit*>("Text2")->isVisible();
        key(Qt::Key_Left);
        key(Qt::Key_Left);
        key(Qt::Key_Up);
        key(Qt::Key_Return);   // C:\ with dest, prog, work
        key(Qt::Key_Down);
        key(Qt::Key_Return);   // C:\dest
        key(Qt::Key_Right);
        key(Qt::Key_Right);
        key(Qt::Key_Return);
    });
    press(Qt::Key_U);
    EXPECT_FALSE(text2Visible);
    EXPECT_TRUE(ui.messages().empty()) << (ui.messages().empty() ? "" : toUtf8(ui.messages()[0]));
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\Memo.Txt"), drives.readBytes(u"C:\\work\\Memo.Txt"));
}

TEST_F(ArchiveScenario, uOnAFileThatIsNoArchiveSaysSoAndShowsNoDialog)
{
    start();
    cursorTo(u"plain.txt");
    press(Qt::Key_U);
    EXPECT_EQ(ui.messages(), std::vector<u16>{u"このﾌｧｲﾙはLHA圧縮ﾌｧｲﾙではありません"});
    EXPECT_TRUE(platform::shownDialogs().empty());
}

TEST_F(ArchiveScenario, markedFilesAreRefusedBeforeTheDialog)
{
    start();
    press(Qt::Key_Space);
    press(Qt::Key_Up);
    press(Qt::Key_P);
    EXPECT_EQ(ui.messages(), std::vector<u16>{u"ﾏｰｸを付けたﾌｧｲﾙの圧縮はできません"});
    EXPECT_TRUE(platform::shownDialogs().empty());
    EXPECT_EQ(model().CountMarkedRows(), 0) << "refreshed after the command all the same";
}

TEST_F(ArchiveScenario, anArchiverFailureIsShownWithItsSignedCode)
{
    drives.writeBytes(u"C:\\work\\Memo.LZH", "");
    start();
    // Read-only: mode 0444 on Linux, the read-only attribute on Windows.
    namespace fs = std::filesystem;
    fs::permissions(hostFsPath(drives.host(u"C:\\work\\Memo.LZH")),
        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    cursorTo(u"Memo.Txt");
    platform::queueDialogHook([](QDialog&) { key(Qt::Key_Return); });
    press(Qt::Key_P);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].substr(0, 6), u"圧縮失敗 :");
    EXPECT_EQ(ui.messages()[0][6], u'-') << toUtf8(ui.messages()[0]);
}

// Holds the archiver at a read of `pathPart` until released, so a test can
// look at the progress window while the work is surely under way.
class HeldArchiver {
public:
    HeldArchiver(platform::FsCall call, int nth, const std::string& pathPart)
    {
        m_faults.beforeCall(
            call, nth,
            [this] {
                m_held = true;
                for (int i = 0; i < 2000 && !m_release; ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
            },
            pathPart);
        lha::setFaults(&m_faults);
    }
    ~HeldArchiver() { lha::setFaults(nullptr); }

    // Runs `look` on the progress window once the archiver is held and the
    // window shows, then lets the archiver go on.
    void whenShown(const std::function<void(QDialog&)>& look)
    {
        auto* timer = new QTimer(qApp);
        QObject::connect(timer, &QTimer::timeout, timer, [this, timer, look] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->objectName() == "ProgressWindow" && w->isVisible() && m_held) {
                    timer->stop();
                    timer->deleteLater();
                    look(static_cast<QDialog&>(*w));
                    m_release = true;
                    return;
                }
            }
        });
        timer->start(20);
    }
    bool wasShown() const { return m_release; }

private:
    platform::FaultPlan m_faults;
    std::atomic<bool> m_held{false};
    std::atomic<bool> m_release{false};
};

std::string longText()
{
    std::string text;
    for (int i = 0; text.size() < (6u << 20); ++i)
        text += "line " + std::to_string(i * 7919 % 100003) + " of a long report\r\n";
    return text;
}

TEST_F(ArchiveScenario, escDuringAPackStopsItAndLeavesNoArchive)
{
    drives.writeBytes(u"C:\\work\\Big.Txt", longText());
    start();
    cursorTo(u"Big.Txt");
    HeldArchiver held(platform::FsCall::Read, 2, "Big.Txt");
    QString name;
    held.whenShown([&](QDialog& w) {
        for (QLabel* l : w.findChildren<QLabel*>())
            if (l->text() == QStringLiteral("Big.Txt"))
                name = l->text();
        QTest::keyClick(&w, Qt::Key_Escape);
    });
    platform::queueDialogHook([](QDialog&) { key(Qt::Key_Return); });
    press(Qt::Key_P);
    ASSERT_TRUE(held.wasShown()) << "the progress window showed while packing";
    EXPECT_EQ(name, QStringLiteral("Big.Txt"));
    EXPECT_TRUE(ui.messages().empty()) << "a stop the user asked for is no failure";
    EXPECT_FALSE(drives.exists(u"C:\\work\\Big.LZH"));
    EXPECT_FALSE(temporariesIn(drives.host(u"C:\\work")));
    EXPECT_EQ(drives.readBytes(u"C:\\work\\Big.Txt"), longText());
}

TEST_F(ArchiveScenario, anUnpackShowsTheFilesAndBytesOfTheArchive)
{
    drives.writeBytes(u"C:\\work\\Big.Txt", longText());
    start();
    cursorTo(u"Big.Txt");
    platform::queueDialogHook([](QDialog&) { key(Qt::Key_Return); });
    press(Qt::Key_P);
    ASSERT_GT(rowOf(u"Big.LZH"), 0);

    cursorTo(u"Big.LZH");
    ASSERT_TRUE(std::filesystem::remove(hostFsPath(drives.host(u"C:\\work\\Big.Txt"))));
    HeldArchiver held(platform::FsCall::Write, 1, ".~sorvik-");   // the first bytes of the extracted file
    QStringList labels;
    held.whenShown([&](QDialog& w) {
        for (QLabel* l : w.findChildren<QLabel*>())
            labels << l->text();
    });
    platform::queueDialogHook([](QDialog&) { key(Qt::Key_Return); });
    press(Qt::Key_U);
    ASSERT_TRUE(held.wasShown());
    EXPECT_TRUE(labels.contains(QStringLiteral("0 / 1 ﾌｧｲﾙ"))) << labels.join(" | ").toStdString();
    EXPECT_TRUE(labels.contains(QStringLiteral("Big.Txt"))) << labels.join(" | ").toStdString();
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(drives.readBytes(u"C:\\work\\Big.Txt"), longText());
}

TEST_F(ArchiveScenario, uTellsOfTheNewerFileItKeptInOneMessage)
{
    start();
    pack(u"Memo.Txt");
    ASSERT_TRUE(ui.messages().empty());
    drives.writeBytes(u"C:\\dest\\Memo.Txt", "newer on disk");
    drives.setTime(u"C:\\dest\\Memo.Txt", 2030, 1, 1, 0, 0, 0);
    unpackToDest(u"Memo.LZH");
    EXPECT_EQ(ui.messages(),
        std::vector<u16>{u"次のﾌｧｲﾙは展開しませんでした\r\n"
                         u"Memo.Txt : 既存のファイルの方が新しいので残しました"});
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\Memo.Txt"), "newer on disk");
}

TEST_F(ArchiveScenario, aSecondPOfAnUnchangedFileSaysTheArchiveIsAsNew)
{
    start();
    pack(u"Memo.Txt");
    ASSERT_TRUE(ui.messages().empty());
    const std::string archive = drives.readBytes(u"C:\\work\\Memo.LZH");
    pack(u"Memo.Txt");
    EXPECT_EQ(ui.messages(),
        std::vector<u16>{u"次のﾌｧｲﾙは圧縮しませんでした\r\n"
                         u"Memo.Txt : 書庫の方が新しいか同じなので更新しません"});
    EXPECT_EQ(drives.readBytes(u"C:\\work\\Memo.LZH"), archive);
}

TEST_F(ArchiveScenario, uTellsOfTheLinksItSkipped)
{
    RawMember link{"l.txt", "", "b.txt", "-lh0-", 1600000000, 0xA1FF};
    RawMember b{"b.txt", "", "bee", "-lh0-", 1600000000};
    drives.writeBytes(u"C:\\work\\links.lzh", level2Member(link) + level2Member(b) + std::string(1, '\0'));
    start();
    unpackToDest(u"links.lzh");
    EXPECT_EQ(ui.messages(), std::vector<u16>{u"次のﾌｧｲﾙは展開しませんでした\r\nl.txt : リンクは展開しません"});
    EXPECT_EQ(drives.allNames(u"C:\\dest"), std::vector<std::string>{"b.txt"});
}

TEST_F(ArchiveScenario, aNulByteInAMemberNameStillNamesTheMemberAndTheReason)
{
    RawMember bad{std::string("bad\0name.txt", 12), "", "x", "-lh0-"};
    RawMember fine{"fine.txt", "", "fine", "-lh0-"};
    // Not "nul.lzh": NUL is a device name on Windows.
    drives.writeBytes(u"C:\\work\\nulbyte.lzh", level2Member(bad) + level2Member(fine) + std::string(1, '\0'));
    start();
    unpackToDest(u"nulbyte.lzh");
    EXPECT_EQ(
        ui.messages(), std::vector<u16>{u"展開失敗 :-32695\r\nbad<00>name.txt: 名前に制御文字があります (0x8049)"});
    EXPECT_EQ(drives.allNames(u"C:\\dest"), std::vector<std::string>{"fine.txt"});
}

TEST_F(ArchiveScenario, membersThatDifferOnlyInBytesTheCodePageLacksBothLand)
{
    RawMember first{"\x85\x40.txt", "", "first", "-lh0-"};
    RawMember second{"\x86\x40.txt", "", "second", "-lh0-"};
    drives.writeBytes(u"C:\\work\\odd.lzh", level2Member(first) + level2Member(second) + std::string(1, '\0'));
    start();
    unpackToDest(u"odd.lzh");
    EXPECT_TRUE(ui.messages().empty()) << toUtf8(ui.messages().empty() ? u"" : ui.messages()[0]);
#ifdef _WIN32
    // Private-use characters stand for the bytes in Windows names.
    const u16 one = u"\xF085@.txt", two = u"\xF086@.txt";
#else
    const u16 one = u"\xDC85@.txt", two = u"\xDC86@.txt";
    EXPECT_EQ(drives.allNames(u"C:\\dest"), (std::vector<std::string>{"\x85@.txt", "\x86@.txt"}));
#endif
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\" + one), "first");
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\" + two), "second");
    EXPECT_EQ(drives.allNames(u"C:\\dest").size(), 2u);
}

// A line code page 932 cannot hold never reaches the archiver; the message
// says which name stopped it.
TEST_F(ArchiveScenario, aNameTheCodePageLacksIsNamedInTheFailure)
{
    drives.writeBytes(u"C:\\work\\한.txt", "hangul");
    start();
    pack(u"한.txt");
    EXPECT_EQ(ui.messages(),
        std::vector<u16>{u"圧縮失敗 :-32695\r\nC:\\work\\한.LZH: コードページ932で表せない名前です (0x8049)"});
    EXPECT_FALSE(drives.exists(u"C:\\work\\한.LZH"));
}

}
}

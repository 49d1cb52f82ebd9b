#include "ops/ProgressWindow.h"
#include "ops/CopyMove.h"
#include "tests/support/HostFiles.h"
#include "tests/support/ModelFixture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>

#include <filesystem>

namespace sorvik::test {
namespace {

class ProgressWindowTest : public ProgramFixture {};

TEST_F(ProgressWindowTest, escStopsALongCopyAndLeavesNoPartialFile)
{
    drives.makeDir(u"C:\\dest");
    drives.writeBytes(u"C:\\work\\big.bin", std::string(24 << 20, 'x'));
    drives.writeBytes(u"C:\\work\\small.txt", "s");
    Form1Model& m = loadModel();
    for (int r = 1; r <= m.Grid1.fileCount(); ++r)
        m.Grid1.toggleMark(r);

    ProgressWindow progress(QStringLiteral("ﾌｧｲﾙの複写"));
    progress.setShowDelay(0);
    // Queued now, delivered by the window's own event handling while it copies.
    QCoreApplication::postEvent(&progress, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    CopyMoveRun run(m, Operation::Copy, &progress);
    EXPECT_EQ(
        run.CopyMarkedOrCurrent(u"C:\\work\\", u"C:\\dest\\", OverwriteRule::ReplaceAlways), CommandResult::Cancelled);
    EXPECT_TRUE(run.cancelled());
    EXPECT_FALSE(drives.exists(u"C:\\dest\\big.bin"));
    EXPECT_FALSE(drives.exists(u"C:\\dest\\small.txt")) << "nothing after the cancel";
    EXPECT_FALSE(temporariesIn(drives.host(u"C:\\dest")));
    EXPECT_FALSE(progress.isVisible()) << "closed when the loop ended";
    EXPECT_EQ(drives.readBytes(u"C:\\work\\big.bin").size(), std::size_t(24 << 20));
}

TEST_F(ProgressWindowTest, enterTypedAheadDoesNotStopTheCopy)
{
    drives.makeDir(u"C:\\dest");
    drives.writeBytes(u"C:\\work\\big.bin", std::string(24 << 20, 'x'));
    drives.writeBytes(u"C:\\work\\small.txt", "s");
    Form1Model& m = loadModel();
    for (int r = 1; r <= m.Grid1.fileCount(); ++r)
        m.Grid1.toggleMark(r);

    ProgressWindow progress(QStringLiteral("ﾌｧｲﾙの複写"));
    progress.setShowDelay(0);
    // Meant for the window after it: only Esc or the button stops the work.
    QCoreApplication::postEvent(&progress, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
    CopyMoveRun run(m, Operation::Copy, &progress);
    EXPECT_EQ(run.CopyMarkedOrCurrent(u"C:\\work\\", u"C:\\dest\\", OverwriteRule::ReplaceAlways), CommandResult::Done);
    EXPECT_FALSE(run.cancelled());
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\big.bin").size(), std::size_t(24 << 20));
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\small.txt"), "s");
}

TEST_F(ProgressWindowTest, showsFilesAndBytesOfTheTotal)
{
    drives.makeDir(u"C:\\dest");
    drives.writeBytes(u"C:\\work\\a.bin", std::string(3000, 'a'));
    drives.writeBytes(u"C:\\work\\b.bin", std::string(2000, 'b'));
    Form1Model& m = loadModel();
    for (int r = 1; r <= m.Grid1.fileCount(); ++r)
        m.Grid1.toggleMark(r);

    ProgressWindow progress(QStringLiteral("ﾌｧｲﾙの複写"));
    progress.setShowDelay(0);
    QStringList seen;
    struct Spy : OperationProgress {
        ProgressWindow& w;
        QStringList& seen;
        Spy(ProgressWindow& window, QStringList& texts) : w(window), seen(texts) {}
        void begin(int f, std::int64_t b) override { w.begin(f, b); }
        void startFile(u16view n, std::int64_t b) override { w.startFile(n, b); }
        bool copied(std::int64_t b) override { return w.copied(b); }
        void fileDone() override
        {
            w.fileDone();
            for (QLabel* l : w.findChildren<QLabel*>())
                seen << l->text();
        }
        void end() override { w.end(); }
        bool cancelRequested() const override { return w.cancelRequested(); }
    } spy(progress, seen);
    CopyMoveRun run(m, Operation::Copy, &spy);
    EXPECT_EQ(run.CopyMarkedOrCurrent(u"C:\\work\\", u"C:\\dest\\", OverwriteRule::ReplaceAlways), CommandResult::Done);
    EXPECT_TRUE(seen.contains(QStringLiteral("a.bin")));
    EXPECT_TRUE(seen.contains(QStringLiteral("0 / 2 ﾌｧｲﾙ")) || seen.contains(QStringLiteral("1 / 2 ﾌｧｲﾙ")));
    EXPECT_TRUE(seen.filter(QStringLiteral("/ 5,000 ﾊﾞｲﾄ")).size() > 0)
        << seen.join(QStringLiteral(" | ")).toStdString();
    EXPECT_EQ(drives.readBytes(u"C:\\dest\\b.bin"), std::string(2000, 'b'));
}

}
}

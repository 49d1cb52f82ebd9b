#include "app/Form1.h"
#include "app/ProgramCommands.h"
#include "table/Grid1.h"
#include "tests/support/ExtremeFiles.h"
#include "tests/ui/Form1Fixture.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace sorvik::test {
namespace {

// Form1 offscreen over a directory of 33,000 files, more than the table's
// 32,766 rows; the drives live on a RAM disk where the host has one.
class ExtremeScenario : public Form1Fixture {
protected:
    ExtremeScenario() : Form1Fixture(fastTempBase()) {}
    void SetUp() override
    {
        Form1Fixture::SetUp();
        makeEmptyFiles(drives.host(u"C:\\work"), 33000);
    }
};

TEST_F(ExtremeScenario, theKeysReachTheLastRowOfAFullTableAndMarkIt)
{
    Form1& f = start();
    ASSERT_EQ(f.grid()->model()->rowCount(), FileTable::kMaxFiles + 2);
    ASSERT_EQ(ui.messages().size(), 1u) << "the cut is told once at start-up";
    auto* count = f.findChild<QLabel*>("Label4");
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(count->text(), QStringLiteral("32766"));

    f.grid()->setFocus();
    QApplication::processEvents();
    // Unnamed Ctrl keys do nothing in the table, so the way down is Page Down.
    int presses = 0;
    for (int before = -1; table().row() != before && presses < 40000; ++presses) {
        before = table().row();
        press(Qt::Key_PageDown);
    }
    EXPECT_EQ(table().row(), FileTable::kMaxFiles + 1) << "the trailing row, 32,767, after " << presses;
    EXPECT_EQ(f.grid()->currentIndex().row(), FileTable::kMaxFiles + 1);
    press(Qt::Key_Home);
    press(Qt::Key_Up);
    ASSERT_EQ(table().row(), FileTable::kMaxFiles);
    ASSERT_EQ(table().col(), 0);
    EXPECT_EQ(table().fileName(table().row()), u"f32765");
    press(Qt::Key_Space);
    EXPECT_TRUE(table().isMarked(FileTable::kMaxFiles));
    EXPECT_EQ(f.grid()->model()->data(f.grid()->model()->index(FileTable::kMaxFiles, 0)).toString(),
        QStringLiteral("*f32765"));
    press(Qt::Key_Down);
    EXPECT_EQ(table().row(), FileTable::kMaxFiles + 1);
    press(Qt::Key_Down);
    EXPECT_EQ(table().row(), FileTable::kMaxFiles + 1) << "no row past the trailing one";

    EXPECT_EQ(ui.messages().size(), 1u);
}

}
}

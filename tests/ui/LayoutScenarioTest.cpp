#include "app/FocusMode.h"
#include "nav/DriveButtons.h"
#include "tests/ui/Form1Fixture.h"

#include <QLabel>
#include <QPushButton>

namespace sorvik::test {
namespace {

// A widget's place in twips, at the offscreen screen's 15 twips a pixel.
struct Twips {
    int left, top, width, height;
    bool operator==(const Twips&) const = default;
};

Twips twipsOf(const QWidget* w)
{
    return {w->x() * 15, w->y() * 15, w->width() * 15, w->height() * 15};
}

void PrintTo(const Twips& t, std::ostream* os)
{
    *os << "(" << t.left << ", " << t.top << ", " << t.width << ", " << t.height << ")";
}

// The colour a pane paints where it shows no item.
QColor backgroundOf(QWidget* w)
{
    return w->grab().toImage().pixelColor(w->width() / 2, w->height() * 3 / 4);
}

QColor labelColour(QLabel* label)
{
    return label->grab().toImage().pixelColor(3, 3);
}

class LayoutScenario : public Form1Fixture {
protected:
    QWidget* control(const char* name) { return form->findChild<QWidget*>(QString::fromUtf8(name)); }
};

TEST_F(LayoutScenario, everyControlStandsWhereTheDesignPutsIt)
{
    Form1& f = start();
    ASSERT_EQ(f.driveButtons()->count(), 2);
    EXPECT_EQ(f.width() * 15, 12495);
    EXPECT_EQ(f.height() * 15, 6720);
    // Two drive buttons end at 765 twips; the command row follows 15 twips apart.
    struct Case {
        const char* name;
        Twips place;
    };
    const Case cases[] = {
        {"Label2", {780, 120, 1515, 315}},
        {"Command3", {2310, 120, 1095, 315}},
        {"Command1", {3420, 120, 1155, 315}},
        {"cmdHiddn", {4590, 120, 1035, 315}},
        {"cmd関連", {5640, 120, 1095, 315}},
        {"Dir1", {120, 480, 1935, 5655}},      // as high as the table since the first display
        {"Grid1", {2160, 480, 10185, 5655}},   // right margin 150 since the first display
        {"Label4", {120, 6240, 795, 315}},
        {"Label1", {960, 6300, 1155, 255}},
        {"Text1", {2160, 6240, 7455, 375}},
        {"Command2", {11040, 6240, 1335, 375}},
    };
    for (const Case& c : cases) {
        QWidget* w = control(c.name);
        ASSERT_NE(w, nullptr) << c.name;
        EXPECT_EQ(twipsOf(w), c.place) << c.name;
    }
    EXPECT_EQ(twipsOf(f.driveButtons()->button(1)), (Twips{450, 120, 315, 315}));
}

TEST_F(LayoutScenario, captionsAndFontsOfTheCommandsAndTheBottomRow)
{
    start();
    struct Case {
        const char* name;
        const char* caption;
    };
    for (const Case& c : {Case{"Command3", "Help(F1)"}, Case{"Command1", "ﾌｨﾙﾀ設定(&F)"},
             Case{"cmdHiddn", "SysFile(&G)"}, Case{"cmd関連", "関連付(&R)"}, Case{"Command2", "終了(Esc)"}})
        EXPECT_EQ(static_cast<QPushButton*>(control(c.name))->text(), QString::fromUtf8(c.caption)) << c.name;
    EXPECT_EQ(static_cast<QLabel*>(control("Label1"))->text(), QStringLiteral("説明記入欄"));
    struct Font {
        const char* name;
        const char* family;
        double points;
    };
    for (const Font& c :
        {Font{"Label2", "ＭＳ ゴシック", 11.25}, Font{"Dir1", "ＭＳ ゴシック", 9.75}, Font{"Grid1", "ＭＳ ゴシック", 9},
            Font{"Label1", "ＭＳ ゴシック", 11.25}, Font{"Text1", "ＭＳ Ｐゴシック", 11.25},
            Font{"Command2", "ＭＳ Ｐゴシック", 11.25}, Font{"Command3", "ＭＳ ゴシック", 9}}) {
        EXPECT_EQ(control(c.name)->font().family(), QString::fromUtf8(c.family)) << c.name;
        EXPECT_EQ(control(c.name)->font().pointSizeF(), c.points) << c.name;
    }
}

TEST_F(LayoutScenario, resizingFollowsTheRulesInTwips)
{
    Form1& f = start();
    f.resize((12495 + 600) / 15, (6720 + 300) / 15);
    QApplication::processEvents();
    EXPECT_EQ(twipsOf(control("Command2")), (Twips{11640, 6540, 1335, 375}));
    EXPECT_EQ(twipsOf(control("Text1")), (Twips{2160, 6540, 8055, 375}));
    EXPECT_EQ(twipsOf(control("Label1")).top, 6600);
    EXPECT_EQ(twipsOf(control("Label4")).top, 6540);
    EXPECT_EQ(twipsOf(control("Grid1")), (Twips{2160, 480, 10785, 5955}));
    EXPECT_EQ(twipsOf(control("Dir1")), (Twips{120, 480, 1935, 5955}));
    EXPECT_EQ(f.layout().LastClientWidth, 13095);
    EXPECT_EQ(model().Grid1.tableWidth(), 10785);
    EXPECT_EQ(model().Grid1.columnWidth(4), model().Grid1.GridCol4()) << "the description column takes the rest";

    f.resize(9000 / 15, 4500 / 15);   // below both thresholds
    QApplication::processEvents();
    EXPECT_EQ(twipsOf(control("Command2")), (Twips{11640, 6540, 1335, 375}));
    EXPECT_EQ(f.layout().LastClientWidth, 13095);
    f.resize(13500 / 15, 7200 / 15);
    QApplication::processEvents();
    EXPECT_EQ(twipsOf(control("Command2")), (Twips{11040 + 1005, 6240 + 480, 1335, 375}));
    EXPECT_EQ(twipsOf(control("Grid1")).left + twipsOf(control("Grid1")).width, 13500 - 150);
}

// The pane with the attention black on white, the others white on teal, and
// the label naming the mode on its own colour, after each change of pane.
TEST_F(LayoutScenario, focusColoursFollowEveryPaneChange)
{
    drives.writeBytes(u"C:\\work\\a.txt", "a");
    drives.makeDir(u"D:\\music");
    Form1& f = start();
    auto* label = f.findChild<QLabel*>("Label2");
    const QColor teal(0, 128, 128), white(255, 255, 255);
    struct Look {
        QString text;
        QColor label, tree, table;
    };
    auto expectLook = [&](const Look& look, const char* step) {
        EXPECT_EQ(label->text(), look.text) << step;
        EXPECT_EQ(labelColour(label), look.label) << step;
        EXPECT_EQ(backgroundOf(f.dirTree()), look.tree) << step;
        EXPECT_EQ(backgroundOf(f.grid()), look.table) << step;
    };
    const Look table{QStringLiteral("テーブル注目"), QColor(192, 255, 255), teal, white};
    const Look tree{QStringLiteral("ﾃﾞｨﾚｸﾄﾘ注目"), QColor(255, 255, 192), white, teal};

    expectLook(table, "start");
    press(Qt::Key_Left);
    expectLook(tree, "Left in column 0");
    press(Qt::Key_Up);
    press(Qt::Key_Up);
    ASSERT_EQ(focused(), f.driveButtons()->button(0));
    // The drive buttons name their mode but leave the panes as they were.
    expectLook({QStringLiteral("ﾄﾞﾗｲﾌﾞ注目"), QColor(255, 192, 192), white, teal}, "Up at the root");
    press(Qt::Key_Right, Qt::ControlModifier);   // to D:, which lists D:\ at once
    ASSERT_EQ(model().CurrentDir, u"D:\\");
    press(Qt::Key_Down);
    expectLook(tree, "Down from the drive buttons");
    EXPECT_EQ(f.driveButtons()->backColor(1), kChosenDriveColor) << "D is the listed drive";
    EXPECT_EQ(f.driveButtons()->backColor(0), kBaseBackColor);
    press(Qt::Key_Right);
    expectLook(table, "Right from the tree");
    QTest::mouseDClick(label, Qt::LeftButton);
    EXPECT_EQ(focused(), f.driveButtons()->button(1)) << "the current drive's button";
    EXPECT_EQ(label->text(), QStringLiteral("ﾄﾞﾗｲﾌﾞ注目"));
}

}
}

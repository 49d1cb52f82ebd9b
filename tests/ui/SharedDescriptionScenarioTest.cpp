// Two windows over the same drives, as two running instances of the program
// would be: descriptions typed in each survive the other's saves.

#include "tests/support/Cp932.h"
#include "tests/ui/Form1Fixture.h"

#include <QKeyEvent>

namespace sorvik::test {
namespace {

class SharedDescriptionScenario : public WindowsFixture {
protected:
    void SetUp() override
    {
        WindowsFixture::SetUp();
        drives.writeBytes(u"C:\\work\\a.txt", "a");
        drives.writeBytes(u"C:\\work\\b.txt", "b");
        drives.makeDir(u"C:\\other");
        drives.writeBytes(u"C:\\other\\c.txt", "c");
        drives.makeDir(u"C:\\prog\\SYSDAT");
        drives.writeBytes(kCentral, "C:\\other\\c.txt,c from before\r\n");
    }
    void TearDown() override
    {
        second.reset();
        first.reset();
        WindowsFixture::TearDown();
    }

    // Types like an input method would: key events that carry their text.
    void type(Form1& form, const QString& text)
    {
        activate(form);
        for (QChar c : text) {
            const int key = c.unicode() < 128 ? QChar(c).toUpper().unicode() : 0;
            QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
            QApplication::sendEvent(QApplication::focusWidget(), &down);
            QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
            QApplication::sendEvent(QApplication::focusWidget(), &up);
        }
        QApplication::processEvents();
    }

    // From the first file row's first column: Down `row - 1` times, over
    // to the description column, Enter, the text, Enter.
    void describe(Form1& form, int row, const QString& text)
    {
        const FileTable& table = form.model().Grid1;
        ASSERT_EQ(table.row(), 1);
        for (int i = 1; i < row; ++i)
            press(form, Qt::Key_Down);
        for (int i = 0; i < 4; ++i)
            press(form, Qt::Key_Right);
        ASSERT_EQ(table.col(), 4);
        press(form, Qt::Key_Return);
        ASSERT_EQ(QApplication::focusWidget(), form.text1());
        type(form, text);
        press(form, Qt::Key_Return);
        ASSERT_EQ(QApplication::focusWidget(), form.grid());
    }

    std::string central() { return drives.readBytes(kCentral); }

    static constexpr const char16_t* kCentral = u"C:\\prog\\SYSDAT\\SorvikDP.txt";
    platform::FileSystem secondFs{drives.fs().drives()};
    std::unique_ptr<Form1> first;
    std::unique_ptr<Form1> second;
};

TEST_F(SharedDescriptionScenario, descriptionsTypedInTwoWindowsBothReachTheCentralFile)
{
    first = open(drives.fs(), u"C:\\work");
    second = open(secondFs, u"C:\\work");
    ASSERT_EQ(first->model().Grid1.fileName(1), u"a.txt");
    ASSERT_EQ(second->model().Grid1.fileName(2), u"b.txt");

    describe(*first, 1, QStringLiteral("エーの説明"));
    describe(*second, 2, QStringLiteral("ビーの説明"));
    ASSERT_TRUE(first->model().setTreePath(u"C:\\other"));
    ASSERT_TRUE(second->model().setTreePath(u"C:\\other"));

    const std::string aLine = "C:\\work\\a.txt," + cp932(u"エーの説明") + "\r\n";
    const std::string bLine = "C:\\work\\b.txt," + cp932(u"ビーの説明") + "\r\n";
    EXPECT_EQ(central(), "C:\\other\\c.txt,c from before\r\n" + aLine + bLine);
    EXPECT_EQ(second->model().Grid1.cell(1, 4), u"c from before");

    // The first window, back in the directory, shows the second's too.
    ASSERT_TRUE(first->model().setTreePath(u"C:\\work"));
    EXPECT_EQ(first->model().Grid1.cell(1, 4), u"エーの説明");
    EXPECT_EQ(first->model().Grid1.cell(2, 4), u"ビーの説明");

    // Closing both in turn loses neither.
    first->close();
    second->close();
    first.reset();
    second.reset();
    const std::string closed = central();
    EXPECT_NE(closed.find(aLine), std::string::npos);
    EXPECT_NE(closed.find(bLine), std::string::npos);
    EXPECT_NE(closed.find("C:\\other\\c.txt,c from before\r\n"), std::string::npos);
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(SharedDescriptionScenario, descriptionsTypedInTwoWindowsBothReachADirectorysOwnFile)
{
    drives.makeDir(u"C:\\own");
    drives.writeBytes(u"C:\\own\\x.txt", "x");
    drives.writeBytes(u"C:\\own\\y.txt", "y");
    drives.writeBytes(u"C:\\own\\SorvikDP.txt", "C:\\own\\SorvikDP.txt,own file\r\n");
    first = open(drives.fs(), u"C:\\own");
    second = open(secondFs, u"C:\\own");
    const FileTable& table = first->model().Grid1;
    int xRow = 0;
    for (int row = 1; row < table.rows(); ++row) {
        if (table.isFileRow(row) && table.fileName(row) == u"x.txt")
            xRow = row;
    }
    ASSERT_GT(xRow, 0);
    ASSERT_EQ(second->model().Grid1.fileName(xRow + 1), u"y.txt");

    describe(*first, xRow, QStringLiteral("from the first window"));
    describe(*second, xRow + 1, QStringLiteral("from the second window"));
    ASSERT_TRUE(second->model().setTreePath(u"C:\\work"));
    ASSERT_TRUE(first->model().setTreePath(u"C:\\work"));

    EXPECT_EQ(drives.readBytes(u"C:\\own\\SorvikDP.txt"),
        "C:\\own\\SorvikDP.txt,own file\r\n"
        "C:\\own\\y.txt,from the second window\r\n"
        "C:\\own\\x.txt,from the first window\r\n");
    EXPECT_EQ(central(), "C:\\other\\c.txt,c from before\r\n");
}

}
}

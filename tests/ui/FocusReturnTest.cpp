#include "tests/support/DialogKeys.h"
#include "ui/QtUi.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QVBoxLayout>

namespace sorvik::test {
namespace {

// Activation is carried out by the event loop, as a window manager's answer is.
bool becomesActive(QWidget* window)
{
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }, 1000);
}

// The offscreen platform gives no window the keyboard back when another
// closes, like a window manager that drops it: whatever comes back is the
// program's own doing. (tests/wm checks the same under openbox.)
class FocusReturnTest : public testing::Test {
protected:
    void SetUp() override
    {
        platform::clearDialogHooks();
        auto* layout = new QVBoxLayout(&window);
        first = new QLineEdit(&window);
        second = new QLineEdit(&window);
        layout->addWidget(first);
        layout->addWidget(second);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        second->setFocus();
    }
    void TearDown() override
    {
        EXPECT_EQ(platform::dialogsLeftOpen(), 0);
        platform::clearDialogHooks();
    }

    QWidget window;
    QLineEdit* first = nullptr;
    QLineEdit* second = nullptr;
};

TEST_F(FocusReturnTest, theOpenerIsActiveAgainWithItsFocusedControlAfterADialog)
{
    QDialog dialog(&window);
    auto* field = new QLineEdit(&dialog);
    platform::queueDialogHook([&](QDialog& d) {
        field->setFocus();
        keyIn(d, Qt::Key_Escape);
    });
    platform::execDialog(dialog);
    EXPECT_TRUE(becomesActive(&window));
    EXPECT_EQ(QApplication::focusWidget(), second);
}

TEST_F(FocusReturnTest, aMessageInsideADialogSitsOverItAndGivesItTheKeyboardBack)
{
    platform::QtUi ui;
    QDialog dialog(&window);
    auto* field = new QLineEdit(&dialog);
    QWidget* boxParent = nullptr;
    bool dialogActiveAfterMessage = false;
    QWidget* focusAfterMessage = nullptr;
    platform::queueDialogHook([&](QDialog& d) {
        field->setFocus();
        // The window manager has not given the dialog the keyboard yet.
        QApplication::setActiveWindow(nullptr);
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            boxParent = box->parentWidget();
            box->accept();
        });
        ui.showMessage(u"説明");
        dialogActiveAfterMessage = becomesActive(&d);
        focusAfterMessage = QApplication::focusWidget();
        d.reject();
    });
    platform::execDialog(dialog);
    EXPECT_EQ(boxParent, &dialog) << "the open dialog asked, not the window that happened to be active";
    EXPECT_TRUE(dialogActiveAfterMessage);
    EXPECT_EQ(focusAfterMessage, field);
    EXPECT_TRUE(becomesActive(&window));
    EXPECT_EQ(QApplication::focusWidget(), second);
}

TEST_F(FocusReturnTest, theKeyboardIsAskedBackWhenTheWindowManagerLeavesItNowhere)
{
    QDialog dialog(&window);
    platform::queueDialogHook([](QDialog& d) { d.reject(); });
    platform::execDialog(dialog);
    ASSERT_TRUE(becomesActive(&window));
    {
        // What openbox did a moment later: it gave the keyboard to a window
        // that was closing, and then to nothing.
        QWidget closing;
        closing.show();
        ASSERT_TRUE(becomesActive(&closing));
    }
    ASSERT_TRUE(becomesActive(nullptr));
    EXPECT_TRUE(becomesActive(&window));
    EXPECT_EQ(QApplication::focusWidget(), second);
}

TEST_F(FocusReturnTest, theKeyboardIsAskedBackForADialogAfterItsMessageToo)
{
    platform::QtUi ui;
    QDialog dialog(&window);
    bool backAfterBeingLeftNowhere = false;
    platform::queueDialogHook([&](QDialog& d) {
        QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
        ui.showMessage(u"説明");
        ASSERT_TRUE(becomesActive(&d));
        {
            QWidget closing;
            closing.show();
            ASSERT_TRUE(becomesActive(&closing));
        }
        ASSERT_TRUE(becomesActive(nullptr));
        backAfterBeingLeftNowhere = becomesActive(&d);
        d.reject();
    });
    platform::execDialog(dialog);
    EXPECT_TRUE(backAfterBeingLeftNowhere);
}

TEST_F(FocusReturnTest, aWindowOpenedMeanwhileKeepsTheKeyboard)
{
    QDialog dialog(&window);
    platform::queueDialogHook([](QDialog& d) { d.reject(); });
    platform::execDialog(dialog);
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QTest::qWait(800);   // past the program's last look for the keyboard
    EXPECT_EQ(QApplication::activeWindow(), &other);
}

}
}

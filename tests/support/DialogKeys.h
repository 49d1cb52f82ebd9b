#pragma once

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace sorvik::test {

// Presses a key on whatever has the focus, inside an open dialog or not.
inline void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, Qt::Key(k), mods);
}

// Keys pressed inside an open dialog, on whatever has its focus, as a person
// would. The offscreen platform gives no window the keyboard back when a
// nested dialog closes, so the dialog takes it first.
inline void keyIn(QWidget& dialog, int k, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    if (QApplication::activeWindow() != dialog.window())
        QApplication::setActiveWindow(dialog.window());
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, Qt::Key(k), mods);
}

inline void typeIn(QWidget& dialog, const QString& text)
{
    if (QApplication::activeWindow() != dialog.window())
        QApplication::setActiveWindow(dialog.window());
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    for (QChar c : text) {
        if (c.unicode() < 128) {
            QTest::keyClick(target, char(c.unicode()));
            continue;
        }
        // What an input method hands over: a key event that carries only its text.
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &release);
    }
}

inline QString focusName()
{
    QWidget* w = QApplication::focusWidget();
    return w ? w->objectName() : QString();
}

// The texts of a list's items, in order.
inline QStringList itemsOf(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// In FrmCopy, with C:\dest beside C:\work: from Command1 through the lists
// to C:\dest, back to Command1.
inline void chooseDestInDialog()
{
    key(Qt::Key_Left);   // File1
    key(Qt::Key_Left);   // Dir1, on C:\work
    EXPECT_EQ(focusName(), QStringLiteral("Dir1"));
    key(Qt::Key_Up);       // the root
    key(Qt::Key_Return);   // open it: C:\, then dest, prog, work
    key(Qt::Key_Down);
    key(Qt::Key_Return);   // open C:\dest
    key(Qt::Key_Right);    // File1
    key(Qt::Key_Right);    // Command1
    EXPECT_EQ(focusName(), QStringLiteral("Command1"));
}

}

#pragma once

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace sorvik::test {

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

}

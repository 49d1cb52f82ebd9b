#pragma once

#include "app/Form1.h"
#include "app/ProgramCommands.h"
#include "nav/Dir1.h"
#include "nav/DriveButtons.h"
#include "platform/Ui.h"
#include "table/Grid1.h"
#include "tests/support/ModelFixture.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace sorvik::test {

// Starts Form1 offscreen on temporary drives: the program lives in
// C:\prog\ and is started in C:\work unless a test says otherwise.
class Form1Fixture : public DrivesFixture {
protected:
    using DrivesFixture::DrivesFixture;

    void TearDown() override
    {
        form.reset();
        DrivesFixture::TearDown();
    }

    Form1& start(u16view startPath = u"C:\\work") { return start(programIn(u"C:\\prog\\"), startPath); }

    Form1& start(platform::ProgramInfo program, u16view startPath = u"C:\\work")
    {
        form = std::make_unique<Form1>(drives.fs(), std::move(program));
        installCommands(*form);
        form->Load(startPath);
        form->show();
        QApplication::setActiveWindow(form.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        QApplication::processEvents();
        return *form;
    }

    // Closes through the quit button's road and forgets the window.
    void closeForm()
    {
        form->close();
        form.reset();
    }

    void press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        // The offscreen platform has no window manager to give the main
        // window the keyboard back when a dialog closes; a person's would.
        if (!QApplication::activeWindow() && form)
            QApplication::setActiveWindow(form.get());
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, Qt::Key(key), mods);
        QApplication::processEvents();
    }

    // The table row of a file, or -1.
    int rowOf(const u16& name)
    {
        for (int r = 1; r <= table().fileCount(); ++r)
            if (table().fileName(r) == name)
                return r;
        return -1;
    }

    // Moves the table's cursor onto a file's row with the arrow keys.
    void cursorTo(const u16& name)
    {
        const int row = rowOf(name);
        ASSERT_GT(row, 0) << toUtf8(name);
        while (table().row() < row)
            press(Qt::Key_Down);
        while (table().row() > row)
            press(Qt::Key_Up);
    }

    QWidget* focused() const { return QApplication::focusWidget(); }
    Form1Model& model() { return form->model(); }
    const FileTable& table() { return form->model().Grid1; }

    std::unique_ptr<Form1> form;
};

// Several windows over the same drives, as several running instances of the
// program would be.
class WindowsFixture : public DrivesFixture {
protected:
    // Each window with a file system of its own, as each process has.
    std::unique_ptr<Form1> open(platform::FileSystem& fs, u16view startPath)
    {
        auto form = std::make_unique<Form1>(fs, programIn(u"C:\\prog\\"));
        installCommands(*form);
        form->Load(startPath);
        form->show();
        activate(*form);
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        return form;
    }

    // The offscreen platform has no window manager: the test gives the
    // keyboard to the window a person would click on.
    void activate(Form1& form)
    {
        QApplication::setActiveWindow(&form);
        QApplication::processEvents();
    }

    void press(Form1& form, int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        activate(form);
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        ASSERT_EQ(target->window(), &form);
        QTest::keyClick(target, Qt::Key(key), mods);
        QApplication::processEvents();
    }
};

}

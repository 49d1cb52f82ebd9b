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

// Starts Form1 offscreen on temporary drives: the program lives in C:\prog\
// and is started in C:\work unless a test says otherwise.
class Form1Fixture : public DrivesFixture {
protected:
    void TearDown() override
    {
        form.reset();
        DrivesFixture::TearDown();
    }

    Form1& start(u16view startPath = u"C:\\work")
    {
        return start(programIn(u"C:\\prog\\"), startPath);
    }

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

    QWidget* focused() const { return QApplication::focusWidget(); }
    Form1Model& model() { return form->model(); }
    const FileTable& table() { return form->model().Grid1; }

    std::unique_ptr<Form1> form;
};

}

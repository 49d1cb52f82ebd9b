#pragma once

#include "app/Form1Model.h"
#include "platform/Ui.h"
#include "tests/support/TempDrive.h"

#include <gtest/gtest.h>

#include <memory>

namespace sorvik::test {

// Temporary drives with the program in C:\prog\ and a C:\work to start in;
// messages go to a scripted answerer.
class DrivesFixture : public testing::Test {
protected:
    void SetUp() override
    {
        platform::setUi(&ui);
        drives.makeDir(u"C:\\prog");
        drives.makeDir(u"C:\\work");
    }
    void TearDown() override { platform::setUi(nullptr); }

    TempDrives drives;
    platform::ScriptedUi ui;
};

// The same with the main window's model, without a window.
class ProgramFixture : public DrivesFixture {
protected:
    // A model loaded as the window would load it, started in `startPath`.
    Form1Model& loadModel(u16view startPath = u"C:\\work")
    {
        model = std::make_unique<Form1Model>(drives.fs(), programIn(u"C:\\prog\\"));
        model->Load(startPath);
        return *model;
    }

    std::unique_ptr<Form1Model> model;
};

}

#pragma once

#include "app/Form1Model.h"
#include "platform/Ui.h"
#include "tests/support/TempDrive.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sorvik::test {

// Temporary drives with the program in C:\prog\ and a C:\work to start in;
// messages go to a scripted answerer.
class DrivesFixture : public testing::Test {
protected:
    DrivesFixture() = default;
    // The drives under another directory than the system's temporary one.
    explicit DrivesFixture(const std::string& baseDir) : drives(baseDir) {}

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
    using DrivesFixture::DrivesFixture;

    // A model loaded as the window would load it, started in `startPath`.
    Form1Model& loadModel(u16view startPath = u"C:\\work")
    {
        model = std::make_unique<Form1Model>(drives.fs(), programIn(u"C:\\prog\\"));
        model->Load(startPath);
        return *model;
    }

    std::unique_ptr<Form1Model> model;
};

// The file names of a table's rows, top to bottom.
inline std::vector<u16> fileNamesOf(const FileTable& table)
{
    std::vector<u16> out;
    for (int r = 1; r <= table.fileCount(); ++r)
        out.push_back(table.fileName(r));
    return out;
}

// A one-byte file in C:\work with the attributes given.
inline void putInWork(TempDrives& drives, const u16& name, std::uint32_t attributes)
{
    drives.writeBytes(u"C:\\work\\" + name, "x");
    ASSERT_TRUE(drives.fs().setAttributes(u"C:\\work\\" + name, attributes)) << toUtf8(name);
}

}

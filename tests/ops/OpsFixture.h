#pragma once

#include "app/Form1Model.h"
#include "platform/Faults.h"
#include "tests/support/ModelFixture.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <string>
#include <vector>

namespace sorvik::test {

// The main window's model over C:\work, with C:\dest to copy to; rows are
// found, marked and described by name.
class OpsFixture : public ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        drives.makeDir(u"C:\\dest");
    }
    void TearDown() override
    {
        drives.fs().setFaults(nullptr);
        ProgramFixture::TearDown();
    }

    void file(const u16& path, const std::string& bytes, int year = 2020, int second = 0)
    {
        drives.writeBytes(path, bytes);
        drives.setTime(path, year, 1, 1, 12, 0, second);
    }

    Form1Model& load() { return loadModel(u"C:\\work"); }

    int rowOf(const u16& name) const
    {
        for (int r = 1; r <= model->Grid1.fileCount(); ++r)
            if (model->Grid1.fileName(r) == name)
                return r;
        ADD_FAILURE() << "no row " << toUtf8(name);
        return -1;
    }
    void mark(const u16& name) { model->Grid1.toggleMark(rowOf(name)); }
    void cursorOn(const u16& name) { model->Grid1.setCursor(rowOf(name), 0); }
    void describe(const u16& name, const u16& text) { model->Grid1.setCell(rowOf(name), 4, text); }

    // Every name in a host directory, dot files included.
    std::vector<std::string> hostNames(const u16& winDir) const
    {
        std::vector<std::string> out;
        if (DIR* d = opendir(drives.host(winDir).c_str())) {
            while (dirent* e = readdir(d))
                if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                    out.push_back(e->d_name);
            closedir(d);
        }
        return out;
    }
    bool leftoverTemporaries(const u16& winDir) const
    {
        for (const std::string& n : hostNames(winDir))
            if (n.find(".~sorvik-") == 0)
                return true;
        return false;
    }

    platform::FaultPlan faults;
};

}

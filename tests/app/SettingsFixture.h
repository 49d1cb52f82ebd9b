#pragma once

#include "app/Settings.h"
#include "tests/support/TempDrive.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sorvik::test {

// A program directory C:\prog\ with its data directory, on fresh drives.
class SettingsTest : public ::testing::Test {
protected:
    const u16 ProgramDir = u"C:\\prog\\";
    const u16 DataDir = u"C:\\prog\\SYSDAT\\";
    const u16 SettingsPath = DataDir + kSettingsFileName;

    SettingsTest()
    {
        drives.makeDir(DataDir);
    }

    void writeSettings(const std::string& bytes) { drives.writeBytes(SettingsPath, bytes); }
    std::string settingsBytes() const { return drives.readBytes(SettingsPath); }

    SettingsValues load()
    {
        SettingsValues values;
        LoadSettings(drives.fs(), DataDir, ProgramDir, values);
        return values;
    }

    SettingsValues loadFrom(const std::string& bytes)
    {
        writeSettings(bytes);
        return load();
    }

    void save(const SettingsSnapshot& snapshot) { SaveSettings(drives.fs(), DataDir, ProgramDir, snapshot); }

    static std::vector<std::pair<u16, u16>> entries(const JumpList& list)
    {
        std::vector<std::pair<u16, u16>> result;
        for (const clsJump& entry : list)
            result.emplace_back(entry.Alias, entry.fPath);
        return result;
    }

    TempDrives drives;
};

using Entries = std::vector<std::pair<u16, u16>>;

}

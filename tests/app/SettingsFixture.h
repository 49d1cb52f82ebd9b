#pragma once

#include "app/Settings.h"
#include "tests/support/TempDrive.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sorvik::test {

// One load's results side by side: the file's own values and what it fills in.
struct LoadedSettings : SettingsValues, DisplayKinds {
    sorvik::JumpList JumpList;
    sorvik::FilterList FilterList;
};

// What one save is handed: the window's state, the kinds and the two lists.
struct SavedSettings : SettingsSnapshot, DisplayKinds {
    sorvik::JumpList JumpList;
    sorvik::FilterList FilterList;
};

inline void loadInto(platform::FileSystem& fs, u16view dataDir, u16view programDir, LoadedSettings& values)
{
    LoadSettings(fs, dataDir, programDir, values, {values, values.JumpList, values.FilterList});
}

inline void saveFrom(platform::FileSystem& fs, u16view dataDir, u16view /*programDir*/, const SavedSettings& s)
{
    SaveSettings(fs, dataDir, s, s, s.JumpList, s.FilterList);
}

// A program directory C:\prog\ with its data directory, on fresh drives.
class SettingsTest : public ::testing::Test {
protected:
    const u16 ProgramDir = u"C:\\prog\\";
    const u16 DataDir = u"C:\\prog\\SYSDAT\\";
    const u16 SettingsPath = DataDir + kSettingsFileName;

    SettingsTest() { drives.makeDir(DataDir); }

    void writeSettings(const std::string& bytes) { drives.writeBytes(SettingsPath, bytes); }
    std::string settingsBytes() const { return drives.readBytes(SettingsPath); }

    LoadedSettings load()
    {
        LoadedSettings values;
        loadInto(drives.fs(), DataDir, ProgramDir, values);
        return values;
    }

    LoadedSettings loadFrom(const std::string& bytes)
    {
        writeSettings(bytes);
        return load();
    }

    void save(const SavedSettings& snapshot) { saveFrom(drives.fs(), DataDir, ProgramDir, snapshot); }

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

#pragma once

#include "desc/DescriptionFile.h"
#include "desc/Descriptions.h"
#include "platform/Paths.h"
#include "platform/Ui.h"
#include "tests/desc/StoreRecords.h"
#include "tests/support/Cp932.h"
#include "tests/support/TempDrive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>
#include <vector>

namespace sorvik::test {

// The program in C:\TOOLS\ with its data directory, on temporary drives,
// after start-up (ComentLocal set, DescriptionDir = DataDir).
class DescriptionsTest : public testing::Test {
protected:
    DescriptionsTest()
    {
        drives.makeDir(kDataDir);
        platform::setUi(&ui);
        desc.ComentLocal = true;
    }
    ~DescriptionsTest() override { platform::setUi(nullptr); }

    static constexpr const char16_t* kProgramDir = u"C:\\TOOLS\\";
    static constexpr const char16_t* kDataDir = u"C:\\TOOLS\\SYSDAT\\";
    static u16 central() { return u16(kDataDir) + u"SorvikDP.txt"; }
    static u16 ownFile(u16view dir) { return u16(dir) + u"SorvikDP.txt"; }

    void writeText(u16view path, u16view text) { drives.writeBytes(u16(path), cp932(text)); }
    std::string bytes(u16view path) { return drives.readBytes(u16(path)); }
    Records fileRecords(u16view path)
    {
        DescriptionStore store;
        DescriptionFile::read(bytes(path), store);
        return recordsOf(store);
    }
    Records storeRecords() const { return recordsOf(desc.store()); }

    void setReadOnly(u16view path, bool readOnly)
    {
        namespace fs = std::filesystem;
        fs::permissions(drives.host(u16(path)),
            readOnly ? fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read
                     : fs::perms::owner_read | fs::perms::owner_write);
    }

    // Steps 1 to 3 of a directory change; true when the store was replaced.
    bool enter(u16view dir)
    {
        desc.LocalComentSave(AddBackslash(desc.DescriptionDir));
        const bool loaded = desc.LocalComentGet(dir);
        desc.DescriptionDir = u16(dir);
        return loaded;
    }
    u16 coment(u16view path) const
    {
        const u16* text = desc.lookup(path);
        return text ? *text : u16(u"<none>");
    }

    TempDrives drives;
    platform::ScriptedUi ui;
    Descriptions desc{drives.fs(), kProgramDir, kDataDir, u"sorvik"};
};

}

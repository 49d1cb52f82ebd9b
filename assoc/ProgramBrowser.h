#pragma once

#include "nav/DirTree.h"
#include "nav/DriveList.h"
#include "table/FileListing.h"

#include <vector>

namespace sorvik {

// The editor's program browser without a screen: `Drive1`, `Dir1` and
// `File1`, its own instances, so browsing never moves the main window.
// `File1` lists the program files of the browsed directory: the fixed
// pattern, and on Linux also every file with execute permission, since
// programs there carry no such extension.
class ProgramBrowser {
public:
    static constexpr char16_t kProgramPattern[] = u"*.exe;*.com;*.bat";

    ProgramBrowser(const platform::FileSystem& fs, u16view ProgramDir);

    // Where the browser starts: the process's current directory.
    void startInCurrentDirectory();

    // Points the three lists at a directory ending in "\". When the drive or
    // the directory cannot be shown: "パスが見つかりません" once, and the
    // lists show ProgramDir. False in that case.
    bool SetBrowsePath(u16view directory);

    // A new drive in `Drive1`: `Dir1` goes to that drive's current
    // directory. False, with everything as it was, when it cannot be read.
    bool changeDrive(char16_t letter);
    // Enter in `Dir1`: its highlighted entry becomes its path; `File1` follows.
    bool openSelected();

    const DriveList& drives() const { return m_drives; }
    DirTree& tree() { return m_tree; }
    const DirTree& tree() const { return m_tree; }
    // `File1`: its path (the tree's) and the program files, in listing order.
    const u16& filePath() const { return m_listing.path(); }
    const std::vector<u16>& files() const { return m_files; }

private:
    bool show(u16view directory);
    void refreshFiles();

    const platform::FileSystem& m_fs;
    u16 m_programDir;
    DriveList m_drives;
    DirTree m_tree;
    FileListing m_listing;
    std::vector<u16> m_files;
};

}

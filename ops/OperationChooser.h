#pragma once

#include "nav/DirTree.h"
#include "nav/DriveList.h"
#include "table/FileListing.h"

#include <utility>
#include <vector>

namespace sorvik {

// What the operation dialog's drive, directory and file lists show, without
// a screen: the same tree and drive list as the main window's, its own
// instances, so choosing a destination never moves the main window.
class OperationChooser {
public:
    explicit OperationChooser(const platform::FileSystem& fs);

    // Points the three lists at `directory` (the source, `Label1`'s caption).
    void SetForm(u16view directory);
    // The drive list's change: the directory list goes to that drive's
    // current directory. False, with everything as it was, when it cannot.
    bool changeDrive(char16_t letter);
    // Enter in the directory list: the item under its cursor is opened.
    bool openSelected();

    // The source directory (`label1`) and the file list's path, each ending in "\".
    std::pair<u16, u16> GetOperationDirs(u16view label1) const;

    const u16& ChooserPath() const { return m_chooserPath; }
    const DriveList& drives() const { return m_drives; }
    DirTree& tree() { return m_tree; }
    const DirTree& tree() const { return m_tree; }
    const FileListing& files() const { return m_files; }
    // The file list's names as it shows them: by name, letter case aside, in
    // the table's collation (a directory's own order is no order at all).
    std::vector<u16> fileNames() const;

private:
    bool setDirectory(u16view path);

    const platform::FileSystem& m_fs;
    DriveList m_drives;
    DirTree m_tree;
    FileListing m_files;
    u16 m_chooserPath;
};

}

#pragma once

#include "platform/FileSystem.h"

#include <map>
#include <vector>

namespace sorvik {

// The hidden drive list `Drive1`: the machine's drives in the drive table's
// order, the current drive, and the directory last shown on each drive (the
// per-drive current directory Windows keeps).
class DriveList {
public:
    explicit DriveList(const platform::FileSystem& fs);

    // Items as "c:", first character the drive letter.
    std::vector<u16> items() const;
    int count() const { return int(m_fs.drives().drives().size()); }
    char16_t letter(int index) const;
    int indexOf(char16_t letter) const;

    char16_t currentDrive() const { return m_current; }
    // Fails for an unknown drive or one that is not ready (its root cannot be read).
    bool setDrive(char16_t letter);
    bool isReady(char16_t letter) const;

    // The directory the tree shows when the drive is chosen.
    u16 currentDirectoryOf(char16_t letter) const;
    void rememberDirectory(u16view directory);

private:
    const platform::FileSystem& m_fs;
    char16_t m_current = u'C';
    std::map<char16_t, u16> m_lastDirectory;
};

// Upper case of an ASCII drive letter.
char16_t upperLetter(char16_t c);

}

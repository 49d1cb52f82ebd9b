#pragma once

#include "platform/FileSystem.h"

#include <vector>

namespace sorvik {

// The directory tree `Dir1`: the current drive's path from the root down to
// the current directory, then the current directory's subdirectories. Each
// item is a full path; only the root's text ends in "\". The current path
// and the selected item are separate: arrows move the selection, Enter opens.
class DirTree {
public:
    struct Item {
        u16 path;    // full path; "\" only at the root
        int level;   // 0 for the root
        bool open;   // on the path from the root to the current directory
    };

    explicit DirTree(const platform::FileSystem& fs) : m_fs(fs) {}

    // Opens a directory; when it cannot be read, nothing changes and the
    // error tells why (BadName for a path that is not "X:\..." at all).
    platform::Status setPath(u16view path);
    // The current path, without trailing "\" except at a root.
    const u16& path() const { return m_path; }

    const std::vector<Item>& items() const { return m_items; }
    int count() const { return int(m_items.size()); }
    int selected() const { return m_selected; }
    void select(int index);
    const u16& selectedPath() const;
    bool selectedIsRoot() const;
    // Index of the current directory's own item.
    int currentIndex() const { return m_currentIndex; }

private:
    const platform::FileSystem& m_fs;
    u16 m_path;
    std::vector<Item> m_items;
    int m_selected = -1;
    int m_currentIndex = -1;
};

// A directory path in the tree's form: no trailing "\" except at "X:\".
u16 treePathForm(u16view path);

}

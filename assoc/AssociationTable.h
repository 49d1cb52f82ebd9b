#pragma once

#include "platform/FileSystem.h"

#include <vector>

namespace sorvik {

// One association: a name pattern and the program ("ｻｰﾊﾞ") that opens the
// files it matches.
struct AssociationEntry {
    u16 Pattern;
    u16 ProgramPath;
    bool operator==(const AssociationEntry&) const = default;
};

// The ordered association table of the association file in the data
// directory. Only the editor writes that file.
class AssociationTable {
public:
    // Empties the table and reads the association file of `dataDir`; a file
    // that is absent or unreadable leaves the table empty, without a message.
    void AssocTableLoad(const platform::FileSystem& fs, u16view dataDir);
    // The same from the file's text.
    void loadText(u16view text);

    const std::vector<AssociationEntry>& entries() const { return m_entries; }
    int count() const { return int(m_entries.size()); }

    // The first entry whose pattern matches the whole name, letter case aside.
    const AssociationEntry* firstMatch(u16view name) const;

private:
    std::vector<AssociationEntry> m_entries;
};

}

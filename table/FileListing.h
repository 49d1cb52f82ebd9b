#pragma once

#include "platform/FileSystem.h"
#include "table/FilePattern.h"
#include "table/SortOrder.h"

#include <vector>

namespace sorvik {

// The hidden file list `File1`: the files (never directories) of one
// directory that match the listing pattern and the attribute switches.
class FileListing {
public:
    struct Switches {
        bool readOnly = true;
        bool hidden = false;
        bool system = false;
        bool archive = true;
    };

    const u16& path() const { return m_path; }
    void setPath(u16view path) { m_path = path; }

    const FilePattern& pattern() const { return m_pattern; }
    void setPattern(u16view pattern) { m_pattern = FilePattern(pattern); }

    const Switches& switches() const { return m_switches; }
    void setSwitches(const Switches& switches) { m_switches = switches; }

    // Re-reads the directory; false (and no items) when it cannot be read.
    // Each file is asked about once; what that query learnt goes with it.
    bool refresh(const platform::FileSystem& fs);

    const std::vector<ListedFile>& files() const { return m_files; }
    int count() const { return int(m_files.size()); }

private:
    bool listed(std::uint32_t attributes) const;

    u16 m_path;
    FilePattern m_pattern;
    Switches m_switches;
    std::vector<ListedFile> m_files;
};

}

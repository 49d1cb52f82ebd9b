#pragma once

#include "desc/DescriptionStore.h"
#include "platform/FileSystem.h"

#include <unordered_set>

namespace sorvik {

// The one description store with its flags, and the description files it is
// loaded from and saved to.
//
// The store remembers the file its records came from and saves them there,
// not blindly to the file that applies to the directory being left: so one
// directory's records never replace the central file's. When their own file
// has vanished meanwhile, or the records were set before anything was loaded,
// they are merged into the target file (read, replace or add by key, write)
// instead of replacing it. A directory's own file is never created.
class Descriptions {
public:
    Descriptions(platform::FileSystem& fs, u16 programDir, u16 dataDir, u16 exeFileName);

    // The directory whose description file applies to `dir` (ending in "\"):
    // `dir` itself or DataDir, empty when nothing is to be read for it.
    u16 GetLocalPath(u16view dir) const;
    // Saves the records when anything changed. A file that cannot be written
    // is named to the user once; the records stay in memory.
    void LocalComentSave(u16view dir);
    // Loads the records that apply to `dir`; true when the store was replaced
    // (the caller refreshes the table).
    bool LocalComentGet(u16view dir);

    void ComentSet(u16view path, u16view text);
    // A record already under the new path is replaced by the moved one.
    void ComentMove(u16view oldPath, u16view newPath);

    // The description of a full path, nullptr when there is none.
    const u16* lookup(u16view fullPath) const;
    const u16* lookupKey(u16view upperCaseKey) const;

    const DescriptionStore& store() const { return m_store; }
    u16 centralFile() const;
    // The file the records were loaded from; empty before the first load.
    const u16& source() const { return m_source; }

    bool ComentsChanged = false;
    bool ComentLocal = false;
    u16 DescriptionDir;

private:
    void addBuiltInRecords();
    bool writeWhole(const u16& file);
    bool mergeInto(const u16& file);
    void noteWrite(const u16& file, bool written);

    platform::FileSystem& m_fs;
    u16 m_programDir;
    u16 m_dataDir;
    u16 m_exeFileName;
    DescriptionStore m_store;
    u16 m_source;
    // The store holds only some of the destination's records.
    bool m_partial = true;
    // Files already reported as unwritable, by key; a later success clears one.
    std::unordered_set<u16> m_refused;
};

}

#pragma once

#include "desc/DescriptionStore.h"
#include "platform/FileSystem.h"

#include <unordered_map>

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
//
// Records that could not be written are kept for the rest of the run: loading
// their file shows them instead of its older contents, and every later save
// tries to write them again. The user is told once per file, and again only
// after a write to that file has succeeded in between.
class Descriptions {
public:
    Descriptions(platform::FileSystem& fs, u16 programDir, u16 dataDir, u16 exeFileName);

    // The directory whose description file applies to `dir` (ending in "\"):
    // `dir` itself or DataDir, empty when nothing is to be read for it.
    u16 GetLocalPath(u16view dir) const;
    // Saves the records when anything changed; never stops the caller.
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
    // The file the records belong to; empty before the first load.
    const u16& source() const { return m_source; }
    // Files whose records are waiting to be written.
    std::size_t unsavedFiles() const { return m_unsaved.size(); }

    bool ComentsChanged = false;
    bool ComentLocal = false;
    u16 DescriptionDir;

private:
    struct Unsaved {
        u16 file;
        DescriptionStore records;
        bool partial = false;
    };

    void addBuiltInRecords();
    void applyUnsaved(const u16& file);
    // Writes the records (merging them in when partial); on failure keeps
    // them as unsaved and tells the user unless already told.
    bool writeRecords(const u16& file, const DescriptionStore& records, bool partial);
    bool mergeInto(const u16& file, const DescriptionStore& records);
    void retryUnsaved(const u16& except);

    platform::FileSystem& m_fs;
    u16 m_programDir;
    u16 m_dataDir;
    u16 m_exeFileName;
    DescriptionStore m_store;
    u16 m_source;
    // The store holds only some of its file's records: merge, never replace.
    bool m_partial = true;
    std::unordered_map<u16, Unsaved> m_unsaved;   // by the file's key
};

}

#pragma once

#include "desc/DescriptionStore.h"
#include "platform/FileSystem.h"
#include "platform/Outcome.h"

#include <cstdint>
#include <optional>
#include <unordered_map>
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
//
// Records that could not be written are kept for the rest of the run: loading
// their file shows them instead of its older contents, and every later save
// tries to write them again. The user is told once per file, and again only
// after a write to that file has succeeded in between.
//
// No file larger than the reader takes is written, so every file saved here
// is read at the next start. A file that is there but cannot be read is named
// (once, and again only after it was read in between); a directory whose own
// file it is goes on as a directory without one, and the file is never
// written over.
//
// Another instance of the program (or another program) may save the same
// file meanwhile. So a save replaces the file with the store only while the
// file is still the one the records were loaded from; once it changed, it is
// read again and only what this instance changed since (records set, moved
// or removed, each remembered with what it was before) is applied to it: the
// other's additions, changes and removals stay, and where both changed one
// record, this instance's change wins. A record changed here and then back
// counts as unchanged.
class Descriptions {
public:
    // The built-in records name the executable in `programDir` and the files
    // shipped with it in `runtimeDir` (the same directory unless installed).
    Descriptions(platform::FileSystem& fs, u16 programDir, u16 dataDir, u16 exeFileName, u16 runtimeDir = {});

    // The directory whose description file applies to `dir` (ending in "\"):
    // `dir` itself or DataDir, empty when nothing is to be read for it.
    u16 GetLocalPath(u16view dir) const;
    // Saves the records when anything changed; never stops the caller. Done
    // when nothing is lost; else failed, naming the file and, when the system
    // gave one, the reason (the records wait to be written again).
    platform::Outcome LocalComentSave(u16view dir);
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

    // The largest description file read or written. It is the file reader's
    // limit, so that every file written here is read again; tests set a
    // smaller one.
    std::size_t fileSizeLimit() const { return m_fileSizeLimit; }
    void setFileSizeLimit(std::size_t bytes) { m_fileSizeLimit = bytes; }
    // False when DataDir could not be made: the user has been told, and
    // saves meant for the central file are dropped without a second message.
    void setCentralFileWritable(bool writable) { m_centralWritable = writable; }

    bool ComentsChanged = false;
    bool ComentLocal = false;
    u16 DescriptionDir;

private:
    // A file as records were last read from it or written to it.
    struct FileState {
        enum class Kind { Unknown, Absent, Present };
        Kind kind = Kind::Unknown;
        platform::FileStamp stamp;
        // Unknown is never the same as anything, so it counts as a change.
        bool sameAs(const FileState& other) const
        {
            return kind != Kind::Unknown && kind == other.kind && (kind == Kind::Absent || stamp == other.stamp);
        }
    };
    // A key changed since the load: the record it had then (none when it had
    // none), and when it was last changed, so changes are applied in order.
    struct Change {
        std::optional<clsComent> before;
        std::uint64_t order = 0;
    };
    using Changes = std::unordered_map<u16, Change>;
    struct Unsaved {
        u16 file;
        DescriptionStore records;
        bool partial = false;
        FileState loaded;
        Changes changes;
    };
    struct Written {
        platform::Status status;                  // or why it was not written
        FileState state;                          // of the file written
        std::optional<DescriptionStore> merged;   // the file's records, when they were merged
    };

    void addBuiltInRecords();
    void applyUnsaved(const u16& file);
    FileState stateOf(const u16& file) const;
    // Notes that a key is about to change.
    void changing(u16view key);
    // Writes the records: replacing the file while it is as `loaded`, else
    // (and always when partial) merged into what it holds now.
    Written write(const u16& file, const DescriptionStore& records, bool partial, const FileState& loaded,
        const Changes& changes);
    // The records' changes on `target`: when partial all its records, then
    // the changed keys in order of change.
    static void applyChanges(
        DescriptionStore& target, const DescriptionStore& records, bool partial, const Changes& changes);
    // On failure keeps the records as unsaved and tells the user unless
    // already told.
    void noteWritten(const Written& written, const u16& file, const DescriptionStore& records, bool partial,
        const FileState& loaded, const Changes& changes);
    // Names a file that is there but could not be read, unless already told.
    void tellUnreadable(const u16& file, const platform::Error& error);
    void retryUnsaved(const u16& except);

    platform::FileSystem& m_fs;
    u16 m_programDir;
    u16 m_runtimeDir;
    u16 m_dataDir;
    u16 m_exeFileName;
    DescriptionStore m_store;
    u16 m_source;
    // The store holds only some of its file's records: merge, never replace.
    bool m_partial = true;
    FileState m_loaded;   // m_source as the store was loaded from it or saved to it
    Changes m_changes;    // since then
    std::uint64_t m_changeCount = 0;
    std::unordered_map<u16, Unsaved> m_unsaved;   // by the file's key
    std::size_t m_fileSizeLimit = platform::FileSystem::kMaxReadBytes;
    std::unordered_set<u16> m_toldUnreadable;   // by the file's key
    bool m_centralWritable = true;
};

}

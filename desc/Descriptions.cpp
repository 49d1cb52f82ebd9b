#include "desc/Descriptions.h"

#include "desc/DescriptionFile.h"
#include "platform/DataFileNames.h"
#include "platform/Paths.h"
#include "platform/Ui.h"

#include <algorithm>
#include <cerrno>
#include <vector>

namespace sorvik {

Descriptions::Descriptions(platform::FileSystem& fs, u16 programDir, u16 dataDir, u16 exeFileName, u16 runtimeDir)
    : DescriptionDir(dataDir), m_fs(fs), m_programDir(std::move(programDir)),
      m_runtimeDir(runtimeDir.empty() ? m_programDir : std::move(runtimeDir)), m_dataDir(std::move(dataDir)),
      m_exeFileName(std::move(exeFileName))
{
}

u16 Descriptions::centralFile() const
{
    return m_dataDir + kDescriptionFile;
}

u16 Descriptions::GetLocalPath(u16view dir) const
{
    if (m_fs.canOpenForRead(u16(dir) + kDescriptionFile))
        return samePath(dir, m_dataDir) ? u16() : u16(dir);
    return ComentLocal ? m_dataDir : u16();
}

bool Descriptions::LocalComentGet(u16view dir)
{
    u16 from = GetLocalPath(dir);
    if (from.empty())
        return false;
    u16 file = from + kDescriptionFile;
    platform::FileStamp stamp;
    platform::Result<std::string> bytes = m_fs.readFile(file, stamp, m_fileSizeLimit);
    if (!bytes && !samePath(from, m_dataDir)) {
        // The directory's own file is there but cannot be read (too large,
        // say): the directory is one without a file of its own, so the file
        // is never written over, and the user learns why it is not shown.
        tellUnreadable(file, bytes.error());
        if (!ComentLocal)
            return false;
        from = m_dataDir;
        file = centralFile();
        bytes = m_fs.readFile(file, stamp, m_fileSizeLimit);
    }
    m_store.clear();
    m_changes.clear();
    if (bytes) {
        m_toldUnreadable.erase(clsComent::keyOf(file));
        DescriptionFile::readKeeping(std::move(*bytes), m_store);
        ComentLocal = !samePath(from, m_dataDir);
        m_source = file;
        m_partial = false;
        m_loaded = FileState{FileState::Kind::Present, stamp};
    } else {
        tellUnreadable(file, bytes.error());
        addBuiltInRecords();
        ComentsChanged = true;
        ComentLocal = false;
        m_source = centralFile();
        // A central file that exists but could not be read must not be
        // replaced by the five built-in records.
        m_partial = m_fs.exists(m_source);
        // Should another instance create the file first, its records stand.
        m_loaded = m_partial ? FileState{} : FileState{FileState::Kind::Absent, {}};
    }
    applyUnsaved(m_source);
    m_store.releaseSpares();
    return true;
}

void Descriptions::addBuiltInRecords()
{
    const std::size_t dot = m_exeFileName.rfind(u'.');
    const u16 name = dot == u16::npos ? m_exeFileName : m_exeFileName.substr(0, dot);
    m_store.append(clsComent(m_programDir + m_exeFileName, u"Sorvik 実行ファイル"));
    m_store.append(clsComent(m_runtimeDir + name + u".txt", u"Sorvik 説明ﾌｧｲﾙ"));
    m_store.append(clsComent(m_runtimeDir + kHelpFile, u"SorVIK 使用法説明ファイル"));
    m_store.append(clsComent(m_dataDir + kDescriptionFile, u"ファイルの説明データ"));
    m_store.append(clsComent(m_dataDir + kSettingsFile, u"SorVIK 初期設定ファイル"));
}

namespace {

template<typename Changes>
auto inOrder(const Changes& changes)
{
    std::vector<typename Changes::const_pointer> ordered;
    ordered.reserve(changes.size());
    for (const auto& entry : changes)
        ordered.push_back(&entry);
    std::sort(ordered.begin(), ordered.end(), [](auto a, auto b) { return a->second.order < b->second.order; });
    return ordered;
}

bool sameRecord(const clsComent* now, const std::optional<clsComent>& before)
{
    if (!now || !before)
        return !now && !before;
    return now->Path == before->Path && now->Coment == before->Coment;
}

}

// What could not be written counts over what the file still says. Applied
// to the records just loaded, it is a change to them like any other.
void Descriptions::applyUnsaved(const u16& file)
{
    auto it = m_unsaved.find(clsComent::keyOf(file));
    if (it == m_unsaved.end())
        return;
    const Unsaved& unsaved = it->second;
    if (unsaved.partial)
        unsaved.records.forEach([&](const clsComent& record) { changing(record.Key); });
    for (const auto* change : inOrder(unsaved.changes))
        changing(change->first);
    applyChanges(m_store, unsaved.records, unsaved.partial, unsaved.changes);
}

void Descriptions::applyChanges(
    DescriptionStore& target, const DescriptionStore& records, bool partial, const Changes& changes)
{
    if (partial) {
        records.forEach([&](const clsComent& record) {
            target.remove(record.Key);
            target.appendFrom(records, record.Key);
        });
    }
    for (const auto* change : inOrder(changes)) {
        const u16& key = change->first;
        const clsComent* now = records.findByKey(key);
        if ((partial && now) || sameRecord(now, change->second.before))
            continue;
        target.remove(key);
        if (now)
            target.appendFrom(records, key);
    }
}

void Descriptions::changing(u16view key)
{
    auto [it, first] = m_changes.try_emplace(u16(key));
    if (first) {
        if (const clsComent* record = m_store.findByKey(key))
            it->second.before = *record;
    }
    it->second.order = ++m_changeCount;
}

Descriptions::FileState Descriptions::stateOf(const u16& file) const
{
    if (auto stamp = m_fs.stamp(file))
        return FileState{FileState::Kind::Present, *stamp};
    if (!m_fs.exists(file))
        return FileState{FileState::Kind::Absent, {}};
    return FileState{};
}

platform::Outcome Descriptions::LocalComentSave(u16view dir)
{
    if (!ComentsChanged)
        return platform::Outcome::done();
    if (m_store.count() == 0) {
        retryUnsaved(u16());
        return platform::Outcome::done();
    }

    u16 file = m_source;
    bool partial = m_partial;
    if (m_source.empty()) {
        // Records set before any load join the file that applies.
        const u16 local = GetLocalPath(dir);
        file = (local.empty() ? m_dataDir : local) + kDescriptionFile;
        partial = true;
    } else if (!samePath(m_source, centralFile()) && !m_fs.exists(m_source)) {
        // Their own file is gone and is never re-created: keep the records
        // in the central file, next to its own.
        file = centralFile();
        partial = true;
    }
    m_source = file;
    m_partial = partial;
    if (!m_centralWritable && samePath(file, centralFile()))
        return platform::Outcome::failed(file);   // the missing DataDir was told
    Written written = write(file, m_store, partial, m_loaded, m_changes);
    if (written.status.failed() && !partial && m_changes.empty() && m_fs.exists(file)) {
        // Nothing of this file was changed, so it still holds every record:
        // a refused rewrite (a linked file, a directory the user cannot
        // write) loses nothing and is not worth a message.
        retryUnsaved(file);
        return platform::Outcome::done();
    }
    noteWritten(written, file, m_store, partial, m_loaded, m_changes);
    if (written.status) {
        m_loaded = written.state;
        m_changes.clear();
        // The store shows what the file now holds, and the next save starts from it.
        if (written.merged)
            m_store = std::move(*written.merged);
    }
    retryUnsaved(file);
    if (written.status.failed())
        return platform::Outcome::failed(file, written.status.error());
    return platform::Outcome::done();
}

Descriptions::Written Descriptions::write(
    const u16& file, const DescriptionStore& records, bool partial, const FileState& loaded, const Changes& changes)
{
    Written out;
    const auto writeBytes = [&](const std::string& bytes) {
        // What the reader would refuse at the next start is not written.
        if (bytes.size() > m_fileSizeLimit) {
            out.status = platform::Error{platform::ErrorKind::TooLarge, EFBIG};
            return;
        }
        std::optional<platform::FileStamp> stamp;
        out.status = m_fs.writeFileAtomic(file, bytes, stamp);
        if (stamp)
            out.state = FileState{FileState::Kind::Present, *stamp};
    };
    if (!partial && loaded.sameAs(stateOf(file))) {
        writeBytes(DescriptionFile::write(records));
        return out;
    }
    DescriptionStore merged;
    if (auto bytes = m_fs.readFile(file, m_fileSizeLimit)) {
        DescriptionFile::readKeeping(std::move(*bytes), merged);
    } else if (m_fs.exists(file)) {
        out.status = bytes.error();
        return out;   // unreadable: writing would lose its records
    } else if (!partial) {
        // Gone since it was loaded: the store is all there is of it.
        writeBytes(DescriptionFile::write(records));
        return out;
    }
    applyChanges(merged, records, partial, changes);
    writeBytes(DescriptionFile::write(merged));
    if (out.status && !partial)
        out.merged = std::move(merged);
    return out;
}

void Descriptions::noteWritten(const Written& written, const u16& file, const DescriptionStore& records, bool partial,
    const FileState& loaded, const Changes& changes)
{
    const u16 key = clsComent::keyOf(file);
    if (written.status) {
        m_unsaved.erase(key);
        return;
    }
    auto it = m_unsaved.find(key);
    if (it == m_unsaved.end()) {
        platform::ui().showMessage(file + u"に説明を書き込めません\r\n" + platform::reasonText(written.status.error()));
        m_unsaved.emplace(key, Unsaved{file, records, partial, loaded, changes});
    } else if (&it->second.records != &records) {
        it->second = Unsaved{file, records, partial, loaded, changes};
    }
}

void Descriptions::tellUnreadable(const u16& file, const platform::Error& error)
{
    // A file gone since it was seen is simply absent.
    if (error.kind == platform::ErrorKind::NotFound)
        return;
    if (m_toldUnreadable.insert(clsComent::keyOf(file)).second)
        platform::ui().showMessage(file + u"から説明を読み込めません\r\n" + platform::reasonText(error));
}

void Descriptions::retryUnsaved(const u16& except)
{
    const u16 exceptKey = clsComent::keyOf(except);
    std::vector<u16> keys;
    for (const auto& [key, unsaved] : m_unsaved) {
        if (key != exceptKey)
            keys.push_back(key);
    }
    for (const u16& key : keys) {
        const Unsaved& unsaved = m_unsaved.at(key);
        const Written written = write(unsaved.file, unsaved.records, unsaved.partial, unsaved.loaded, unsaved.changes);
        noteWritten(written, unsaved.file, unsaved.records, unsaved.partial, unsaved.loaded, unsaved.changes);
    }
}

void Descriptions::ComentSet(u16view path, u16view text)
{
    clsComent record{u16(path), u16(text)};
    changing(record.Key);
    m_store.remove(record.Key);
    m_store.append(std::move(record));
    ComentsChanged = true;
}

void Descriptions::ComentMove(u16view oldPath, u16view newPath)
{
    const clsComent* old = m_store.find(oldPath);
    if (!old)
        return;
    clsComent moved{u16(newPath), old->Coment};
    const u16 oldKey = old->Key;
    changing(oldKey);
    changing(moved.Key);
    m_store.remove(oldKey);
    m_store.remove(moved.Key);
    m_store.append(std::move(moved));
    ComentsChanged = true;
}

const u16* Descriptions::lookup(u16view fullPath) const
{
    return lookupKey(clsComent::keyOf(fullPath));
}

const u16* Descriptions::lookupKey(u16view upperCaseKey) const
{
    const clsComent* record = m_store.findByKey(upperCaseKey);
    return record ? &record->Coment : nullptr;
}

}

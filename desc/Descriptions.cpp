#include "desc/Descriptions.h"

#include "platform/DataFileNames.h"
#include "desc/DescriptionFile.h"
#include "platform/Paths.h"
#include "platform/Ui.h"

#include <vector>

namespace sorvik {

Descriptions::Descriptions(platform::FileSystem& fs, u16 programDir, u16 dataDir, u16 exeFileName)
    : DescriptionDir(dataDir)
    , m_fs(fs)
    , m_programDir(std::move(programDir))
    , m_dataDir(std::move(dataDir))
    , m_exeFileName(std::move(exeFileName))
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
    const u16 from = GetLocalPath(dir);
    if (from.empty())
        return false;
    m_store.clear();
    const u16 file = from + kDescriptionFile;
    if (auto bytes = m_fs.readFile(file)) {
        DescriptionFile::readKeeping(std::move(*bytes), m_store);
        ComentLocal = !samePath(from, m_dataDir);
        m_source = file;
        m_partial = false;
    } else {
        addBuiltInRecords();
        ComentsChanged = true;
        ComentLocal = false;
        m_source = centralFile();
        // A central file that exists but could not be read must not be
        // replaced by the five built-in records.
        m_partial = m_fs.exists(m_source);
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
    m_store.append(clsComent(m_programDir + name + u".txt", u"Sorvik 説明ﾌｧｲﾙ"));
    m_store.append(clsComent(m_programDir + kHelpFile, u"SorVIK 使用法説明ファイル"));
    m_store.append(clsComent(m_dataDir + kDescriptionFile, u"ファイルの説明データ"));
    m_store.append(clsComent(m_dataDir + kSettingsFile, u"SorVIK 初期設定ファイル"));
}

// What could not be written counts over what the file still says.
void Descriptions::applyUnsaved(const u16& file)
{
    auto it = m_unsaved.find(clsComent::keyOf(file));
    if (it == m_unsaved.end())
        return;
    const Unsaved& unsaved = it->second;
    if (!unsaved.partial) {
        m_store = unsaved.records;
        return;
    }
    unsaved.records.forEach([&](const clsComent& record) {
        m_store.remove(record.Key);
        m_store.append(record);
    });
}

void Descriptions::LocalComentSave(u16view dir)
{
    if (!ComentsChanged)
        return;
    if (m_store.count() == 0) {
        retryUnsaved(u16());
        return;
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
    writeRecords(file, m_store, partial);
    retryUnsaved(file);
}

bool Descriptions::writeRecords(const u16& file, const DescriptionStore& records, bool partial)
{
    const bool written = partial ? mergeInto(file, records) : bool(m_fs.writeFileAtomic(file, DescriptionFile::write(records)));
    const u16 key = clsComent::keyOf(file);
    if (written) {
        m_unsaved.erase(key);
        return true;
    }
    auto it = m_unsaved.find(key);
    if (it == m_unsaved.end()) {
        platform::ui().showMessage(file + u"に説明を書き込めません");
        m_unsaved.emplace(key, Unsaved{file, records, partial});
    } else if (&it->second.records != &records) {
        it->second = Unsaved{file, records, partial};
    }
    return false;
}

bool Descriptions::mergeInto(const u16& file, const DescriptionStore& records)
{
    DescriptionStore merged;
    if (auto bytes = m_fs.readFile(file))
        DescriptionFile::readKeeping(std::move(*bytes), merged);
    else if (m_fs.exists(file))
        return false;   // unreadable: writing would lose its records
    records.forEach([&](const clsComent& record) {
        merged.remove(record.Key);
        merged.append(record);
    });
    return bool(m_fs.writeFileAtomic(file, DescriptionFile::write(merged)));
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
        writeRecords(unsaved.file, unsaved.records, unsaved.partial);
    }
}

void Descriptions::ComentSet(u16view path, u16view text)
{
    clsComent record{u16(path), u16(text)};
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
    m_store.remove(u16(old->Key));
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

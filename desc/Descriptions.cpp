#include "desc/Descriptions.h"

#include "app/DataFiles.h"
#include "desc/DescriptionFile.h"
#include "platform/Paths.h"
#include "platform/Ui.h"

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
        DescriptionFile::read(*bytes, m_store);
        ComentLocal = !samePath(from, m_dataDir);
        m_source = file;
        m_partial = false;
        return true;
    }
    addBuiltInRecords();
    ComentsChanged = true;
    ComentLocal = false;
    // A central file that exists but could not be read must not be replaced
    // by the five built-in records.
    m_source = centralFile();
    m_partial = m_fs.exists(m_source);
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

void Descriptions::LocalComentSave(u16view dir)
{
    if (m_store.count() == 0 || !ComentsChanged)
        return;

    if (m_source.empty()) {
        // Records set before any load: add them to the file that applies.
        const u16 local = GetLocalPath(dir);
        const u16 file = (local.empty() ? m_dataDir : local) + kDescriptionFile;
        if (mergeInto(file)) {
            m_source = file;
            m_partial = true;
        }
        return;
    }

    const bool central = samePath(m_source, centralFile());
    if (!central && !m_fs.exists(m_source)) {
        // Their own file is gone and is never re-created: keep the records
        // in the central file, next to its own.
        const u16 file = centralFile();
        if (mergeInto(file)) {
            m_source = file;
            m_partial = true;
        }
        return;
    }
    if (m_partial)
        mergeInto(m_source);
    else
        writeWhole(m_source);
}

bool Descriptions::writeWhole(const u16& file)
{
    const bool written = m_fs.writeFileAtomic(file, DescriptionFile::write(m_store));
    noteWrite(file, written);
    return written;
}

bool Descriptions::mergeInto(const u16& file)
{
    DescriptionStore merged;
    if (auto bytes = m_fs.readFile(file)) {
        DescriptionFile::read(*bytes, merged);
    } else if (m_fs.exists(file)) {
        noteWrite(file, false);   // unreadable: writing would lose its records
        return false;
    }
    m_store.forEach([&](const clsComent& record) {
        merged.remove(record.Key);
        merged.append(record);
    });
    const bool written = m_fs.writeFileAtomic(file, DescriptionFile::write(merged));
    noteWrite(file, written);
    return written;
}

void Descriptions::noteWrite(const u16& file, bool written)
{
    const u16 key = clsComent::keyOf(file);
    if (written) {
        m_refused.erase(key);
        return;
    }
    if (m_refused.insert(key).second)
        platform::ui().showMessage(file + u"に説明を書き込めません");
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

#include "app/Form1Model.h"

#include "app/DataFiles.h"
#include "platform/Paths.h"
#include "platform/Ui.h"
#include "table/CellFormat.h"
#include "table/SortOrder.h"

#include <string>

namespace sorvik {

Form1Model::Form1Model(platform::FileSystem& fs, platform::ProgramInfo program)
    : m_fs(fs), m_program(std::move(program)), ProgramDir(AddBackslash(m_program.directory)),
      DataDir(platform::dataDirOf(m_program)), RuntimeDir(platform::runtimeDirOf(m_program)), Drive1(fs), Dir1(fs),
      descriptions(fs, ProgramDir, DataDir, m_program.fileName, RuntimeDir)
{
}

void Form1Model::Load(u16view startPath, int tableWidthTwips)
{
    // The tree takes its path when the window is created, before the
    // working directory moves to the data directory. A start directory that
    // cannot be read leaves the program's own directory to start from.
    if (!Dir1.setPath(startPath))
        Dir1.setPath(ProgramDir);
    File1.setPath(Dir1.path());
    if (!Dir1.path().empty())
        Drive1.setDrive(Dir1.path()[0]);

    settings = SettingsValues{};
    displayKinds = DisplayKinds{};
    FilterList = sorvik::FilterList{};
    JumpList = sorvik::JumpList{};
    descriptions.DescriptionDir = DataDir;
    EnterDataDir();
    // What a crashed run left of its data-file writes goes before anything reads there.
    m_fs.removeStaleTemporaries(DataDir);
    SetupFileTable(tableWidthTwips);
    MigrateOldDataFiles();
    LoadSettings(m_fs, DataDir, ProgramDir, settings, {displayKinds, JumpList, FilterList}, settingsOrigin);
    descriptions.ComentLocal = true;
    ApplyDisplayKinds();
    AssocTableLoad();
    OpenFirstDirectory();
    GoToFirstRow();
}

void Form1Model::EnterDataDir()
{
    m_dataDirMissing = false;
    descriptions.setCentralFileWritable(true);
    if (m_fs.setCurrentDirectory(DataDir))
        return;
    if (m_program.placement == platform::Placement::Portable) {
        if (m_fs.createDirectory(ProgramDir + kDataDirName))
            m_fs.setCurrentDirectory(DataDir);
        return;
    }
    // An installed copy has no other place for its data: the user is told
    // once, and the run writes no data file anywhere else.
    if (const platform::Status made = CreateDataDirectory(m_fs, DataDir); !made) {
        m_dataDirMissing = true;
        descriptions.setCentralFileWritable(false);
        platform::ui().showMessage(dataDirMissingMessage(DataDir, made.error()));
        return;
    }
    m_fs.setCurrentDirectory(DataDir);
}

void Form1Model::SetupFileTable(int tableWidthTwips)
{
    descriptions.ComentsChanged = false;
    Grid1.setPosition({});   // cursor to row 0
    Grid1.setTableWidth(tableWidthTwips);
    const int widths[] = {2000, 450, 2200, 1400};
    for (int c = 0; c < 4; ++c)
        Grid1.setColumnWidth(c, widths[c]);
    Grid1.setColumnWidth(4, Grid1.GridCol4());
}

void Form1Model::MigrateOldDataFiles()
{
    if (m_dataDirMissing)
        return;
    // The old names lie where SYSDAT lies: beside the executable for a
    // portable copy, in the user's sorvik directory for an installed one.
    const u16 oldDir = m_program.placement == platform::Placement::Portable
        ? ProgramDir
        : directoryOf(DataDir.substr(0, DataDir.size() - 1));
    MigrateOldDataFile(m_fs, oldDir + u"FileQXZ.txt", DataDir + kHelpFile);
    MigrateOldDataFile(m_fs, oldDir + u"Sorvik.ini", DataDir + kSettingsFile);
    MigrateOldDataFile(m_fs, oldDir + u"zDontDEL.TXT", DataDir + kAssociationFile);
}

void Form1Model::AssocTableLoad()
{
    AssocTable.AssocTableLoad(m_fs, DataDir);
}

void Form1Model::OpenFirstDirectory()
{
    const u16 treePath = AddBackslash(Dir1.path());
    if (samePath(treePath, settings.StartDirectory))
        fillDirectly(Dir1.path());
    else if (settings.StartDirectory.empty() || !setTreePath(settings.StartDirectory))
        fillDirectly(Dir1.path());
}

void Form1Model::fillDirectly(u16view path)
{
    // The tree already shows this directory, so no directory change runs;
    // its descriptions are loaded all the same so the first table shows them.
    descriptions.LocalComentGet(AddBackslash(path));
    descriptions.DescriptionDir = AddBackslash(path);
    File1.setPath(path);
    RefreshFileTable(u'n');
}

void Form1Model::Close(const WindowGeometry& geometry)
{
    SettingsSnapshot snapshot;
    snapshot.Top = geometry.top;
    snapshot.Left = geometry.left;
    snapshot.ClientWidth = geometry.clientWidth;
    snapshot.ClientHeight = geometry.clientHeight;
    snapshot.ListedDirectory = File1.path();
    if (!m_dataDirMissing)
        SaveSettings(m_fs, DataDir, snapshot, {displayKinds, JumpList, FilterList}, settingsOrigin);
    descriptions.LocalComentSave(AddBackslash(descriptions.DescriptionDir));
}

void Form1Model::ApplyDisplayKinds()
{
    sorvik::ApplyDisplayKinds(displayKinds, File1);
}

void Form1Model::RefreshFileTable(char16_t sortKind)
{
    if (onBusy)
        onBusy(true);
    File1.refresh(m_fs);
    CurrentDir = AddBackslash(Dir1.path());
    Drive1.rememberDirectory(CurrentDir);

    const std::vector<ListedFile>& files = File1.files();
    const std::vector<int> order = BuildSortOrder(sortKind, files);

    MigrateOldDataFile(m_fs, u"zDontDEL.DTB", kGuardFile);

    const bool descending = isDescending(sortKind);
    const int n = std::min<int>(int(order.size()), FileTable::kMaxFiles);
    std::vector<FileTable::Row> rows;
    rows.reserve(n);
    // Keys are upper-cased full paths; the directory part is the same for every row.
    const u16 upperDir = platform::toUpper(CurrentDir);
    for (int i = 0; i < n; ++i) {
        const ListedFile& f = files[order[descending ? order.size() - 1 - i : i]];
        FileTable::Row row;
        row[0] = u' ' + f.name;
        if (f.info) {
            row[1] = AttributeText(f.info->attributes);
            row[2] = formatDateCell(f.info->lastWrite);
            row[3] = formatSizeCell(f.info->size);
        }
        if (const u16* text = descriptions.lookupKey(upperDir + platform::toUpper(f.name)))
            row[4] = *text;
        rows.push_back(std::move(row));
    }
    Grid1.setFileRows(std::move(rows));
    m_fileCount = n;
    m_listedCount = int(order.size());
    if (onFileCountChanged)
        onFileCountChanged();
    Grid1.setCursor(std::min(1, Grid1.rows() - 1), 0);
    if (onBusy)
        onBusy(false);

    // A 16-bit table cannot hold more; say so once per directory, not at every refresh.
    if (m_listedCount > n && m_cutNoticeShownFor != CurrentDir) {
        m_cutNoticeShownFor = CurrentDir;
        platform::ui().showMessage(CurrentDir + u"\r\nファイルが多すぎます。先頭の" + fromUtf8(std::to_string(n))
            + u"件だけを表示します(全" + fromUtf8(std::to_string(m_listedCount)) + u"件)");
    }
}

u16 Form1Model::currentDir() const
{
    return AddBackslash(File1.path());
}

u16 Form1Model::fileCountText() const
{
    return fromUtf8(std::to_string(m_fileCount));
}

void Form1Model::GoToFirstRow()
{
    Grid1.setCursor(1, 0);
}

void Form1Model::PushTablePosition()
{
    positions.push(Grid1.position());
}

void Form1Model::PopTablePosition()
{
    TablePosition p = positions.pop();
    // A refill may have removed the row; keep what still exists.
    if (!Grid1.setPosition(p)) {
        p.row = std::int16_t(std::min<int>(p.row, Grid1.rows() - 1));
        Grid1.setPosition(p);
    }
}

int Form1Model::CountMarkedRows()
{
    PushTablePosition();
    int count = 0;
    const int col = Grid1.col();
    for (int r = 0; r <= Grid1.fileCount(); ++r) {
        const u16& cell = Grid1.cell(r, col);
        if (!cell.empty() && cell[0] == u'*')
            ++count;
    }
    PopTablePosition();
    return count;
}

void Form1Model::toggleMarkAtCursor()
{
    const int row = Grid1.row();
    if (!Grid1.toggleMark(row))
        return;
    if (row < Grid1.fileCount())
        Grid1.setCursor(row + 1, Grid1.col());
}

void Form1Model::sortByCursorColumn(bool descending)
{
    static constexpr char16_t kAscending[] = u"n dv";
    static constexpr char16_t kDescending[] = u"N DV";
    const int col = Grid1.col();
    if (col != 0 && col != 2 && col != 3)
        return;
    PushTablePosition();
    RefreshFileTable(descending ? kDescending[col] : kAscending[col]);
    PopTablePosition();
}

void Form1Model::changeCursorColumnWidth(int deltaTwips)
{
    const int col = Grid1.col();
    Grid1.setColumnWidth(col, Grid1.columnWidth(col) + deltaTwips);
    Grid1.setColumnWidth(4, Grid1.GridCol4());
}

bool Form1Model::SelectFilter(int digit)
{
    if (digit < 0 || digit >= int(sorvik::FilterList::kCount) || FilterList[digit].empty())
        return false;
    File1.setPattern(FilterList[digit]);
    RefreshFileTable(u'n');
    return true;
}

bool Form1Model::setTreePath(u16view path)
{
    if (!Dir1.setPath(path))
        return false;
    directoryTreeChange();
    return true;
}

bool Form1Model::setDrive(char16_t letter)
{
    if (!Drive1.setDrive(letter))
        return false;
    // A drive whose current directory cannot be read leaves everything as it was.
    return setTreePath(Drive1.currentDirectoryOf(letter));
}

void Form1Model::directoryTreeChange()
{
    const u16 newDir = AddBackslash(Dir1.path());
    descriptions.LocalComentSave(AddBackslash(descriptions.DescriptionDir));
    descriptions.LocalComentGet(newDir);
    descriptions.DescriptionDir = newDir;
    File1.setPath(Dir1.path());
    CurrentDir = AddBackslash(File1.path());
    RefreshFileTable(u'n');
    GoToFirstRow();
    if (onFileCountChanged)
        onFileCountChanged();
}

void Form1Model::tableLostFocus()
{
    lastTableDir = AddBackslash(File1.path());
    LastTableCol = Grid1.col();
    LastTableRow = Grid1.row();
}

void Form1Model::tableGotFocus()
{
    if (!samePath(lastTableDir, AddBackslash(File1.path())))
        Grid1.setCursor(1, 0);
}

void Form1Model::goToTable()
{
    TablePosition p = Grid1.position();
    p.col = std::int16_t(LastTableCol);
    p.row = std::int16_t(LastTableRow);
    if (!Grid1.setPosition(p)) {
        p.row = 0;
        Grid1.setPosition(p);
    }
}

}

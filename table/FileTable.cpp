#include "table/FileTable.h"

#include <algorithm>

namespace sorvik {

namespace {
// Grid-line width (1) times 7 plus the reserve that keeps the last column
// clear of the vertical scroll bar.
constexpr int kColumn4Reserve = 350 + 7 * 1;
}

FileTable::FileTable()
{
    m_rows.push_back(Row{u"ファイル名", u"属性", u"作成日", u"サイズ", u"概要"});
    m_rows.push_back(Row{});
}

const u16& FileTable::cell(int row, int col) const
{
    static const u16 empty;
    if (row < 0 || row >= rows() || col < 0 || col >= kColumns)
        return empty;
    return m_rows[row][col];
}

void FileTable::setCell(int row, int col, u16 text)
{
    if (row < 0 || row >= rows() || col < 0 || col >= kColumns)
        return;
    m_rows[row][col] = std::move(text);
    if (m_observer.cellChanged)
        m_observer.cellChanged(row, col);
}

void FileTable::setFileRows(std::vector<Row> fileRows)
{
    Row trailing = std::move(m_rows.back());
    Row heading = std::move(m_rows.front());
    if (fileRows.size() > std::size_t(kMaxFiles))
        fileRows.resize(kMaxFiles);
    m_rows = std::move(fileRows);
    m_rows.insert(m_rows.begin(), std::move(heading));
    m_rows.push_back(std::move(trailing));
    m_position.row = std::int16_t(std::min<int>(m_position.row, rows() - 1));
    m_position.topRow = std::int16_t(std::min<int>(m_position.topRow, rows() - 1));
    if (m_observer.reset)
        m_observer.reset();
}

bool FileTable::setPosition(const TablePosition& position)
{
    if (position.row < 0 || position.row >= rows() || position.col < 0 || position.col >= kColumns)
        return false;
    m_position = position;
    m_position.topRow = std::int16_t(std::clamp<int>(position.topRow, 0, rows() - 1));
    m_position.leftCol = std::int16_t(std::clamp<int>(position.leftCol, 0, kColumns - 1));
    if (m_observer.positionChanged)
        m_observer.positionChanged();
    return true;
}

bool FileTable::setCursor(int row, int col)
{
    TablePosition p = m_position;
    p.row = std::int16_t(row);
    p.col = std::int16_t(col);
    if (row < 0 || row >= rows() || col < 0 || col >= kColumns)
        return false;
    return setPosition(p);
}

void FileTable::setScroll(int topRow, int leftCol)
{
    m_position.topRow = std::int16_t(std::clamp(topRow, 0, rows() - 1));
    m_position.leftCol = std::int16_t(std::clamp(leftCol, 0, kColumns - 1));
}

bool FileTable::onFileRowInColumn0() const
{
    return m_position.col == 0 && isFileRow(m_position.row);
}

u16 FileTable::fileName(int row) const
{
    const u16& name = cell(row, 0);
    return name.empty() ? u16() : name.substr(1);
}

bool FileTable::isMarked(int row) const
{
    const u16& name = cell(row, 0);
    return !name.empty() && name[0] == u'*';
}

bool FileTable::toggleMark(int row)
{
    const u16& name = cell(row, 0);
    if (name.empty() || (name[0] != u' ' && name[0] != u'*'))
        return false;
    u16 toggled = name;
    toggled[0] = name[0] == u' ' ? u'*' : u' ';
    setCell(row, 0, std::move(toggled));
    return true;
}

void FileTable::setColumnWidth(int col, int twips)
{
    if (col < 0 || col >= kColumns)
        return;
    m_widths[col] = std::max(0, twips);
    if (m_observer.widthsChanged)
        m_observer.widthsChanged();
}

int FileTable::GridCol4() const
{
    int used = m_widths[0] + m_widths[1] + m_widths[2] + m_widths[3];
    return m_tableWidth - used - kColumn4Reserve;
}

}

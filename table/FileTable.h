#pragma once

#include "platform/Text.h"
#include "table/PositionStack.h"

#include <array>
#include <functional>
#include <vector>

namespace sorvik {

// The rows of `Grid1`: heading row 0, file rows 1..n, one trailing row that
// never holds a file. Marks live in the cells: a row is marked when its name
// cell begins with "*". Cursor and scroll position are kept here so that
// commands and tests work without a screen; the view follows.
class FileTable {
public:
    static constexpr int kColumns = 5;
    static constexpr int kMaxFiles = 32766;   // 16-bit rows less heading and trailing row
    using Row = std::array<u16, kColumns>;

    FileTable();

    int rows() const { return int(m_rows.size()); }
    int fileCount() const { return rows() - 2; }
    const u16& cell(int row, int col) const;
    void setCell(int row, int col, u16 text);

    // Replaces the file rows; the heading and the trailing row stay as they are.
    void setFileRows(std::vector<Row> fileRows);

    TablePosition position() const { return m_position; }
    // Restores cursor and scroll; a cell outside the table is refused.
    bool setPosition(const TablePosition& position);
    int row() const { return m_position.row; }
    int col() const { return m_position.col; }
    bool setCursor(int row, int col);
    void setScroll(int topRow, int leftCol);

    // Cursor in column 0 on a file row.
    bool onFileRowInColumn0() const;
    bool isFileRow(int row) const { return row >= 1 && row <= fileCount(); }
    // Name cell without its mark character.
    u16 fileName(int row) const;
    bool isMarked(int row) const;
    // Toggles the cursor row's mark; false for a cell that is no file name.
    bool toggleMark(int row);

    int columnWidth(int col) const { return m_widths[col]; }
    void setColumnWidth(int col, int twips);
    int tableWidth() const { return m_tableWidth; }
    void setTableWidth(int twips) { m_tableWidth = twips; }
    // Width of column 4 that makes the five columns fill the table.
    int GridCol4() const;

    // The view's hooks: a whole reset, one cell, the cursor or scroll, widths.
    struct Observer {
        std::function<void()> reset;
        std::function<void(int row, int col)> cellChanged;
        std::function<void()> positionChanged;
        std::function<void()> widthsChanged;
    };
    void setObserver(Observer observer) { m_observer = std::move(observer); }

private:
    std::vector<Row> m_rows;
    TablePosition m_position;
    std::array<int, kColumns> m_widths{2000, 450, 2200, 1400, 0};
    int m_tableWidth = 0;
    Observer m_observer;
};

}

#pragma once

#include "table/FileTable.h"
#include "table/FileTableModel.h"

#include <QTableView>

#include <functional>

namespace sorvik {

// The file table's view. It keeps the core table's cursor and scroll in step
// with its own and hands every key to the table dispatcher first.
class Grid1 : public QTableView {
    Q_OBJECT
public:
    Grid1(FileTable& table, QWidget* parent = nullptr);

    // Called with the Windows key; returns the key the grid should still
    // handle (0 when consumed).
    std::function<int(int code, int shift)> onKey;
    std::function<void()> onFocusIn;

    // Pane colours, 0x00BBGGRR.
    void setColors(unsigned back, unsigned fore);
    std::function<void()> onFocusOut;
    std::function<void()> onClicked;
    std::function<void()> onMouseReleased;
    std::function<void()> onDoubleClicked;

    void syncFromTable();
    void applyColumnWidths();
    // The grid it stands for has no type-ahead: letters are commands.
    void keyboardSearch(const QString&) override {}

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void storeScroll();

    FileTable& m_table;
    FileTableModel m_model;
    bool m_syncing = false;
};

}

#include "table/Grid1.h"

#include "platform/KeyCodes.h"
#include "ui/QtConvert.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>

namespace sorvik {

Grid1::Grid1(FileTable& table, QWidget* parent) : QTableView(parent), m_table(table), m_model(table)
{
    setObjectName("Grid1");
    setModel(&m_model);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(18);
    verticalHeader()->setMinimumSectionSize(10);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);

    FileTable::Observer observer;
    observer.reset = [this] {
        m_model.resetFromTable();
        applyColumnWidths();
        syncFromTable();
    };
    observer.cellChanged = [this](int row, int col) { m_model.cellChanged(row, col); };
    observer.positionChanged = [this] { syncFromTable(); };
    observer.widthsChanged = [this] { applyColumnWidths(); };
    m_table.setObserver(observer);
    applyColumnWidths();
    syncFromTable();
}

void Grid1::applyColumnWidths()
{
    for (int c = 0; c < FileTable::kColumns; ++c)
        setColumnWidth(c, twipsToPx(m_table.columnWidth(c)));
}

void Grid1::syncFromTable()
{
    if (m_syncing)
        return;
    m_syncing = true;
    const TablePosition p = m_table.position();
    setCurrentIndex(m_model.index(p.row, p.col));
    verticalScrollBar()->setValue(p.topRow);
    horizontalScrollBar()->setValue(p.leftCol);
    // The cursor cell must stay visible even when the saved scroll would hide it.
    scrollTo(m_model.index(p.row, p.col));
    m_syncing = false;
    storeScroll();
}

void Grid1::storeScroll()
{
    if (m_syncing)
        return;
    m_table.setScroll(verticalScrollBar()->value(), horizontalScrollBar()->value());
}

void Grid1::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (!m_syncing && current.isValid()) {
        m_syncing = true;
        m_table.setCursor(current.row(), current.column());
        m_syncing = false;
    }
    storeScroll();
}

void Grid1::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    storeScroll();
}

void Grid1::keyPressEvent(QKeyEvent* event)
{
    const WinKey key = winKeyOf(event);
    // Esc is left to the window's cancel button.
    applyKeyOutcome(
        event, onKey ? onKey(key.code, key.shift) : key.code, [this](QKeyEvent* e) { QTableView::keyPressEvent(e); });
}

void Grid1::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    if (onFocusIn)
        onFocusIn();
}

void Grid1::focusOutEvent(QFocusEvent* event)
{
    QTableView::focusOutEvent(event);
    if (onFocusOut)
        onFocusOut();
}

void Grid1::mousePressEvent(QMouseEvent* event)
{
    QTableView::mousePressEvent(event);
    if (onClicked)
        onClicked();
}

void Grid1::mouseReleaseEvent(QMouseEvent* event)
{
    QTableView::mouseReleaseEvent(event);
    if (onMouseReleased)
        onMouseReleased();
}

void Grid1::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The first press has already moved the cursor to the clicked cell.
    QTableView::mouseDoubleClickEvent(event);
    if (onDoubleClicked && event->button() == Qt::LeftButton)
        onDoubleClicked();
}

void Grid1::setColors(unsigned back, unsigned fore)
{
    setStyleSheet(
        QStringLiteral("QTableView { background-color: %1; color: %2; }").arg(cssColor(back), cssColor(fore)));
}

}

#include "table/FileTableModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>

namespace sorvik {

FileTableModel::FileTableModel(FileTable& table, QObject* parent) : QAbstractTableModel(parent), m_table(table)
{
}

int FileTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_table.rows();
}

int FileTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FileTable::kColumns;
}

QVariant FileTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row();
    const int col = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return QString::fromStdU16String(m_table.cell(row, col));
    case Qt::TextAlignmentRole:
        if (row == 0)
            return int(Qt::AlignCenter);
        if (col == 3)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        if (row == 0)
            return QBrush(QColor(192, 192, 192));
        return {};
    case Qt::ForegroundRole:
        // The heading row keeps its own colours whichever pane has the attention.
        if (row == 0)
            return QBrush(QColor(0, 0, 0));
        return {};
    default:
        return {};
    }
}

Qt::ItemFlags FileTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void FileTableModel::resetFromTable()
{
    beginResetModel();
    endResetModel();
}

void FileTableModel::cellChanged(int row, int col)
{
    const QModelIndex i = index(row, col);
    emit dataChanged(i, i);
}

}

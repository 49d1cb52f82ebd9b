#pragma once

#include "table/FileTable.h"

#include <QAbstractTableModel>

namespace sorvik {

// Shows the core FileTable; row 0 is the heading row, as in the grid it stands for.
class FileTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit FileTableModel(FileTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void resetFromTable();
    void cellChanged(int row, int col);

private:
    FileTable& m_table;
};

}

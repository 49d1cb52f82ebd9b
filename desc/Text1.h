#pragma once

#include "desc/Descriptions.h"
#include "table/FileTable.h"

#include <QLineEdit>

#include <functional>

namespace sorvik {

// The description entry field: an edit starts from the table's description
// column, Enter stores, Esc discards, and the focus always goes back.
class Text1 : public QLineEdit {
    Q_OBJECT
public:
    Text1(FileTable& table, Descriptions& descriptions, const u16& currentDir, QWidget* parent);

    // Puts the cursor cell's text into the field, selected, and takes the focus.
    void startEdit();

    std::function<void()> backToTable;
    std::function<void()> onFocusIn;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void finish(bool store);

    FileTable& m_table;
    Descriptions& m_descriptions;
    const u16& m_currentDir;
};

}

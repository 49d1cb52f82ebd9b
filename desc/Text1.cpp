#include "desc/Text1.h"

#include "desc/DescriptionEdit.h"

#include <QKeyEvent>

#include <limits>

namespace sorvik {

Text1::Text1(FileTable& table, Descriptions& descriptions, const u16& currentDir, QWidget* parent)
    : QLineEdit(parent), m_table(table), m_descriptions(descriptions), m_currentDir(currentDir)
{
    setObjectName("Text1");
    // Qt's default of 32,767 characters would cut a longer description the
    // moment it is edited; the file and the store take any length.
    setMaxLength(std::numeric_limits<int>::max());
}

void Text1::startEdit()
{
    if (!canEditDescription(m_table))
        return;
    setText(QString::fromStdU16String(m_table.cell(m_table.row(), 4)));
    // All of it, however long, so that typing replaces the whole text.
    selectAll();
    setFocus();
}

void Text1::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        finish(true);
    else if (event->key() == Qt::Key_Escape)
        finish(false);
    else
        QLineEdit::keyPressEvent(event);
}

void Text1::finish(bool store)
{
    if (store)
        storeDescriptionEdit(m_table, m_descriptions, m_currentDir, text().toStdU16String());
    if (backToTable)
        backToTable();
    clear();
    m_table.setCursor(m_table.row(), 4);
}

void Text1::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (onFocusIn)
        onFocusIn();
}

}

// Form1's key routing: window-wide keys first, then each pane's dispatcher,
// whose answer becomes model calls and focus moves.
#include "app/Form1.h"

#include "app/WindowKeys.h"
#include "nav/Dir1.h"
#include "nav/DriveButtons.h"
#include "nav/PaneKeys.h"
#include "table/Grid1.h"
#include "ui/QtConvert.h"

#include <QKeyEvent>

#include <algorithm>
#include <variant>

namespace sorvik {

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick && watched == m_label2) {
        label2DoubleClicked();
        return true;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this || !widget->hasFocus())
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    // Nothing window-wide while a description is typed: digits and J go into the field.
    if (widget == m_text1)
        return false;
    const WinKey k = winKeyOf(key);
    return windowKey(k.code, k.shift);
}

bool Form1::windowKey(int code, int shift)
{
    const WindowKeyResult r = dispatchWindowKey(code, shift);
    if (const CommandId* id = std::get_if<CommandId>(&r.target)) {
        const std::optional<CommandOutcome> result = runCommand(*id);
        if (*id == CommandId::OpenJumpFolder && result == CommandResult::Done) {
            m_model.GoToFirstRow();
            m_grid->setFocus();
        }
        return true;
    }
    switch (std::get<WindowAction>(r.target)) {
    case WindowAction::None:
        return false;
    case WindowAction::SelectFilter:
        m_model.SelectFilter(r.digit);
        return true;
    }
    return false;
}

void Form1::keyPressEvent(QKeyEvent* event)
{
    // Esc that no pane used presses the quit button while it is the cancel button.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && m_escPressesQuit) {
        m_command2->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

int Form1::tableKey(int code, int shift)
{
    const FileTable& t = m_model.Grid1;
    const TableKeyResult r = dispatchTableKey(code, shift, TableState{t.row(), t.col(), t.fileCount()});
    // Copy, move, delete, rename, attributes, compress and extract.
    if (const CommandId* id = std::get_if<CommandId>(&r.target)) {
        const std::optional<CommandOutcome> result = runCommand(*id);
        m_grid->setFocus();   // a dialog that closed hands the keys back to the table
        // The archive commands leave the refresh to the key, and only after success.
        if ((*id == CommandId::Compress || *id == CommandId::Extract) && result == CommandResult::Done) {
            m_model.PushTablePosition();
            m_model.RefreshFileTable(u'n');
            m_model.PopTablePosition();
        }
        return r.outcome.code;
    }
    switch (std::get<TableAction>(r.target)) {
    case TableAction::None:
        break;
    case TableAction::GoToTree:
        m_dir->setFocus();
        break;
    case TableAction::WidenColumn:
        m_model.changeCursorColumnWidth(50);
        break;
    case TableAction::NarrowColumn:
        m_model.changeCursorColumnWidth(-50);
        break;
    case TableAction::EditDescription:
        m_text1->startEdit();
        break;
    case TableAction::DoubleClick:
        Grid1_DblClick();
        break;
    case TableAction::ToggleMark:
        m_model.toggleMarkAtCursor();
        break;
    case TableAction::SortAscending:
    case TableAction::SortDescending:
        m_model.sortByCursorColumn(std::get<TableAction>(r.target) == TableAction::SortDescending);
        break;
    case TableAction::PressQuit:
        m_command2->click();
        break;
    }
    return r.outcome.code;
}

int Form1::treeKey(int code, int shift)
{
    const TreeKeyResult r = dispatchTreeKey(code, shift, m_model.Dir1.selectedIsRoot());
    switch (r.command) {
    case TreeCommand::None:
        break;
    case TreeCommand::GoToTable:
        goToTable();
        break;
    case TreeCommand::ToDriveButtons:
        cmdHddSetFocus();
        break;
    case TreeCommand::OpenSelected:
        if (m_model.setTreePath(m_model.Dir1.selectedPath()))
            refreshTree();
        break;
    }
    return r.outcome.code;
}

int Form1::driveButtonKey(int index, int code, int shift)
{
    const DriveButtonKeyResult r = dispatchDriveButtonKey(code, shift);
    switch (r.command) {
    case DriveButtonCommand::None:
        break;
    case DriveButtonCommand::ToTree:
        m_dir->setFocus();
        break;
    case DriveButtonCommand::Next:
        cmdHddSetFocusIX(std::min(index + 1, m_drives->count() - 1));
        break;
    case DriveButtonCommand::Previous:
        cmdHddSetFocusIX(std::max(index - 1, 0));
        break;
    }
    return r.outcome.code;
}

}

#include "ops/FileCommands.h"

#include "ops/Attributes.h"
#include "ops/Delete.h"
#include "ops/Form5.h"
#include "ops/FrmCopy.h"
#include "ops/ProgressWindow.h"
#include "ops/Rename.h"
#include "ops/frmRename.h"
#include "platform/Ui.h"
#include "table/FileTable.h"
#include "ui/QtUi.h"

namespace sorvik {

namespace {

CommandOutcome copyOrMove(CommandContext& context, QWidget* mainWindow, Operation operation)
{
    FileTable& t = context.table();
    if (t.col() != 0)
        return CommandResult::Failed;
    // A protected file refuses the command before its dialog shows.
    if (CommandOutcome protection = CheckProtectedFiles(context, protectionWord(operation)); !protection.isDone())
        return protection;

    context.PushTablePosition();
    FrmCopy dialog(context.fs(), mainWindow);
    dialog.configure(operation, context.currentDir());
    dialog.SetForm();
    if (context.CountMarkedRows() != 0) {
        dialog.showMarked();
    } else {
        const u16 name = t.fileName(t.row());
        dialog.showCurrent(name, name, true, false);
    }
    // Closed without running, the dialog cancelled the command.
    CommandOutcome result = CommandResult::Cancelled;
    dialog.setExecutor(operation, [&](FrmCopy& d) {
        ProgressWindow progress(QString::fromStdU16String(captionsOf(operation).caption), &d);
        CopyMoveRun run(context, operation, &progress);
        const auto [sourceDir, destinationDir] = d.GetOperationDirs();
        result = run.CopyMarkedOrCurrent(sourceDir, destinationDir,
            d.option1Selected() ? OverwriteRule::ReplaceIfNewer : OverwriteRule::ReplaceAlways);
    });
    platform::execDialog(dialog);
    context.RefreshFileTable(u'n');
    context.PopTablePosition();
    return result;
}

}

CommandOutcome CopyFiles(CommandContext& context, QWidget* mainWindow)
{
    return copyOrMove(context, mainWindow, Operation::Copy);
}

CommandOutcome MoveFiles(CommandContext& context, QWidget* mainWindow)
{
    return copyOrMove(context, mainWindow, Operation::Move);
}

CommandOutcome RenameFile(CommandContext& context, QWidget* mainWindow)
{
    FileTable& t = context.table();
    if (t.col() != 0)
        return CommandResult::Failed;
    if (context.CountMarkedRows() >= 1) {
        platform::ui().showMessage(u"名前の変更は複数同時には出来ません");
        return CommandResult::Failed;
    }
    context.PushTablePosition();
    CommandOutcome result = CommandResult::Cancelled;
    {
        frmRename dialog(mainWindow);
        dialog.setNames(t.fileName(t.row()));
        platform::execDialog(dialog);
        if (dialog.RtCode != 0)
            result = renameInCurrentDir(context, dialog.oldName(), dialog.newName());
    }
    context.PopTablePosition();
    return result;
}

CommandOutcome ChangeAttributes(CommandContext& context, QWidget* mainWindow)
{
    const u16 path = attributePath(context);
    const std::optional<std::uint32_t> attributes = presetAttributes(context, path);
    if (!attributes)
        return CommandOutcome::failed(path);   // told why; no dialog for a file that cannot be asked about
    CommandOutcome result = CommandOutcome::cancelled(path);
    {
        Form5 dialog(mainWindow);
        dialog.setWindowTitle(QStringLiteral("ﾌｧｲﾙ属性変更"));
        dialog.preset(*attributes);
        if (platform::execDialog(dialog) == QDialog::Accepted)
            result = applyAttributes(context, path, dialog.chosen());
    }
    rewriteAttributeCell(context, path);
    return result;
}

void registerFileCommands(CommandRegistry& registry, QWidget* mainWindow)
{
    registry.add(CommandId::Copy, [mainWindow](CommandContext& c) { return CopyFiles(c, mainWindow); });
    registry.add(CommandId::Move, [mainWindow](CommandContext& c) { return MoveFiles(c, mainWindow); });
    registry.add(CommandId::Delete, [](CommandContext& c) { return DeleteFiles(c); });
    registry.add(CommandId::Rename, [mainWindow](CommandContext& c) { return RenameFile(c, mainWindow); });
    registry.add(CommandId::Attribute, [mainWindow](CommandContext& c) { return ChangeAttributes(c, mainWindow); });
}

}

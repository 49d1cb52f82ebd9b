#include "ops/Delete.h"

#include "platform/DataFileNames.h"
#include "platform/Ui.h"
#include "table/FileTable.h"

namespace sorvik {

bool isRefusedForDelete(u16view name)
{
    if (name.size() >= 4 && platform::toUpper(name.substr(name.size() - 4)) == u".LNK")
        return true;
    return name.substr(0, 3) == kDataFilePrefix;
}

CommandOutcome DeleteOneFile(CommandContext& context, u16view name, bool ask)
{
    const u16 path = context.currentDir() + u16(name);
    if (isRefusedForDelete(name)) {
        platform::ui().showMessage(path + u"は削除できません");
        return CommandOutcome::failed(path);
    }
    if (ask && !platform::ui().askYesNo(path + u" 削除しますか？", false))
        return CommandOutcome::cancelled(path);
    const platform::Status status = context.fs().remove(path);
    if (!status) {
        platform::ui().showMessage(path + u"を削除できません\r\n" + platform::reasonText(status.error()));
        return CommandOutcome::failed(path, status.error());
    }
    return CommandOutcome::done();
}

CommandOutcome DeleteFiles(CommandContext& context)
{
    const FileTable& t = context.table();
    CommandOutcome outcome;
    context.PushTablePosition();
    int count = 0;
    for (int r = 0; r <= t.fileCount(); ++r) {
        if (!t.isMarked(r))
            continue;
        if (++count == 1 && !platform::ui().askYesNo(u"選択したﾌｧｲﾙを削除しますか？", false)) {
            outcome = CommandResult::Cancelled;
            break;
        }
        // The rest goes on after a failure; the first one is the outcome.
        const CommandOutcome one = DeleteOneFile(context, t.fileName(r), false);
        if (outcome.isDone())
            outcome = one;
    }
    context.PopTablePosition();
    context.PushTablePosition();
    if (count == 0) {
        // On the trailing row there is nothing to delete.
        outcome = t.isFileRow(t.row()) ? DeleteOneFile(context, t.fileName(t.row()), true) : CommandResult::Failed;
    }
    context.RefreshFileTable(u'n');
    context.PopTablePosition();
    return outcome;
}

}

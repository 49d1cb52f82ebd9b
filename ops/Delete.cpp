#include "ops/Delete.h"

#include "platform/DataFileNames.h"
#include "platform/Ui.h"

namespace sorvik {

bool isRefusedForDelete(u16view name)
{
    if (name.size() >= 4 && platform::toUpper(name.substr(name.size() - 4)) == u".LNK")
        return true;
    return name.substr(0, 3) == kDataFilePrefix;
}

bool DeleteOneFile(CommandContext& context, u16view name, bool ask)
{
    const u16 path = context.currentDir() + u16(name);
    if (isRefusedForDelete(name)) {
        platform::ui().showMessage(path + u"は削除できません");
        return false;
    }
    if (ask && !platform::ui().askYesNo(path + u" 削除しますか？", false))
        return false;
    const platform::Status status = context.fs().remove(path);
    if (!status) {
        platform::ui().showMessage(path + u"を削除できません\r\n" + platform::reasonText(status.error()));
        return false;
    }
    return true;
}

CommandResult DeleteFiles(CommandContext& context)
{
    const FileTable& t = context.table();
    bool allDone = true;
    context.PushTablePosition();
    int count = 0;
    for (int r = 0; r <= t.fileCount(); ++r) {
        if (!t.isMarked(r))
            continue;
        if (++count == 1 && !platform::ui().askYesNo(u"選択したﾌｧｲﾙを削除しますか？", false)) {
            allDone = false;
            break;
        }
        allDone = DeleteOneFile(context, t.fileName(r), false) && allDone;
    }
    context.PopTablePosition();
    context.PushTablePosition();
    if (count == 0) {
        if (t.isFileRow(t.row()))
            allDone = DeleteOneFile(context, t.fileName(t.row()), true);
        else
            allDone = false;
    }
    context.RefreshFileTable(u'n');
    context.PopTablePosition();
    return allDone ? CommandResult::Done : CommandResult::Failed;
}

}

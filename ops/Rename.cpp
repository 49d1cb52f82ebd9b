#include "ops/Rename.h"

#include "platform/Ui.h"

namespace sorvik {

bool isValidFileName(u16view name)
{
    if (name.empty() || name == u"." || name == u"..")
        return false;
    for (char16_t c : name)
        if (c < 0x20 || u16view(u"\\/:*?\"<>|").find(c) != u16view::npos)
            return false;
    return true;
}

CommandOutcome renameInCurrentDir(CommandContext& context, u16view oldName, u16view newName)
{
    const u16 dir = context.currentDir();
    const u16 oldPath = dir + u16(oldName);
    const u16 newPath = dir + u16(newName);
    // OK on the unchanged name leaves the file as it is, but still stores its
    // description anew (at the end of the file) and refreshes the table.
    if (oldName != newName) {
        platform::Status status = isValidFileName(newName)
            ? context.fs().rename(oldPath, newPath)
            : platform::Status(platform::Error{platform::ErrorKind::BadName, 0});
        if (!status) {
            platform::ui().showMessage(
                oldPath + u"の名前を" + u16(newName) + u"に変更できません\r\n" + platform::reasonText(status.error()));
            return CommandOutcome::failed(oldPath, status.error());
        }
    }
    context.ComentMove(oldPath, newPath);
    context.RefreshFileTable(u'n');
    return CommandOutcome::done();
}

}

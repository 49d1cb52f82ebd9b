#include "jump/JumpCommands.h"

#include "jump/JumpFolders.h"
#include "jump/frmInput.h"
#include "jump/frmJmp.h"
#include "platform/Ui.h"
#include "ui/QtUi.h"

#include <memory>

namespace sorvik {

CommandOutcome OpenJumpFolder(JumpTarget& target)
{
    if (target.list.empty())
        return CommandResult::Failed;
    u16 chosen;
    {
        frmJmp dialog(target.list, target.mainWindow);
        platform::execDialog(dialog);
        chosen = dialog.RetValue;
    }
    if (chosen.empty())
        return CommandResult::Cancelled;
    const clsJump* entry = target.list.find(chosen);
    if (!entry || entry->fPath.empty())
        return CommandResult::Failed;
    const u16 folder = entry->fPath;
    GoToFolder(folder, target.programDir, target.showFolder);
    return CommandResult::Done;
}

CommandOutcome RegisterJumpFolder(JumpTarget& target, CommandContext& context)
{
    const u16 currentDir = context.currentDir();
    const u16 alias = askJumpText(target.mainWindow, QStringLiteral("Jumpﾊﾟｽの登録"), defaultAlias(currentDir));
    if (alias.empty())
        return CommandResult::Cancelled;
    if (auto refusal = aliasRefusal(alias)) {
        platform::ui().showMessage(*refusal);
        return CommandResult::Failed;
    }
    registerJump(target.list, alias, currentDir);
    return CommandResult::Done;
}

void registerJumpCommands(CommandRegistry& registry, JumpTarget target)
{
    auto shared = std::make_shared<JumpTarget>(std::move(target));
    registry.add(CommandId::OpenJumpFolder, [shared](CommandContext&) { return OpenJumpFolder(*shared); });
    registry.add(CommandId::RegisterJumpFolder,
        [shared](CommandContext& context) { return RegisterJumpFolder(*shared, context); });
}

}

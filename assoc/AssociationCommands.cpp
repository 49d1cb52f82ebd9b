#include "assoc/AssociationCommands.h"

#include "assoc/Form2.h"
#include "assoc/Launching.h"
#include "ui/QtUi.h"

namespace sorvik {

CommandOutcome cmd関連_Click(
    CommandContext& context, QWidget* mainWindow, AssociationTable& table, u16view DataDir, u16view ProgramDir)
{
    const std::optional<u16> AssocPattern = AssocPatternAtCursor(context.table());
    if (!AssocPattern)
        return CommandResult::Failed;
    {
        Form2 editor(context.fs(), mainWindow, DataDir, ProgramDir, *AssocPattern);
        platform::execDialog(editor);
    }
    table.AssocTableLoad(context.fs(), DataDir);
    return CommandResult::Done;
}

void registerAssociationCommands(
    CommandRegistry& registry, QWidget* mainWindow, AssociationTable& table, u16view DataDir, u16view ProgramDir)
{
    registry.add(CommandId::OpenFile, [&table](CommandContext& c) { return LaunchCurrentFile(c, table); });
    registry.add(CommandId::Associations,
        [mainWindow, &table, dataDir = u16(DataDir), programDir = u16(ProgramDir)](
            CommandContext& c) { return cmd関連_Click(c, mainWindow, table, dataDir, programDir); });
}

}

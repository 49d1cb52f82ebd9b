#include "table/ListingCommands.h"

#include "table/frmFileDisp.h"
#include "table/frmFilter.h"
#include "ui/QtUi.h"

#include <memory>

namespace sorvik {

CommandOutcome FilterSettings(ListingTarget& target)
{
    bool stored = false;
    {
        frmFilter dialog(target.filters, target.mainWindow);
        stored = platform::execDialog(dialog) == QDialog::Accepted;
    }
    if (target.focusTable)
        target.focusTable();
    return stored ? CommandResult::Done : CommandResult::Cancelled;
}

CommandOutcome ChangeDisplayKinds(ListingTarget& target, CommandContext& context)
{
    bool accepted = false;
    {
        frmFileDisp dialog(target.mainWindow);
        DisplayKinds& k = target.kinds;
        dialog.SetCheck(k.ShowReadOnly, k.ShowHidden, k.ShowSystem, k.ShowArchive);
        accepted = platform::execDialog(dialog) == QDialog::Accepted;
        if (accepted)
            dialog.GetCheck(k.ShowReadOnly, k.ShowHidden, k.ShowSystem, k.ShowArchive);
    }
    if (accepted) {
        ApplyDisplayKinds(target.kinds, target.listing);
        context.RefreshFileTable(u'n');
    }
    if (target.focusTable)
        target.focusTable();
    return accepted ? CommandResult::Done : CommandResult::Cancelled;
}

void registerListingCommands(CommandRegistry& registry, ListingTarget target)
{
    auto shared = std::make_shared<ListingTarget>(std::move(target));
    registry.add(CommandId::FilterSettings, [shared](CommandContext&) { return FilterSettings(*shared); });
    registry.add(
        CommandId::DisplayKinds, [shared](CommandContext& context) { return ChangeDisplayKinds(*shared, context); });
}

}

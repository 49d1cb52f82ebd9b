#include "app/ProgramCommands.h"

#include "app/Form1.h"
#include "app/Form3.h"
#include "assoc/AssociationCommands.h"
#include "jump/JumpCommands.h"
#include "nav/Dir1.h"
#include "ops/ArchiveCommands.h"
#include "ops/FileCommands.h"
#include "table/Grid1.h"
#include "table/ListingCommands.h"

namespace sorvik {

void installCommands(Form1& form)
{
    registerFileCommands(form.commands(), &form);
    registerArchiveCommands(form.commands(), &form, form.model().fs());
    registerAssociationCommands(
        form.commands(), &form, form.model().AssocTable, form.model().DataDir, form.model().ProgramDir);

    Form1Model& model = form.model();
    auto focusTable = [&form] { form.grid()->setFocus(); };
    registerListingCommands(
        form.commands(), ListingTarget{model.FilterList, model.displayKinds, model.File1, &form, focusTable});
    registerHelpCommand(form.commands(), HelpTarget{model.fs(), model.RuntimeDir, model.DataDir, &form, focusTable});
    // GoToFolder's road: the drive list, then the tree, whose change refills the table.
    auto showFolder = [&form](u16view folder) {
        Form1Model& m = form.model();
        if (folder.empty() || !m.Drive1.setDrive(folder[0]) || !m.setTreePath(folder))
            return false;
        form.dirTree()->rebuild();
        return true;
    };
    registerJumpCommands(form.commands(), JumpTarget{model.JumpList, model.ProgramDir, showFolder, &form});
}

}

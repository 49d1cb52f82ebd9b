#pragma once

#include "cmd/Commands.h"
#include "table/DisplayKinds.h"
#include "table/FileListing.h"
#include "table/FilterList.h"

#include <functional>

class QWidget;

namespace sorvik {

// What the filter and display-kinds buttons work on: the main window's lists
// and its hidden file listing.
struct ListingTarget {
    FilterList& filters;
    DisplayKinds& kinds;
    FileListing& listing;
    QWidget* mainWindow = nullptr;
    std::function<void()> focusTable;
};

// "ﾌｨﾙﾀ設定(&F)": edits the ten entries; Done when they were stored.
CommandOutcome FilterSettings(ListingTarget& target);
// "SysFile(&G)": edits the display kinds; after "OK" the listing takes them
// and the table is refilled by name. "ｷｬﾝｾﾙ" leaves kinds and table alone.
CommandOutcome ChangeDisplayKinds(ListingTarget& target, CommandContext& context);

void registerListingCommands(CommandRegistry& registry, ListingTarget target);

}

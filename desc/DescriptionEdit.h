#pragma once

#include "desc/Descriptions.h"
#include "table/FileTable.h"

namespace sorvik {

// Whether the cursor row can take a description: a file row. The trailing
// row has no file, and a description stored under the directory's own path
// would help nobody.
bool canEditDescription(const FileTable& table);

// Enter in the description field: stores the text for the cursor row's file
// when it differs from the cell, exactly (case and blanks count). The cursor
// ends in column 4 of the same row. Returns true when something was stored.
bool storeDescriptionEdit(FileTable& table, Descriptions& descriptions, u16view currentDir, u16view text);

}

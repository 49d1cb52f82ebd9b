#include "desc/DescriptionEdit.h"

namespace sorvik {

bool canEditDescription(const FileTable& table)
{
    return table.isFileRow(table.row());
}

bool storeDescriptionEdit(FileTable& table, Descriptions& descriptions, u16view currentDir, u16view text)
{
    const int row = table.row();
    bool stored = false;
    if (table.isFileRow(row) && table.cell(row, 4) != text) {
        table.setCell(row, 4, u16(text));
        const u16 description = table.cell(row, 4);
        descriptions.ComentSet(u16(currentDir) + table.fileName(row), description);
        stored = true;
    }
    table.setCursor(row, 4);
    return stored;
}

}

#include "ops/Attributes.h"

#include "platform/Paths.h"
#include "platform/Ui.h"
#include "table/CellFormat.h"
#include "table/FileTable.h"

namespace sorvik {

u16 attributePath(CommandContext& context)
{
    const FileTable& t = context.table();
    return context.currentDir() + t.fileName(t.row());
}

std::optional<std::uint32_t> presetAttributes(CommandContext& context, u16view path)
{
    auto attributes = context.fs().attributes(path);
    if (!attributes) {
        platform::ui().showMessage(u16(path) + u"の属性を読めません\r\n" + platform::reasonText(attributes.error()));
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (std::uint32_t bit : kAttributeBits)
        value |= *attributes & bit;
    return value;
}

CommandOutcome applyAttributes(CommandContext& context, u16view path, std::uint32_t value)
{
    const platform::Status status = context.fs().setAttributes(path, value);
    if (status)
        return CommandOutcome::done();
    platform::ui().showMessage(u16(path) + u"の属性を変更できません\r\n" + platform::reasonText(status.error()));
    return CommandOutcome::failed(path, status.error());
}

void rewriteAttributeCell(CommandContext& context, u16view path)
{
    FileTable& t = context.table();
    const int row = t.row();
    t.setCursor(row, 1);
    t.setCell(row, 1, AttributeText(context.fs(), path));
    t.setCursor(row, 0);
}

}

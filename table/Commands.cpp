#include "table/Commands.h"

namespace sorvik {

u16 resultText(const CommandOutcome& outcome)
{
    return outcome.isDone() ? u"完了" : u"失敗";
}

std::optional<CommandId> commandOfTableKey(TableCommand command)
{
    switch (command) {
    case TableCommand::Attribute:
        return CommandId::Attribute;
    case TableCommand::Copy:
        return CommandId::Copy;
    case TableCommand::Move:
        return CommandId::Move;
    case TableCommand::Delete:
        return CommandId::Delete;
    case TableCommand::Rename:
        return CommandId::Rename;
    case TableCommand::Compress:
        return CommandId::Compress;
    case TableCommand::Extract:
        return CommandId::Extract;
    default:
        return std::nullopt;
    }
}

std::optional<CommandOutcome> CommandRegistry::run(CommandId id, CommandContext& context) const
{
    auto it = m_commands.find(id);
    if (it == m_commands.end())
        return std::nullopt;
    return it->second(context);
}

}

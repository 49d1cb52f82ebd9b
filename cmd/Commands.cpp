#include "cmd/Commands.h"

namespace sorvik {

u16 resultText(const CommandOutcome& outcome)
{
    return outcome.isDone() ? u"完了" : u"失敗";
}

std::optional<CommandOutcome> CommandRegistry::run(CommandId id, CommandContext& context) const
{
    auto it = m_commands.find(id);
    if (it == m_commands.end())
        return std::nullopt;
    return it->second(context);
}

}

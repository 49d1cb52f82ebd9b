#pragma once

#include "cmd/CommandId.h"
#include "platform/FileSystem.h"
#include "platform/Outcome.h"

#include <functional>
#include <map>
#include <optional>

namespace sorvik {

// Commands act on the main window's file table; they are named here below the
// table so that its key map and every folder that provides a command can use them.
class FileTable;

// How a command ended: done, failed (with the file and the reason when it has
// them) or cancelled by the user. "完了" and "失敗" are made from it only where
// they are shown; a cancelled command shows "失敗", as every command that did
// not get done always has.
using CommandResult = platform::OutcomeKind;
using CommandOutcome = platform::Outcome;
u16 resultText(const CommandOutcome& outcome);

// What a command runs against: the main window's table and the services
// beside it. The main window's model provides it.
class CommandContext {
public:
    virtual ~CommandContext() = default;

    virtual platform::FileSystem& fs() = 0;
    virtual FileTable& table() = 0;
    // The listed directory with a trailing "\".
    virtual u16 currentDir() const = 0;
    virtual void PushTablePosition() = 0;
    virtual void PopTablePosition() = 0;
    virtual void RefreshFileTable(char16_t sortKind) = 0;
    virtual int CountMarkedRows() = 0;
    virtual void ComentSet(u16view path, u16view text) = 0;
    virtual void ComentMove(u16view oldPath, u16view newPath) = 0;
};

// One registry of named commands, filled where the program is put together.
class CommandRegistry {
public:
    using Command = std::function<CommandOutcome(CommandContext&)>;

    void add(CommandId id, Command command) { m_commands[id] = std::move(command); }
    bool has(CommandId id) const { return m_commands.count(id) != 0; }
    // Nothing when no command of that name is registered.
    std::optional<CommandOutcome> run(CommandId id, CommandContext& context) const;

private:
    std::map<CommandId, Command> m_commands;
};

}

#include "assoc/Launching.h"

#include "platform/Launch.h"
#include "platform/Paths.h"
#include "platform/Ui.h"
#include "table/FileTable.h"

namespace sorvik {

bool ShellOpen(const platform::FileSystem& fs, u16view path)
{
    if (!fs.exists(path))
        return false;
    return platform::openWithDesktop(fs, path);
}

CommandOutcome LaunchCurrentFile(CommandContext& context, const AssociationTable& table)
{
    const FileTable& t = context.table();
    const u16 name = t.fileName(t.row());
    const u16 path = context.currentDir() + name;
    if (ShellOpen(context.fs(), path))
        return CommandResult::Done;

    const AssociationEntry* entry = table.firstMatch(name);
    if (!entry)
        return CommandOutcome::failed(path);
    // The whole path names the program, spaces and all; it is never split
    // into a program and its arguments.
    if (entry->ProgramPath.empty() || !context.fs().canOpenForRead(entry->ProgramPath)) {
        platform::ui().showMessage(kBadProgramPathMessage);
        return CommandOutcome::failed(entry->ProgramPath);
    }
    const platform::Status started = platform::startProgram(context.fs(), entry->ProgramPath, path);
    if (!started) {
        platform::ui().showMessage(
            entry->ProgramPath + u"を起動できません\r\n" + platform::reasonText(started.error()));
        return CommandOutcome::failed(entry->ProgramPath, started.error());
    }
    return CommandResult::Done;
}

bool isProgramExtension(u16view upperExtension)
{
    return upperExtension == u"EXE" || upperExtension == u"COM" || upperExtension == u"BAT";
}

std::optional<u16> AssocPatternAtCursor(const FileTable& table)
{
    // Neither the heading row nor the trailing row holds a file.
    if (table.col() != 0 || table.row() < 1 || table.row() > table.fileCount()) {
        platform::ui().showMessage(kNotAssociableCellMessage);
        return std::nullopt;
    }
    const u16 ext = platform::toUpper(GetExtension(table.cell(table.row(), 0)));
    if (isProgramExtension(ext)) {
        platform::ui().showMessage(kNotAssociableExtensionMessage);
        return std::nullopt;
    }
    return u"*." + ext;
}

}

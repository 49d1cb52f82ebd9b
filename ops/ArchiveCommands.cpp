#include "ops/ArchiveCommands.h"

#include "lha/ErrorCodes.h"
#include "lha/Unlha.h"
#include "ops/ArchiveProgress.h"
#include "ops/ArchiveCommandLine.h"
#include "ops/FrmCopy.h"
#include "ops/ProgressWindow.h"
#include "platform/DirectoryNames.h"
#include "platform/QtUi.h"
#include "platform/Ui.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace sorvik {

namespace {

// Room for the report of a long unpack, so its failure line, the last one, is not cut off.
constexpr unsigned long kBufferSize = 65536;

// Runs one archiver command line. The archiver blocks until it is done, so
// it runs beside the window's thread while the progress window shows its
// members and bytes and keeps the windows painted; Esc there stops it, which
// leaves an updated archive as it was and removes a half-extracted file.
int runArchiver(u16view commandLine, u16view title, QWidget* parent, u16& failure)
{
    const std::optional<std::string> line = platform::encodeCp932(commandLine);
    if (!line)
        return lha::kErrInvalidPath;   // a name code page 932 cannot hold cannot reach the archiver
    ArchiveProgress bridge;
    lha::setProgress(&bridge);
    std::atomic<bool> done{false};
    int result = 0;
    std::string buffer(kBufferSize, '\0');
    std::thread worker([&] {
        result = Unlha(nullptr, line->c_str(), buffer.data(), kBufferSize);
        done = true;
    });
    ProgressWindow progress(QString::fromStdU16String(u16(title)), parent);
    while (!done) {
        bridge.forwardTo(progress);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    worker.join();
    lha::setProgress(nullptr);
    bridge.forwardTo(progress);
    progress.end();
    failure = failureLine(buffer.c_str());
    return result;
}

// A stop the user asked for needs no message.
// The code alone does not say which file failed or why; the archiver's
// report does, in its last line "name: reason (0x....)".
void reportArchiverResult(u16view failed, int result, const u16& failure)
{
    if (result == 0 || result == lha::kErrUserCancel)
        return;
    u16 text = u16(failed) + fromUtf8(std::to_string(signed16(result)));
    if (!failure.empty())
        text += u"\r\n" + failure;
    platform::ui().showMessage(text);
}

void CompressToArchive(FrmCopy& dialog, u16view name, u16view archivePath)
{
    const auto [sourceDir, destinationDir] = dialog.GetOperationDirs();
    u16 failure;
    const int result = runArchiver(
        compressCommandLine(archivePath, sourceDir, name, dialog.option1Selected()), u"ﾌｧｲﾙの圧縮", &dialog, failure);
    reportArchiverResult(u"圧縮失敗 :", result, failure);
}

void ExtractArchive(FrmCopy& dialog, u16view name)
{
    const auto [sourceDir, destinationDir] = dialog.GetOperationDirs();
    u16 failure;
    const int result = runArchiver(
        extractCommandLine(sourceDir + u16(name), destinationDir, dialog.option1Selected()), u"ﾌｧｲﾙの解凍", &dialog, failure);
    reportArchiverResult(u"展開失敗 :", result, failure);
}

// Both commands refuse marked files before the dialog shows.
CommandResult archiveCommand(CommandContext& context, QWidget* mainWindow, Operation operation)
{
    FileTable& t = context.table();
    if (t.col() != 0)
        return CommandResult::Failed;
    context.PushTablePosition();
    {
        FrmCopy dialog(context.fs(), mainWindow);
        dialog.configure(operation, context.currentDir());
        dialog.SetForm();
        const u16 name = t.fileName(t.row());
        if (context.CountMarkedRows() != 0) {
            platform::ui().showMessage(operation == Operation::Compress ? u"ﾏｰｸを付けたﾌｧｲﾙの圧縮はできません"
                                                                        : u"ﾏｰｸを付けたﾌｧｲﾙの解凍はできません");
        } else {
            if (operation == Operation::Compress) {
                dialog.showCurrent(name, proposedArchiveName(name), true, true);
                dialog.setExecutor(operation, [name, &context](FrmCopy& d) {
                    // An archive whose name differs only in letter case is the
                    // one to update, as on Windows, not a second one beside it.
                    const u16 typed = d.GetOperationDirs().second + d.text2();
                    CompressToArchive(d, name, platform::existingPathIgnoringCase(context.fs(), typed).value_or(typed));
                });
            } else {
                dialog.showCurrent(name, u"", false, true);
                dialog.setExecutor(operation, [name](FrmCopy& d) { ExtractArchive(d, name); });
            }
            platform::execDialog(dialog);
        }
    }
    context.PopTablePosition();
    return CommandResult::Done;
}

}

CommandResult CompressFile(CommandContext& context, QWidget* mainWindow)
{
    return archiveCommand(context, mainWindow, Operation::Compress);
}

CommandResult ExtractFile(CommandContext& context, QWidget* mainWindow)
{
    const FileTable& t = context.table();
    const std::optional<std::string> path = platform::encodeCp932(context.currentDir() + t.fileName(t.row()));
    if (!path || UnlhaCheckArchive(path->c_str(), 0) == 0) {
        platform::ui().showMessage(u"このﾌｧｲﾙはLHA圧縮ﾌｧｲﾙではありません");
        return CommandResult::Failed;
    }
    return archiveCommand(context, mainWindow, Operation::Extract);
}

void registerArchiveCommands(CommandRegistry& registry, QWidget* mainWindow, platform::FileSystem& fs)
{
    lha::setFileSystem(&fs);
    registry.add(CommandId::Compress, [mainWindow](CommandContext& c) { return CompressFile(c, mainWindow); });
    registry.add(CommandId::Extract, [mainWindow](CommandContext& c) { return ExtractFile(c, mainWindow); });
}

}

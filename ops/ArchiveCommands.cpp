#include "ops/ArchiveCommands.h"

#include "lha/ErrorCodes.h"
#include "lha/MemberPath.h"
#include "lha/Run.h"
#include "lha/Unlha.h"
#include "ops/ArchiveCommandLine.h"
#include "ops/ArchiveProgress.h"
#include "ops/FrmCopy.h"
#include "ops/ProgressWindow.h"
#include "platform/DirectoryNames.h"
#include "platform/Ui.h"
#include "table/FileTable.h"
#include "ui/QtUi.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace sorvik {

namespace {

// Runs one archiver command line. The archiver blocks until it is done, so
// it runs beside the window's thread while the progress window shows its
// members and bytes and keeps the windows painted; Esc there stops it, which
// leaves an updated archive as it was and removes a half-extracted file.
// `values` are the paths and names in the line, for naming the one the code
// page cannot hold.
lha::RunResult runArchiver(u16view commandLine, const std::vector<u16view>& values, u16view title, QWidget* parent)
{
    const std::optional<std::string> line = platform::encodeCp932(commandLine);
    if (!line) {
        // Such a line cannot reach the archiver; say which name stopped it.
        lha::RunResult refused;
        refused.code = lha::kErrInvalidPath;
        for (u16view v : values) {
            if (!platform::representableInCp932(v)) {
                refused.member = lha::shownText(v);
                refused.reason = u"コードページ932で表せない名前です";
                refused.notes.push_back({lha::NoteKind::Failed, refused.member, refused.reason, refused.code});
                break;
            }
        }
        return refused;
    }
    // The archiver takes the line as code page 932 holds it, as through Unlha.
    const u16 cp932Line = platform::decodeCp932(*line);
    ArchiveProgress bridge;
    lha::setProgress(&bridge);
    std::atomic<bool> done{false};
    lha::RunResult result;
    std::thread worker([&] {
        result = lha::run(cp932Line);
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
    return result;
}

void report(u16view failedHeading, u16view leftAloneHeading, const lha::RunResult& result)
{
    const u16 text = archiverMessage(failedHeading, leftAloneHeading, result.code, result.notes);
    if (!text.empty())
        platform::ui().showMessage(text);
}

void CompressToArchive(FrmCopy& dialog, u16view name, u16view archivePath)
{
    const auto [sourceDir, destinationDir] = dialog.GetOperationDirs();
    const lha::RunResult result
        = runArchiver(compressCommandLine(archivePath, sourceDir, name, dialog.option1Selected()),
            {archivePath, sourceDir, name}, u"ﾌｧｲﾙの圧縮", &dialog);
    report(u"圧縮失敗 :", u"次のﾌｧｲﾙは圧縮しませんでした", result);
}

void ExtractArchive(FrmCopy& dialog, u16view name)
{
    const auto [sourceDir, destinationDir] = dialog.GetOperationDirs();
    const u16 archive = sourceDir + u16(name);
    const lha::RunResult result = runArchiver(extractCommandLine(archive, destinationDir, dialog.option1Selected()),
        {archive, destinationDir}, u"ﾌｧｲﾙの解凍", &dialog);
    report(u"展開失敗 :", u"次のﾌｧｲﾙは展開しませんでした", result);
}

// Both commands refuse marked files before the dialog shows.
CommandOutcome archiveCommand(CommandContext& context, QWidget* mainWindow, Operation operation)
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
    // Done once the dialog was reached, whatever the archiver did: the key
    // refreshes the table after Done, and a failure was told in the message.
    return CommandResult::Done;
}

}

CommandOutcome CompressFile(CommandContext& context, QWidget* mainWindow)
{
    return archiveCommand(context, mainWindow, Operation::Compress);
}

CommandOutcome ExtractFile(CommandContext& context, QWidget* mainWindow)
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

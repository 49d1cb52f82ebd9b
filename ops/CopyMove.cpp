#include "ops/CopyMove.h"

#include "platform/DataFileNames.h"
#include "platform/DateFormat.h"
#include "platform/Paths.h"
#include "platform/Ui.h"
#include "table/FileTable.h"

#include <string>
#include <tuple>

namespace sorvik {

namespace {

constexpr char16_t kLineBreak[] = u"\r\n";
// A message longer than this many lines would not fit on a screen.
constexpr std::size_t kMaxListedFailures = 20;

bool isProtected(u16view name)
{
    const u16 upper = platform::toUpper(name);
    for (const char16_t* protectedName : kProtectedNames)
        if (upper == platform::toUpper(protectedName))
            return true;
    return false;
}

bool later(const platform::DateTime& a, const platform::DateTime& b)
{
    return std::tie(a.year, a.month, a.day, a.hour, a.minute, a.second)
        > std::tie(b.year, b.month, b.day, b.hour, b.minute, b.second);
}

}

CommandOutcome CheckProtectedFiles(CommandContext& context, u16view word)
{
    const FileTable& t = context.table();
    u16 list;
    u16 first;
    int count = 0;
    auto test = [&](int row) {
        const u16 upper = platform::toUpper(t.fileName(row));
        if (isProtected(upper)) {
            if (list.empty())
                first = context.currentDir() + t.fileName(row);
            list += upper + kLineBreak;
        }
    };
    for (int r = 0; r <= t.fileCount(); ++r) {
        if (t.isMarked(r)) {
            ++count;
            test(r);
        }
    }
    if (count == 0 && t.isFileRow(t.row()))
        test(t.row());
    if (list.empty())
        return CommandOutcome::done();
    platform::ui().showMessage(list + u"このファイルは" + u16(word) + u"出来ません");
    return CommandOutcome::failed(first);
}

u16 overwriteQuestion(const platform::DateTime& source, const platform::DateTime& destination)
{
    return u"送り元:" + platform::formatDateTime(source) + kLineBreak + u"送り先:"
        + platform::formatDateTime(destination) + kLineBreak + u"古いか同じﾌｧｲﾙです。続行しますか？";
}

CopyMoveRun::CopyMoveRun(CommandContext& context, Operation operation, OperationProgress* progress)
    : m_context(context), m_operation(operation), m_progress(progress)
{
}

CommandOutcome CopyMoveRun::CopyMarkedOrCurrent(u16view sourceDir, u16view destinationDir, OverwriteRule markedRule)
{
    const FileTable& t = m_context.table();
    const u16 source(sourceDir), destination(destinationDir);

    // The rows are read where they stand; the cursor is not walked over
    // every row, so a directory of 32,766 marked files costs no redraw per file.
    std::vector<int> rows;
    for (int r = 0; r <= t.fileCount(); ++r)
        if (t.isMarked(r))
            rows.push_back(r);
    const bool marked = !rows.empty();
    if (!marked && t.isFileRow(t.row()))
        rows.push_back(t.row());

    m_context.PushTablePosition();
    std::vector<std::int64_t> sizes;
    if (m_progress) {
        std::int64_t total = 0;
        for (int r : rows) {
            auto info = m_context.fs().fileInfo(source + t.fileName(r));
            sizes.push_back(info ? info->size : 0);
            total += sizes.back();
        }
        m_progress->begin(int(rows.size()), total);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int r = rows[i];
        if (m_progress && m_progress->cancelRequested()) {
            m_cancelled = true;
            break;
        }
        const u16 name = t.fileName(r);
        if (m_progress)
            m_progress->startFile(name, sizes[i]);
        u16 written;
        const bool copied = CopyOneFile(
            source + name, destination + name, marked ? markedRule : OverwriteRule::AskUnlessNewer, &written);
        if (m_cancelled)
            break;   // the file being copied was removed again; its description stays behind
        // A failed copy left the destination as it was, and with it its own description.
        if (copied)
            CarryDescription(r, written);
        if (m_progress)
            m_progress->fileDone();
    }
    m_context.PopTablePosition();
    if (m_progress)
        m_progress->end();
    reportFailures();
    // A failure is told even after a stop, so it is the outcome then too.
    if (!m_failures.empty())
        return CommandOutcome::failed(source + m_failures.front().name, m_failures.front().error);
    return m_cancelled ? CommandResult::Cancelled : CommandResult::Done;
}

u16 CopyMoveRun::existingDestination(u16view destination)
{
    const u16 dir = directoryOf(destination);
    if (!m_names || dir != m_namesDir) {
        m_namesDir = dir;
        m_names.reset();
        if (auto names = platform::DirectoryNames::read(m_context.fs(), dir))
            m_names = std::move(*names);
    }
    // A directory that cannot be read leaves the name as given; the file
    // system still refuses to replace a file of exactly that name.
    if (!m_names)
        return u16(destination);
    const std::optional<u16> existing = m_names->find(fileNameOf(destination));
    return existing ? dir + *existing : u16(destination);
}

bool CopyMoveRun::CopyOneFile(u16view source, u16view destinationAsGiven, OverwriteRule rule, u16* written)
{
    platform::FileSystem& fs = m_context.fs();
    const u16 destination = existingDestination(destinationAsGiven);
    if (written)
        *written = destination;
    platform::Replace replace = platform::Replace::Never;
    if (fs.canOpenForRead(destination)) {
        auto dS = fs.fileInfo(source);
        if (!dS) {
            m_failures.push_back({fileNameOf(source), dS.error()});
            return false;
        }
        auto dD = fs.fileInfo(destination);
        if (dD) {
            bool take = later(dS->lastWrite, dD->lastWrite);
            if (!take) {
                switch (rule) {
                case OverwriteRule::ReplaceIfNewer:
                    take = false;
                    break;
                case OverwriteRule::ReplaceAlways:
                    take = true;
                    break;
                case OverwriteRule::AskUnlessNewer:
                    take = platform::ui().askYesNo(overwriteQuestion(dS->lastWrite, dD->lastWrite), true);
                    break;
                }
            }
            if (!take)
                return true;   // kept, as the rule says
            replace = platform::Replace::Existing;
        }
    }
    const platform::Status status = m_operation == Operation::Move
        ? fs.moveFile(source, destination, replace, m_progress)
        : fs.copyFile(source, destination, replace, m_progress);
    if (status) {
        if (m_names)
            m_names->add(fileNameOf(destination));
        return true;
    }
    if (status.error().kind == platform::ErrorKind::Cancelled)
        m_cancelled = true;
    else
        m_failures.push_back({fileNameOf(source), status.error()});
    return false;
}

void CopyMoveRun::CarryDescription(int row, u16view destination)
{
    const u16& text = m_context.table().cell(row, 4);
    if (!text.empty())
        m_context.ComentSet(destination, text);
}

void CopyMoveRun::reportFailures()
{
    if (m_failures.empty())
        return;
    u16 text = m_operation == Operation::Move ? u"次のﾌｧｲﾙを移動できませんでした" : u"次のﾌｧｲﾙを複写できませんでした";
    for (std::size_t i = 0; i < m_failures.size() && i < kMaxListedFailures; ++i)
        text += kLineBreak + m_failures[i].name + u" : " + platform::reasonText(m_failures[i].error);
    if (m_failures.size() > kMaxListedFailures)
        text += u16(kLineBreak) + u"ほか" + fromUtf8(std::to_string(m_failures.size() - kMaxListedFailures)) + u"件";
    platform::ui().showMessage(text);
}

}

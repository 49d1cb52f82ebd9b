#pragma once

#include "cmd/Commands.h"
#include "ops/Operation.h"
#include "platform/DirectoryNames.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <vector>

namespace sorvik {

// How an existing destination of the same name is treated.
enum class OverwriteRule {
    ReplaceIfNewer = 0,   // `Option1`, marked files: replace only with a newer source
    ReplaceAlways = 1,    // `Option2`, marked files
    AskUnlessNewer = 2,   // the single current entry: a newer source replaces, else ask
};

// Told how a long copy or move goes; the copy loop asks it after every chunk
// whether to go on.
class OperationProgress : public platform::CopyObserver {
public:
    virtual void begin(int files, std::int64_t bytes) = 0;
    virtual void startFile(u16view name, std::int64_t bytes) = 0;
    virtual void fileDone() = 0;
    virtual void end() = 0;
    // True once the user asked to stop.
    virtual bool cancelRequested() const = 0;
};

// A file that could not be copied or moved, and why.
struct FailedFile {
    u16 name;
    platform::Error error;
};

// Done when no file the command would take is protected, so it may go on;
// else failed (after the message), naming the first protected file.
CommandOutcome CheckProtectedFiles(CommandContext& context, u16view word);

// One run of the copy or move loop of the operation dialog.
class CopyMoveRun {
public:
    CopyMoveRun(CommandContext& context, Operation operation, OperationProgress* progress = nullptr);

    // The marked rows under `markedRule`, or the current entry under
    // AskUnlessNewer when none is marked; then one message for every file
    // that failed. `sourceDir` and `destinationDir` end in "\". The outcome
    // names the first file that failed and why, else tells a stop.
    CommandOutcome CopyMarkedOrCurrent(u16view sourceDir, u16view destinationDir, OverwriteRule markedRule);

    // One file under a rule; false when it failed (the failure is recorded).
    // A file whose name differs from the destination's only in letter case is
    // the destination, as on Windows: the rule applies to it and it keeps its
    // name, which `written` (when given) receives.
    bool CopyOneFile(u16view source, u16view destination, OverwriteRule rule, u16* written = nullptr);

    const std::vector<FailedFile>& failures() const { return m_failures; }
    bool cancelled() const { return m_cancelled; }

private:
    void CarryDescription(int row, u16view destination);
    void reportFailures();
    // The destination path as the file it names is spelt on the disk.
    u16 existingDestination(u16view destination);

    CommandContext& m_context;
    Operation m_operation;
    OperationProgress* m_progress;
    std::vector<FailedFile> m_failures;
    bool m_cancelled = false;
    // The names of the directory last copied into, read once per run so a
    // copy of many files does not read it again for each.
    u16 m_namesDir;
    std::optional<platform::DirectoryNames> m_names;
};

// The question for a destination that is not older than its source.
u16 overwriteQuestion(const platform::DateTime& source, const platform::DateTime& destination);

}

#pragma once

#include "lha/Progress.h"
#include "ops/CopyMove.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

namespace sorvik {

// Carries the archiver's progress from the thread that runs it to the
// window's thread, and the user's "stop" back. The archiver side only
// stores; `forwardTo`, called on the window's thread, tells the window.
class ArchiveProgress : public lha::Progress {
public:
    // The archiver's thread.
    void begin(int members, std::uint64_t bytes) override;
    void startMember(u16view name, std::uint64_t bytes) override;
    bool advanced(std::uint64_t bytes) override;
    void memberDone() override;

    // The window's thread: tells `window` what happened since the last call
    // and passes its cancel request on. False once a stop was asked for.
    bool forwardTo(OperationProgress& window);

private:
    std::mutex m_mutex;
    bool m_begun = false;
    int m_members = 0;
    std::uint64_t m_totalBytes = 0;
    u16 m_name;
    std::uint64_t m_nameSerial = 0;
    std::uint64_t m_memberBytes = 0;
    std::uint64_t m_doneBytes = 0;
    int m_doneMembers = 0;
    std::atomic<bool> m_cancel{false};

    // What the window has been told.
    bool m_toldBegun = false;
    std::uint64_t m_toldSerial = 0;
    std::uint64_t m_toldBytes = 0;
    int m_toldMembers = 0;
};

}

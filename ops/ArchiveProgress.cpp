#include "ops/ArchiveProgress.h"

#include <limits>

namespace sorvik {

namespace {

// Sizes come from archive headers, which may claim anything.
std::int64_t clampSize(std::uint64_t bytes)
{
    return static_cast<std::int64_t>(std::min<std::uint64_t>(bytes, std::numeric_limits<std::int64_t>::max()));
}

}

void ArchiveProgress::begin(int members, std::uint64_t bytes)
{
    std::lock_guard lock(m_mutex);
    m_begun = true;
    m_members = members;
    m_totalBytes = bytes;
}

void ArchiveProgress::startMember(u16view name, std::uint64_t bytes)
{
    std::lock_guard lock(m_mutex);
    m_name = u16(name);
    m_memberBytes = bytes;
    ++m_nameSerial;
}

bool ArchiveProgress::advanced(std::uint64_t bytes)
{
    if (bytes != 0) {
        std::lock_guard lock(m_mutex);
        m_doneBytes += bytes;
    }
    return !m_cancel;
}

void ArchiveProgress::memberDone()
{
    std::lock_guard lock(m_mutex);
    ++m_doneMembers;
}

bool ArchiveProgress::forwardTo(OperationProgress& window)
{
    bool begun = false;
    int members = 0;
    std::uint64_t totalBytes = 0;
    u16 name;
    std::uint64_t serial = 0;
    std::uint64_t memberBytes = 0;
    std::uint64_t doneBytes = 0;
    int doneMembers = 0;
    {
        std::lock_guard lock(m_mutex);
        begun = m_begun;
        members = m_members;
        totalBytes = m_totalBytes;
        serial = m_nameSerial;
        if (serial != m_toldSerial)
            name = m_name;
        memberBytes = m_memberBytes;
        doneBytes = m_doneBytes;
        doneMembers = m_doneMembers;
    }
    if (begun && !m_toldBegun) {
        window.begin(members, clampSize(totalBytes));
        m_toldBegun = true;
    }
    // The window's calls below process its events; that is when Esc lands.
    if (serial != m_toldSerial) {
        window.startFile(name, clampSize(memberBytes));
        m_toldSerial = serial;
    }
    const bool goOn = window.copied(clampSize(doneBytes - m_toldBytes));
    m_toldBytes = doneBytes;
    for (; m_toldMembers < doneMembers; ++m_toldMembers)
        window.fileDone();
    if (!goOn || window.cancelRequested())
        m_cancel = true;
    return !m_cancel;
}

}

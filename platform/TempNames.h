#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>

namespace sorvik::platform {

// Every temporary file the program writes (copies, moves, data files,
// archives) is named ".~sorvik-<pid>-<12 hex>.tmp": the dot keeps it out of
// listings, the pid tells a later process whether its writer still runs, so
// one sweep can remove what any crashed run left.
std::string temporaryName(std::uint64_t pid);

// Who wrote a name found in a directory.
struct TemporaryOwner {
    enum class Kind {
        NotOurs,   // any other file: never touched
        Process,   // one of ours, written by process `pid`
        Unowned,   // ".~sorvik-<12 hex>", the archiver's earlier form without a pid
    } kind
        = Kind::NotOurs;
    std::uint64_t pid = 0;
};
TemporaryOwner temporaryOwner(std::string_view name);

// The earlier archiver names carry no pid; one that has not been written to
// for this long belongs to no running archiver (a live one writes all the time).
inline constexpr std::int64_t kUnownedTemporaryAgeSeconds = 15 * 60;

// Directories already cleared of stale temporary files, so that a copy of
// many files scans each directory once.
class TempSweep {
public:
    // True the first time a directory is asked for.
    bool firstVisit(const std::string& hostDir)
    {
        std::lock_guard lock(m_mutex);
        return m_done.insert(hostDir).second;
    }

private:
    std::mutex m_mutex;
    std::unordered_set<std::string> m_done;
};

// Removes the stale temporary files in the host directory `dir` the first
// time `sweep` is asked for it; each system layer has its own.
void sweepStaleTemps(TempSweep& sweep, const std::string& dir);

// Whether a stale-temporary sweep may remove this entry: ours, its writer
// ended (`ended` asks the system), or an unowned one left long enough.
template<class Ended>
bool isStaleTemporary(std::string_view name, std::uint64_t self, std::int64_t ageSeconds, Ended ended)
{
    const TemporaryOwner owner = temporaryOwner(name);
    switch (owner.kind) {
    case TemporaryOwner::Kind::Process:
        return owner.pid != self && ended(owner.pid);
    case TemporaryOwner::Kind::Unowned:
        return ageSeconds >= kUnownedTemporaryAgeSeconds;
    case TemporaryOwner::Kind::NotOurs:
        break;
    }
    return false;
}

}

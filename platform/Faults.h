#pragma once

#include <functional>
#include <string>
#include <vector>

namespace sorvik::platform {

// The system calls a test can make fail. Write covers every call that puts
// bytes into a file (write, copy_file_range, sendfile).
enum class FsCall { Open, Read, Write, Sync, Rename, Unlink, Stat, SetAttributes, MakeDir, SetTimes };

// The seam through which tests make chosen calls fail, without root tricks.
class FaultInjector {
public:
    virtual ~FaultInjector() = default;
    // Called before each system call with the host path it acts on; returns
    // the errno the call is to fail with, or 0 to let it run.
    virtual int before(FsCall call, const std::string& hostPath) = 0;
};

// Rules counted per call kind: the n-th call (from 1) of a kind whose path
// holds `pathPart` fails, or an action (say, removing a file) runs before it.
class FaultPlan : public FaultInjector {
public:
    void failAt(FsCall call, int nth, int err, std::string pathPart = {});
    void failAlways(FsCall call, int err, std::string pathPart = {});
    void beforeCall(FsCall call, int nth, std::function<void()> action, std::string pathPart = {});
    // How many calls of a kind (with `pathPart` in their path) were seen.
    int count(FsCall call, const std::string& pathPart = {}) const;

    int before(FsCall call, const std::string& hostPath) override;

private:
    struct Rule {
        FsCall call;
        int nth;   // 0: every matching call
        int err;
        std::function<void()> action;
        std::string pathPart;
    };
    struct Seen {
        FsCall call;
        std::string hostPath;
    };
    std::vector<Rule> m_rules;
    std::vector<Seen> m_seen;
};

}

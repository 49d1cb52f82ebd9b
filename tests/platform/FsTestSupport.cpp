#include "tests/platform/FsTestSupport.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace sorvik::test {

namespace {

bool runInChild(const std::function<bool()>& check, bool dropRoot)
{
    const pid_t pid = fork();
    if (pid == 0) {
        alarm(10);
        if (dropRoot && geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
            _exit(2);
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}

bool inChild(const std::function<bool()>& check)
{
    return runInChild(check, false);
}

bool asOrdinaryUser(const std::function<bool()>& check)
{
    return runInChild(check, true);
}

pid_t deadPid()
{
    const pid_t pid = fork();
    if (pid == 0)
        _exit(0);
    int status = 0;
    waitpid(pid, &status, 0);
    return pid;
}

}

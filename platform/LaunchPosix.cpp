#include "platform/Launch.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <string>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace sorvik::platform {

namespace {

// What the watching child saw of the program it started.
struct Report {
    enum Kind : int { None, StartFailed, ExecFailed, Exited, Signalled, Running } kind = None;
    int value = 0;       // errno, exit code or signal
    pid_t program = 0;   // once it has started
};

// What StartedPrograms keeps while one lives: how many programs started, and
// those still running when their watching child went, whose parent this
// process became.
struct Watch {
    std::size_t started = 0;
    std::vector<pid_t> running;
};
std::mutex g_watchMutex;
std::optional<Watch> g_watch;

std::optional<std::string> findInPath(const std::string& name)
{
    const char* env = std::getenv("PATH");
    const std::string path = env && *env ? env : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(path.find(':', start), path.size());
        std::string candidate = end > start ? path.substr(start, end - start) : std::string(".");
        candidate += '/';
        candidate += name;
        struct stat st;
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        if (end == path.size())
            return std::nullopt;
        start = end + 1;
    }
}

// Between fork and exec only async-signal-safe calls are allowed: the
// window's process has other threads whose locks a child cannot trust.
void send(int fd, Report report)
{
    ssize_t n;
    do
        n = ::write(fd, &report, sizeof report);
    while (n < 0 && errno == EINTR);
}

long long monotonicMs()
{
    timespec ts;
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return (long long)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

[[noreturn]] void execProgram(char* const* argv, const char* cwd, int execPipe)
{
    const int null = ::open("/dev/null", O_RDONLY);
    if (null > 0) {
        ::dup2(null, 0);
        ::close(null);
    }
    if (cwd && *cwd && ::chdir(cwd) != 0) {
        // The program starts where we are instead.
    }
#ifdef CLOSE_RANGE_CLOEXEC
    // Descriptors of the window's process are no business of the program.
    ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
#endif
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGPIPE, SIG_DFL);
    ::execve(argv[0], argv, environ);
    const int err = errno;
    ssize_t n;
    do
        n = ::write(execPipe, &err, sizeof err);
    while (n < 0 && errno == EINTR);
    ::_exit(127);
}

// The watching child: starts the program as its own child, learns whether
// exec worked, watches it for up to `watchMs`, reports, and exits at once.
// The program is then a child of init, so nobody here ever has to reap it.
[[noreturn]] void watchProgram(char* const* argv, const char* cwd, long long watchMs, int reportPipe)
{
    ::setsid();   // the program outlives us and our terminal
    int execPipe[2];
    if (::pipe2(execPipe, O_CLOEXEC) != 0) {
        send(reportPipe, {Report::StartFailed, errno});
        ::_exit(0);
    }
    const pid_t program = ::fork();
    if (program < 0) {
        send(reportPipe, {Report::StartFailed, errno});
        ::_exit(0);
    }
    if (program == 0) {
        ::close(execPipe[0]);
        execProgram(argv, cwd, execPipe[1]);
    }
    ::close(execPipe[1]);
    int err = 0;
    ssize_t got;
    do
        got = ::read(execPipe[0], &err, sizeof err);
    while (got < 0 && errno == EINTR);
    if (got == ssize_t(sizeof err)) {
        int status;
        while (::waitpid(program, &status, 0) < 0 && errno == EINTR) {}
        send(reportPipe, {Report::ExecFailed, err});
        ::_exit(0);
    }
    const long long deadline = monotonicMs() + watchMs;
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(program, &status, WNOHANG);
        if (done == program) {
            if (WIFEXITED(status))
                send(reportPipe, {Report::Exited, WEXITSTATUS(status), program});
            else
                send(reportPipe, {Report::Signalled, WIFSIGNALED(status) ? WTERMSIG(status) : 0, program});
            ::_exit(0);
        }
        if ((done < 0 && errno != EINTR) || monotonicMs() >= deadline) {
            send(reportPipe, {Report::Running, 0, program});
            ::_exit(0);
        }
        const timespec step{0, 10 * 1000 * 1000};
        ::nanosleep(&step, nullptr);
    }
}

Report run(const std::vector<std::string>& args, const std::string& cwd, std::chrono::milliseconds watch)
{
    // Everything the children need is made before fork.
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    int reportPipe[2];
    if (::pipe2(reportPipe, O_CLOEXEC) != 0)
        return {Report::StartFailed, errno};
    const pid_t watcher = ::fork();
    if (watcher < 0) {
        const int err = errno;
        ::close(reportPipe[0]);
        ::close(reportPipe[1]);
        return {Report::StartFailed, err};
    }
    if (watcher == 0) {
        ::close(reportPipe[0]);
        watchProgram(argv.data(), cwd.c_str(), watch.count(), reportPipe[1]);
    }
    ::close(reportPipe[1]);
    Report report;
    ssize_t got;
    do
        got = ::read(reportPipe[0], &report, sizeof report);
    while (got < 0 && errno == EINTR);
    if (got != ssize_t(sizeof report))
        report = {Report::StartFailed, EIO};
    ::close(reportPipe[0]);
    int status;
    while (::waitpid(watcher, &status, 0) < 0 && errno == EINTR) {}
    if (report.program > 0) {
        const std::lock_guard lock(g_watchMutex);
        if (g_watch) {
            ++g_watch->started;
            if (report.kind == Report::Running)
                g_watch->running.push_back(report.program);
        }
    }
    return report;
}

std::string hostDirectoryOf(const std::string& hostPath)
{
    const std::size_t slash = hostPath.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? "/" : hostPath.substr(0, slash);
}

}

bool openWithDesktop(const FileSystem& fs, u16view document, std::chrono::milliseconds decideWithin)
{
    const std::optional<std::string> host = fs.hostPath(document);
    if (!host)
        return false;
    const std::optional<std::string> opener = findInPath("xdg-open");
    if (!opener)
        return false;
    const Report r = run({*opener, *host}, hostDirectoryOf(*host), decideWithin);
    return (r.kind == Report::Exited && r.value == 0) || r.kind == Report::Running;
}

Status startProgram(const FileSystem& fs, u16view program, u16view document)
{
    const std::optional<std::string> hostProgram = fs.hostPath(program);
    const std::optional<std::string> hostDocument = fs.hostPath(document);
    if (!hostProgram || !hostDocument)
        return Error{ErrorKind::NotFound, ENOENT};
    const Report r = run({*hostProgram, *hostDocument}, hostDirectoryOf(*hostDocument), std::chrono::milliseconds(0));
    if (r.kind == Report::ExecFailed || r.kind == Report::StartFailed)
        return errorFromErrno(r.value);
    return Status::ok();
}

bool isProgramFile(const FileSystem& fs, u16view path)
{
    const std::optional<std::string> host = fs.hostPath(path);
    if (!host)
        return false;
    struct stat st;
    return ::stat(host->c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(host->c_str(), X_OK) == 0;
}

StartedPrograms::StartedPrograms()
{
    const std::lock_guard lock(g_watchMutex);
    g_watch.emplace();
    // Orphans among our descendants come to us instead of to init, so a
    // program whose watching child has gone can still be waited for.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
}

StartedPrograms::~StartedPrograms()
{
    waitUntilEnded();
    const std::lock_guard lock(g_watchMutex);
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
    g_watch.reset();
}

std::size_t StartedPrograms::waitUntilEnded()
{
    const std::lock_guard lock(g_watchMutex);
    for (const pid_t pid : g_watch->running) {
        int status;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    }
    g_watch->running.clear();
    return g_watch->started;
}

}

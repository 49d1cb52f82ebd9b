#include "tests/platform/FsTestSupport.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

namespace sorvik::test {

bool inChild(const std::function<bool()>& check)
{
    auto done = std::make_shared<std::promise<bool>>();
    std::future<bool> result = done->get_future();
    std::thread([check, done] { done->set_value(check()); }).detach();
    return result.wait_for(std::chrono::seconds(10)) == std::future_status::ready && result.get();
}

pid_t deadPid()
{
    // A process that ends at once; its id is free again once it is gone.
    wchar_t cmd[MAX_PATH + 32];
    const UINT n = GetSystemDirectoryW(cmd, MAX_PATH);
    std::wstring line = L"\"" + std::wstring(cmd, n) + L"\\cmd.exe\" /c exit 0";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return 0;
    WaitForSingleObject(pi.hProcess, INFINITE);
    const pid_t pid = pi.dwProcessId;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return pid;
}

}
#else
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
#endif

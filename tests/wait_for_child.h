// A child process of the test waited for with patience: until it ends, or killed by its pid and
// reaped once the patience has run out. Needs nothing of the project, so every test program can
// use it.
#pragma once
#include <chrono>
#include <functional>
#include <thread>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

struct ChildEnd {
    bool refused = false;   // no child's pid: nothing was waited for or signalled
    bool killed = false;    // it still ran when the patience had run out
    int status = -1;        // waitpid's, once reaped

    // Its exit code when it ended by itself with one; -1 otherwise.
    int exitCode() const
    {
        return !refused && !killed && status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

// The calls that reach the child, for the helper's own test to stand in for.
struct ChildCalls {
    int (*waitid)(idtype_t, id_t, siginfo_t*, int) = ::waitid;
    pid_t (*waitpid)(pid_t, int*, int) = ::waitpid;
    int (*kill)(pid_t, int) = ::kill;
};

// A pid <= 0 is what a failed fork or spawn gives, and to waitpid and kill it means any child, the
// test's process group or every process the user may signal: refused before anything else.
// beforeReaping, when given, runs once the child has ended by itself, while /proc still has it.
inline ChildEnd waitForChild(pid_t pid, std::chrono::milliseconds patience,
                             const std::function<void()>& beforeReaping = {}, const ChildCalls& calls = {})
{
    if (pid <= 0)
        return ChildEnd{true};
    ChildEnd end;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    // WNOWAIT: an ended child stays to be looked at until it is reaped.
    for (siginfo_t info{}; calls.waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
                           info.si_pid == 0;
         info = siginfo_t{}) {
        if (std::chrono::steady_clock::now() >= deadline) {
            calls.kill(pid, SIGKILL);
            end.killed = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!end.killed && beforeReaping)
        beforeReaping();
    if (calls.waitpid(pid, &end.status, 0) != pid)
        end.status = -1;
    return end;
}

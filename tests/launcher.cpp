// Runs one test command and fails it when it leaves a process of its own running after it ends.
//
//     test_launcher PROGRAM [ARGUMENT...]
//
// The launcher adopts every orphan among its descendants (a child subreaper), so whatever the test
// started and did not end is its child once the test has exited. Those it names on stderr and ends;
// they descend from it, so it started them. It looks at its own children only.
// The exit status is the test's own, or 1 when it left processes behind and passed otherwise.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

pid_t test = 0;

// The test is what ctest stops on a timeout or an interrupt: pass it on.
void forward(int signal)
{
    if (test > 0)
        kill(test, signal);
}

// The launcher's children, as the kernel lists them for each of its threads.
std::vector<pid_t> children()
{
    std::vector<pid_t> pids;
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (const dirent* task = readdir(tasks)) {
            if (task->d_name[0] == '.')
                continue;
            std::ifstream list(std::string("/proc/self/task/") + task->d_name + "/children");
            for (pid_t pid; list >> pid;)
                pids.push_back(pid);
        }
        closedir(tasks);
    }
    return pids;
}

std::string commandLine(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::string line = text.str();
    while (!line.empty() && line.back() == '\0')
        line.pop_back();
    for (char& c : line)
        if (c == '\0')
            c = ' ';
    return line;
}

// Collects the children that have already ended: an ended process is not left running.
void reapEnded()
{
    while (waitpid(-1, nullptr, WNOHANG) > 0) {
    }
}

// The children still running once those that were on their way out have ended. A program the
// test saw finish its work may still be exiting when the test ends; one left running still runs
// after two seconds.
std::vector<pid_t> stillRunning()
{
    reapEnded();
    std::vector<pid_t> left = children();
    for (int tick = 0; tick < 200 && !left.empty(); tick++) {
        usleep(10 * 1000);
        reapEnded();
        left = children();
    }
    return left;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [ARGUMENT...]\n", argv[0]);
        return 2;
    }
    if (prctl(PR_SET_CHILD_SUBREAPER, 1) != 0) {
        std::perror("test_launcher: PR_SET_CHILD_SUBREAPER");
        return 2;
    }
    test = fork();
    if (test < 0) {
        std::perror("test_launcher: fork");
        return 2;
    }
    if (test == 0) {
        execvp(argv[1], argv + 1);
        std::fprintf(stderr, "test_launcher: %s: %s\n", argv[1], std::strerror(errno));
        _exit(127);
    }
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT})
        std::signal(signal, forward);

    // Orphans adopted while the test runs may end before it: collect them on the way.
    int status = 0;
    for (;;) {
        int childStatus = 0;
        const pid_t ended = waitpid(-1, &childStatus, 0);
        if (ended == test) {
            status = childStatus;
            break;
        }
        if (ended < 0 && errno != EINTR) {
            std::perror("test_launcher: waitpid");
            return 2;
        }
    }
    int result = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);

    // Ending a leftover hands its own children to the launcher: repeat until none is left.
    for (std::vector<pid_t> left = stillRunning(); !left.empty(); left = stillRunning()) {
        for (pid_t pid : left)
            std::fprintf(stderr, "test_launcher: %s left process %d running: %s\n", argv[1], int(pid),
                         commandLine(pid).c_str());
        for (pid_t pid : left)
            kill(pid, SIGKILL);
        for (pid_t pid : left)
            waitpid(pid, nullptr, 0);
        if (result == 0)
            result = 1;
    }
    return result;
}

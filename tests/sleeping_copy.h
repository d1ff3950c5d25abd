// A running copy of /bin/sleep under a path of the test's choosing, for tests that look for
// processes by their program file. Needs nothing of the project.
#pragma once
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

// The copy's pid once it runs from path (exec has happened), or 0 when it could not start.
inline pid_t startSleepingCopy(const std::string& path)
{
    {
        std::ifstream in("/bin/sleep", std::ios::binary);
        std::ofstream out(path, std::ios::binary);
        out << in.rdbuf();
    }
    chmod(path.c_str(), 0755);
    char* argv[] = {const_cast<char*>(path.c_str()), const_cast<char*>("30"), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) != 0)
        return 0;
    const std::string exe = "/proc/" + std::to_string(pid) + "/exe";
    char target[4096];
    for (int i = 0; i < 200; ++i) {
        ssize_t n = readlink(exe.c_str(), target, sizeof target);
        if (n > 0 && std::string(target, n) == path)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return pid;
}

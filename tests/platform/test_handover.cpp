#include "platform/handover.h"
#include "../read_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string makeTempFolder()
{
    char pattern[] = "/tmp/ts_handover_XXXXXX";
    return mkdtemp(pattern);
}

void removeTree(const std::string& folder)
{
    (void)system(("rm -rf '" + folder + "'").c_str());
}

void setOrUnset(const char* name, const char* value)
{
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

TEST(PlatformFolders, CreateNestedFolders)
{
    std::string root = makeTempFolder();
    std::string nested = root + "/a/b/c";
    EXPECT_TRUE(platformCreateFolders(nested));
    EXPECT_TRUE(platformCreateFolders(nested));   // already there
    struct stat st;
    ASSERT_EQ(stat(nested.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    std::ofstream(root + "/file") << "x";
    EXPECT_FALSE(platformCreateFolders(root + "/file/sub"));   // a file in the way
    EXPECT_FALSE(platformCreateFolders(""));
    removeTree(root);
}

TEST(PatchFolder, FromTheDataHomeOrHomeMadeWithItsParents)
{
    std::string root = makeTempFolder();
    std::string data = root + "/data", home = root + "/home", file = root + "/file", slashed = data + "/";
    std::string fromData = data + "/Quorvane/Tessarine/Patch/";
    std::string fromHome = home + "/.local/share/Quorvane/Tessarine/Patch/";
    std::ofstream(file) << "x";
    struct Case {
        const char *what, *xdg, *home;   // nullptr: unset
        std::string expected;
    } cases[] = {
        {"absolute data home", data.c_str(), home.c_str(), fromData},
        {"trailing slash", slashed.c_str(), home.c_str(), fromData},
        {"data home unset", nullptr, home.c_str(), fromHome},
        {"data home empty", "", home.c_str(), fromHome},
        {"data home relative", "relative/data", home.c_str(), fromHome},
        {"neither", nullptr, nullptr, ""},
        {"relative data home, empty home", "relative", "", ""},
        {"a file in the way", file.c_str(), home.c_str(), ""},
    };
    std::string savedData = getenv("XDG_DATA_HOME") ? getenv("XDG_DATA_HOME") : "";
    std::string savedHome = getenv("HOME") ? getenv("HOME") : "";
    for (const Case& c : cases) {
        removeTree(data);
        removeTree(home);
        setOrUnset("XDG_DATA_HOME", c.xdg);
        setOrUnset("HOME", c.home);
        EXPECT_EQ(platformPatchFolder(), c.expected) << c.what;
        struct stat st;
        EXPECT_TRUE(c.expected.empty() || (stat(c.expected.c_str(), &st) == 0 && S_ISDIR(st.st_mode))) << c.what;
    }
    setOrUnset("XDG_DATA_HOME", savedData.empty() ? nullptr : savedData.c_str());
    setOrUnset("HOME", savedHome.empty() ? nullptr : savedHome.c_str());
    EXPECT_STREQ(platformExecutableSuffix(), "");
    removeTree(root);
}

// A signal mask line ("SigIgn", "SigBlk") of /proc/<pid>/status.
unsigned long long signalMask(int pid, const std::string& key)
{
    std::string status = readFile("/proc/" + std::to_string(pid) + "/status");
    size_t at = status.find("\n" + key + ":");
    return at == std::string::npos ? ~0ull : std::stoull(status.substr(at + key.size() + 2), nullptr, 16);
}

TEST(LaunchProgram, NewSessionNoArgumentsWorkingFolderInheritedNoPathSearch)
{
    std::string root = makeTempFolder(), work = root + "/work";
    ASSERT_EQ(mkdir(work.c_str(), 0700), 0);
    // Written to a temporary and renamed, so the test never reads half a report.
    std::string reporter = root + "/reporter";
    std::ofstream(reporter) << "#!/bin/sh\n"
                               "{ echo \"args $# cwd $(pwd) sid $(cut -d' ' -f6 /proc/$$/stat)\"; } > \"$0.tmp\"\n"
                               "mv \"$0.tmp\" \"$0.report\"\n";
    // The shell clears its signal mask itself; this one keeps what it was given until it is killed.
    std::string waiter = root + "/waiter";
    std::ofstream(waiter) << "#!/usr/bin/tail -f\n";
    chmod(reporter.c_str(), 0755);
    chmod(waiter.c_str(), 0755);

    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(work.c_str()), 0);
    // What the game ignores or blocks must not reach the program it starts.
    struct sigaction ignore = {}, oldPipe;
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &oldPipe);
    sigset_t block, oldMask;
    sigemptyset(&block);
    sigaddset(&block, SIGUSR1);
    sigprocmask(SIG_BLOCK, &block, &oldMask);
    int reporterPid = platformLaunchProgram(reporter);
    int waiterPid = platformLaunchProgram(waiter);
    // The waiter never ends by itself: an assertion that returns early still ends it, and only it.
    struct EndWaiter {
        int& pid;
        ~EndWaiter()
        {
            if (pid > 0) {
                kill(pid, SIGKILL);
                waitpid(pid, nullptr, 0);
            }
        }
    } endWaiter{waiterPid};
    EXPECT_EQ(platformLaunchProgram("sh"), -1);   // on PATH, not in the working folder
    EXPECT_EQ(platformLaunchProgram(work + "/nothing"), -1);
    EXPECT_EQ(platformLaunchProgram(""), -1);
    sigprocmask(SIG_SETMASK, &oldMask, nullptr);
    sigaction(SIGPIPE, &oldPipe, nullptr);
    ASSERT_EQ(chdir(cwd), 0);

    ASSERT_GT(waiterPid, 0);
    EXPECT_EQ(signalMask(waiterPid, "SigIgn") & (1ull << (SIGPIPE - 1)), 0u);
    EXPECT_EQ(signalMask(waiterPid, "SigBlk") & (1ull << (SIGUSR1 - 1)), 0u);
    kill(waiterPid, SIGKILL);
    waitpid(waiterPid, nullptr, 0);
    waiterPid = 0;
    ASSERT_GT(reporterPid, 0);
    waitpid(reporterPid, nullptr, 0);
    for (int i = 0; i < 400 && access((reporter + ".report").c_str(), F_OK) != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(readFile(reporter + ".report"),
              "args 0 cwd " + work + " sid " + std::to_string(reporterPid) + "\n");
    removeTree(root);
}

TEST(HandoverFileSteps, CopyMakesANewExecutableAndNeverWritesThroughAnExistingName)
{
    std::string root = makeTempFolder();
    std::string source = root + "/source", game = root + "/game", link = root + "/link", copy = root + "/copy";
    std::ofstream(source) << "new build";
    std::ofstream(game) << "old build";
    mode_t oldMask = umask(077);   // 0755 whatever the player's umask
    EXPECT_TRUE(platformCopyFile(source, copy));
    umask(oldMask);
    struct stat st;
    ASSERT_EQ(stat(copy.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755u);
    EXPECT_TRUE(platformSameFileContents(source, copy));
    EXPECT_FALSE(platformSameFileContents(source, game));

    // A name left linked to the game: writing through it would cut the game itself.
    ASSERT_TRUE(platformLinkFile(game, link));
    EXPECT_FALSE(platformCopyFile(source, link));
    EXPECT_EQ(readFile(game), "old build");
    EXPECT_TRUE(platformRemoveFile(link));
    EXPECT_TRUE(platformRemoveFile(link));   // already gone is gone
    EXPECT_FALSE(platformRemoveFile(root));
    removeTree(root);
}

} // namespace

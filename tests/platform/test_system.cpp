#include "platform/system.h"
#include "../sleeping_copy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include <csignal>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>


namespace {

// Sets an environment variable for one scope and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = getenv(name)) {
            had_ = true;
            old_ = old;
        }
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (had_)
            setenv(name_.c_str(), old_.c_str(), 1);
        else
            unsetenv(name_.c_str());
    }

private:
    std::string name_, old_;
    bool had_ = false;
};

std::string makeTempFolder()
{
    char pattern[] = "/tmp/ts_system_XXXXXX";
    return mkdtemp(pattern);
}

TEST(PlatformFolders, XdgFoldersAndTheirFallbacks)
{
    ScopedEnv home("HOME", "/home/player");
    {
        ScopedEnv data("XDG_DATA_HOME", "/data/here/");
        EXPECT_EQ(platformAppDataFolder(), "/data/here");
    }
    {
        ScopedEnv data("XDG_DATA_HOME", nullptr);
        EXPECT_EQ(platformAppDataFolder(), "/home/player/.local/share");
    }
    {
        // Relative values are not valid XDG folders.
        ScopedEnv data("XDG_DATA_HOME", "relative");
        EXPECT_EQ(platformAppDataFolder(), "/home/player/.local/share");
    }
    EXPECT_EQ(platformXdgFolder("TS_NO_SUCH_VARIABLE", ".config"), "/home/player/.config");
}

TEST(PlatformExecutable, PathRelativeToWorkingFolder)
{
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    std::string exe = platformExecutablePath();
    std::string folder = exe.substr(0, exe.rfind('/'));
    ASSERT_EQ(chdir(folder.c_str()), 0);
    EXPECT_EQ(platformExecutableRelativePath(), exe.substr(exe.rfind('/') + 1));
    ASSERT_EQ(chdir("/"), 0);
    EXPECT_EQ(platformExecutableRelativePath(), exe.substr(1));
    ASSERT_EQ(chdir(cwd), 0);
}

bool waitForFile(const std::string& path)
{
    for (int i = 0; i < 200; ++i) {
        if (access(path.c_str(), F_OK) == 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(PlatformPrograms, StartsProgramsWithoutAShell)
{
    std::string root = makeTempFolder();
    std::string script = root + "/starter";
    std::ofstream(script) << "#!/bin/sh\ntouch \"$(dirname \"$0\")/ran\"\n";
    chmod(script.c_str(), 0755);

    EXPECT_TRUE(platformStartProgram(script));
    EXPECT_TRUE(waitForFile(root + "/ran"));

    // A bare name is the program in the working folder, not one on PATH.
    unlink((root + "/ran").c_str());
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(root.c_str()), 0);
    EXPECT_TRUE(platformStartProgram("starter"));
    EXPECT_FALSE(platformStartProgram("no_such_program_here"));
    ASSERT_EQ(chdir(cwd), 0);
    EXPECT_TRUE(waitForFile(root + "/ran"));

    // Shell syntax in the path is just part of a file name that does not exist.
    EXPECT_FALSE(platformStartProgram(script + "; touch " + root + "/injected"));
    EXPECT_FALSE(platformStartProgram(""));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_NE(access((root + "/injected").c_str(), F_OK), 0);

    EXPECT_FALSE(platformOpenUrl("file:///etc/passwd"));
    EXPECT_FALSE(platformOpenUrl("-h"));
    (void)system(("rm -rf '" + root + "'").c_str());
}

TEST(PlatformProcesses, OlderCopiesAreFoundUnderTheirNewNameButNotInOtherFolders)
{
    std::string root = makeTempFolder();
    std::string ours = root + "/game", other = root + "/other";
    ASSERT_EQ(mkdir(ours.c_str(), 0700), 0);
    ASSERT_EQ(mkdir(other.c_str(), 0700), 0);
    // Short enough that the kernel's 15-byte process name holds it with a letter to spare.
    std::string name = "tsc" + std::to_string(getpid());
    std::string self = ours + "/" + name;

    struct Case {
        const char* what;
        std::string started;   // where the copy runs from
        std::string movedTo;   // its file afterwards: renamed, or "" for removed, or the same
        bool found;
    } cases[] = {
        {"running as started", self, self, true},
        {"renamed to the backup by the updater", self, self + ".bak", true},
        {"file removed while running", self, "", true},
        {"same name in another folder", other + "/" + name, other + "/" + name, false},
        {"another name in our folder", self + "x", self + "x", false},
    };
    for (const Case& c : cases) {
        pid_t pid = startSleepingCopy(c.started);
        ASSERT_GT(pid, 0) << c.what;
        if (c.movedTo.empty())
            unlink(c.started.c_str());
        else if (c.movedTo != c.started) {
            ASSERT_EQ(rename(c.started.c_str(), c.movedTo.c_str()), 0) << c.what;
        }
        std::vector<int> found = platformFindProcesses(self);
        EXPECT_EQ(std::find(found.begin(), found.end(), int(pid)) != found.end(), c.found) << c.what;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        unlink(c.movedTo.c_str());
    }
    (void)system(("rm -rf '" + root + "'").c_str());
}

TEST(PlatformMessageBox, NeverBlocksWhenHeadless)
{
    ScopedEnv headless("TS_HEADLESS", "1");
    EXPECT_TRUE(platformHeadless());
    auto start = std::chrono::steady_clock::now();
    testing::internal::CaptureStderr();
    platformMessageBox("Text of the box", "Caption");
    std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(printed, "[Caption] Text of the box\n");
    ScopedEnv shown("TS_HEADLESS", "0");
    ScopedEnv display("DISPLAY", nullptr);
    ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
    EXPECT_TRUE(platformHeadless());   // nobody to show it to
}

} // namespace

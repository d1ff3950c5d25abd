// The real game binary, started in a temporary run folder on the test's display.
#include <gtest/gtest.h>

#include <chrono>
#include <algorithm>
#include <csignal>
#include <functional>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "../engine/scratch_folder.h"
#include "../wait_for_child.h"

extern char** environ;

namespace {

bool waitFor(const std::function<bool()>& condition, int seconds)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return condition();
}

// Exit status of a child, -128 - the signal that ended it, or -1000 when it did not end in time
// (or is no child).
int waitExit(pid_t pid, int seconds)
{
    const ChildEnd end = waitForChild(pid, std::chrono::seconds(seconds));
    if (end.refused || end.killed || end.status == -1)
        return -1000;
    return WIFEXITED(end.status) ? WEXITSTATUS(end.status) : -128 - WTERMSIG(end.status);
}

class GameRunTest : public ::testing::Test {
protected:
    std::string run, config, program;
    std::vector<pid_t> started;

    void SetUp() override
    {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display)
            GTEST_SKIP() << "no DISPLAY";
        std::string binary = std::string(TS_BINARY_DIR) + "/Tessarine";
        if (access(binary.c_str(), X_OK) != 0)
            GTEST_SKIP() << "the game is not built";
        char pattern[] = "/tmp/ts_run_XXXXXX";
        run = mkdtemp(pattern);
        config = run + "/config";
        mkdir(config.c_str(), 0700);
        // A name of its own, so copies started by other tests are not taken for older copies.
        program = "Tessarine-test-" + std::to_string(getpid());
        std::string setup = "cp '" + binary + "' '" + run + "/" + program + "'";
        std::string data = std::string(TS_BINARY_DIR) + "/run/data";
        if (access(data.c_str(), R_OK) == 0)
            setup += " && cp -r '" + data + "' '" + run + "/data'";
        ASSERT_EQ(system(setup.c_str()), 0);
    }
    void TearDown() override
    {
        for (pid_t pid : started) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (!run.empty()) {
            std::string cmd = "rm -rf '" + run + "'";
            (void)system(cmd.c_str());
        }
    }
    // The copy in the run folder, with these arguments after its name.
    pid_t start(const std::vector<std::string>& arguments = {})
    {
        std::vector<std::string> env = {"XDG_CONFIG_HOME=" + config, "XDG_DATA_HOME=" + config, "TS_HEADLESS=1",
                                        "LIBGL_ALWAYS_SOFTWARE=1", "ALSOFT_DRIVERS=null", "SDL_AUDIODRIVER=dummy"};
        for (char** e = environ; *e; ++e) {
            std::string entry = *e;
            std::string key = entry.substr(0, entry.find('='));
            if (key != "XDG_CONFIG_HOME" && key != "XDG_DATA_HOME")
                env.push_back(entry);
        }
        std::vector<char*> envp;
        for (auto& e : env)
            envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        std::string path = "./" + program;
        std::vector<char*> argv = {const_cast<char*>(path.c_str())};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, run.c_str());
        // Message boxes are written to the error output when nobody is at the screen.
        std::string errors = run + "/stderr.txt";
        posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        pid_t pid = 0;
        int rc = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(rc, 0);
        if (rc == 0)
            started.push_back(pid);
        return pid;
    }
    void forget(pid_t pid)
    {
        started.erase(std::remove(started.begin(), started.end(), pid), started.end());
    }
    std::string messageBoxes() { return readFile(run + "/stderr.txt"); }
    // An older copy still running from the file a patch moved aside, and writing into console.log
    // until it ends: a shell started from the game's path, a line every 20 ms; its file is then
    // renamed and the game put back. 0 when it does not write.
    pid_t startOldCopy(const std::string& line)
    {
        const std::string game = run + "/" + program, pace = run + "/pace";
        unlink(pace.c_str());
        if (std::rename(game.c_str(), (game + ".new").c_str()) != 0 || mkfifo(pace.c_str(), 0600) != 0 ||
            system(("cp /bin/bash '" + game + "'").c_str()) != 0)
            return 0;
        pid_t old = start({"-c", "exec 3>>console.log 4<>pace; while :; do printf '" + line +
                                     "\\r\\n' >&3; read -t 0.02 -u 4; done"});
        const bool writing = waitFor([&] { return logHas(line); }, 30);
        if (std::rename(game.c_str(), (game + ".old").c_str()) != 0 ||
            std::rename((game + ".new").c_str(), game.c_str()) != 0)
            return 0;
        return writing ? old : 0;
    }
    bool logHas(const std::string& line)
    {
        return readFile(run + "/console.log").find(line + "\r\n") != std::string::npos;
    }
};

TEST_F(GameRunTest, StartsRunsAndClosesCleanly)
{
    pid_t game = start();
    ASSERT_GT(game, 0);
    ASSERT_TRUE(waitFor([&] { return logHas("Starting main loop"); }, 90)) << readFile(run + "/console.log");
    // Let it run some frames, then close it as the window manager would (the termination
    // signal is turned into the window's close message).
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    kill(game, SIGTERM);
    EXPECT_EQ(waitExit(game, 60), 0);
    forget(game);

    std::string settings = config + "/Quorvane/Tessarine/settings";
    struct stat st;
    ASSERT_EQ(stat(settings.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_NE(readFile(settings).find("ScreenWidth="), std::string::npos);

    // The report that starts "console.log", in order, up to the main loop.
    std::string log = readFile(run + "/console.log");
    EXPECT_EQ(log.rfind("Initializing\r\n", 0), 0u) << log;
    std::size_t at = 0;
    for (const char* line : {"\nOS: ", "\nCPU: ", "\nRAM: ", "\nVersion ", "\nOpenGL: ", "\nVideo Card: ",
                             "\nManufacturer: ", "\nOpening AssPack\r", "\nIndexed asset ", "\nAssPack headers loaded\r",
                             "\nFinished initializing\r", "\nStarting main loop\r"}) {
        std::size_t found = log.find(line, at);
        EXPECT_NE(found, std::string::npos) << line;
        if (found != std::string::npos)
            at = found;
    }
}

// The new copy leaves console.log to an older copy that still writes to it, and empties the file
// only once that copy is gone. Without a display the new copy ends the older one on its seventh
// sighting and stops at the window class, before the system report empties the file again: the
// file it began is left, its version and its wait. With one, the older copy is ended at some
// point of the wait, and the new copy goes on to its own main loop.
TEST_F(GameRunTest, SecondCopyWaitsForTheFirst)
{
    const std::string oldLine = "the old copy writes on";
    for (bool display : {false, true}) {
        pid_t old = startOldCopy(oldLine);
        ASSERT_GT(old, 0) << readFile(run + "/console.log");
        const std::string shown = std::getenv("DISPLAY");
        if (!display)
            setenv("DISPLAY", ":9999", 1);
        pid_t second = start();
        setenv("DISPLAY", shown.c_str(), 1);
        ASSERT_GT(second, 0);
        if (display)
            kill(old, SIGKILL);
        EXPECT_EQ(waitExit(old, 60), -128 - SIGKILL);
        forget(old);
        if (display) {
            ASSERT_TRUE(waitFor([&] { return logHas("Starting main loop"); }, 90)) << readFile(run + "/console.log");
            EXPECT_EQ(readFile(run + "/console.log").find(oldLine), std::string::npos);
            kill(second, SIGTERM);
            EXPECT_EQ(waitExit(second, 60), 0);
            forget(second);
            continue;
        }
        EXPECT_EQ(waitExit(second, 60), 255);
        forget(second);
        const std::string log = readFile(run + "/console.log");
        std::vector<std::string> lines;
        for (std::size_t at = 0, end; (end = log.find("\r\n", at)) != std::string::npos; at = end + 2)
            lines.push_back(log.substr(at, end - at));
        ASSERT_GE(lines.size(), 9u) << log;
        EXPECT_EQ(lines[0].rfind("Version ", 0), 0u) << log;
        for (int sighting = 1; sighting <= 7; ++sighting)
            EXPECT_EQ(lines[sighting], "Waiting for old process to die") << log;
        EXPECT_EQ(lines[8], "Killing old process") << log;
        EXPECT_EQ(log.find(oldLine), std::string::npos) << log;
    }
}

TEST_F(GameRunTest, KilledMidRunLeavesWholeSettings)
{
    // A stored width of 0 must not reach the layout: the desktop size is used and saved instead.
    std::string folder = config + "/Quorvane";
    mkdir(folder.c_str(), 0700);
    folder += "/Tessarine";
    mkdir(folder.c_str(), 0700);
    std::ofstream(folder + "/settings") << "# Tessarine settings 1\nScreenWidth=0\nScreenHeight=0\nFullscreen=0\n";

    pid_t game = start();
    ASSERT_GT(game, 0);
    ASSERT_TRUE(waitFor([&] { return logHas("Starting main loop"); }, 90));
    kill(game, SIGKILL);
    waitExit(game, 30);
    forget(game);

    std::string settings = readFile(folder + "/settings");
    EXPECT_EQ(settings.rfind("# Tessarine settings 1\n", 0), 0u);
    EXPECT_EQ(settings.back(), '\n');
    size_t at = settings.find("\nScreenWidth=");
    ASSERT_NE(at, std::string::npos);
    EXPECT_GT(std::atoi(settings.c_str() + at + 13), 0) << settings;
    EXPECT_NE(settings.find("\nFullscreen=0\n"), std::string::npos);
    // Nothing half-written is left beside it.
    EXPECT_EQ(system(("ls '" + folder + "' | grep -q tmp").c_str()) == 0, false);
}

TEST_F(GameRunTest, NoDisplayMeansFailureExit)
{
    // No window system to talk to: the class registration fails and so does the program.
    std::string display = std::getenv("DISPLAY");
    setenv("DISPLAY", ":9999", 1);
    pid_t game = start();
    setenv("DISPLAY", display.c_str(), 1);
    ASSERT_GT(game, 0);
    EXPECT_EQ(waitExit(game, 60), 255);
    forget(game);
    EXPECT_FALSE(logHas("Starting main loop"));
    // The class's own complaint, then the program's; no window was tried.
    std::string boxes = messageBoxes();
    size_t classBox = boxes.find("[Error] RegisterClassEx Failed!\n");
    size_t programBox = boxes.find("[Error] Error Registering Window Class!\n");
    ASSERT_NE(classBox, std::string::npos) << boxes;
    ASSERT_NE(programBox, std::string::npos) << boxes;
    EXPECT_LT(classBox, programBox);
    EXPECT_EQ(boxes.find("Error Creating OpenGL Window"), std::string::npos) << boxes;
}

TEST_F(GameRunTest, NoGlWindowMeansFailureExit)
{
    // A window visual the display does not have: no window can be made, and the exit code says so.
    setenv("SDL_VIDEO_X11_WINDOW_VISUALID", "0x7777", 1);
    pid_t game = start();
    unsetenv("SDL_VIDEO_X11_WINDOW_VISUALID");
    ASSERT_GT(game, 0);
    EXPECT_NE(waitExit(game, 60), 0);
    forget(game);
    EXPECT_FALSE(logHas("Starting main loop"));
    EXPECT_NE(messageBoxes().find("[Error] Error Creating OpenGL Window\n"), std::string::npos) << messageBoxes();
}

} // namespace

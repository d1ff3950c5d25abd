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

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "crypto/digest.h"
#include "server/scripts.h"
#include "server/stand_in.h"
#include "../engine/scratch_folder.h"
#include "../wait_for_child.h"

// Last: its macros (Status, None, Bool) would rename what the headers above declare.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

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

// Destroys, as a second client of the display, the mapped window that names pid as its owner;
// false when there is none.
bool destroyWindowOf(pid_t pid)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    // A window that goes meanwhile is no failure of this client's.
    XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    const Atom owner = XInternAtom(display, "_NET_WM_PID", True);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    bool destroyed = false;
    if (owner != None && XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && !destroyed; ++i) {
            XWindowAttributes attributes;
            Atom type = None;
            int format = 0;
            unsigned long items = 0, after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
                XGetWindowProperty(display, children[i], owner, 0, 1, False, XA_CARDINAL, &type, &format, &items,
                                   &after, &data) == Success &&
                data && format == 32 && items == 1 && *reinterpret_cast<long*>(data) == pid) {
                XDestroyWindow(display, children[i]);
                destroyed = true;
            }
            if (data)
                XFree(data);
        }
        XFree(children);
    }
    XSync(display, False);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return destroyed;
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
    std::string settingsPath() const { return config + "/Quorvane/Tessarine/settings"; }
    void writeSettings(const std::string& lines)
    {
        ASSERT_EQ(system(("mkdir -p '" + config + "/Quorvane/Tessarine'").c_str()), 0);
        std::ofstream(settingsPath()) << "# Tessarine settings 1\n" << lines;
    }
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

// A window another client destroys under the game (a broken window manager, a second program)
// closes it as a close does: status 0, the settings kept, the loss named in console.log and,
// online, the session logged out at the service.
TEST_F(GameRunTest, WindowDestroyedUnderTheGameClosesItAsACloseDoes)
{
    const struct {
        int width, height;
        bool online;
    } runs[] = {{1280, 720, false}, {1024, 768, false}, {1280, 720, true}};
    const char* const given = std::getenv("TESSARINE_SERVER");
    const std::string givenServer = given ? given : "";
    for (const auto& r : runs) {
        SCOPED_TRACE(std::to_string(r.width) + "x" + std::to_string(r.height) + (r.online ? " online" : " offline"));
        std::remove((run + "/console.log").c_str());
        StandIn service;
        std::string profile, requests = run + "/requests.log";
        int port = 0, unanswered = -1;
        if (r.online) {
            StandInOptions options;
            options.databasePath = run + "/service.db";
            options.logPath = requests;
            std::string error;
            ASSERT_TRUE(startStandIn(service, options, &error)) << error;
            std::string stored = runScript(service.context, "reg.php",
                                           {{"username", "quill"}, {"password", "hunter22"},
                                            {"email", "quill@example.org"}, {"passwordHash", hashString("hunter22")}});
            ASSERT_EQ(stored.rfind("success ", 0), 0u) << stored;
            stored.erase(0, 8);
            for (std::size_t at = stored.find('='); at != std::string::npos; at = stored.find('=', at))
                stored.replace(at, 1, "\\x3D");   // the settings file's escape
            profile = "Username=quill\nPassword=" + stored + "\n";
            port = service.port;
        } else {
            // A port bound here and never listened on: every request is refused.
            unanswered = socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            socklen_t length = sizeof address;
            ASSERT_EQ(bind(unanswered, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
            ASSERT_EQ(getsockname(unanswered, reinterpret_cast<sockaddr*>(&address), &length), 0);
            port = ntohs(address.sin_port);
        }
        const std::string width = "ScreenWidth=" + std::to_string(r.width) + "\n";
        writeSettings(profile + width + "ScreenHeight=" + std::to_string(r.height) +
                      "\nFullscreen=0\nVisualQuality=1\n");
        setenv("TESSARINE_SERVER", ("127.0.0.1:" + std::to_string(port)).c_str(), 1);
        pid_t game = start();
        if (given)
            setenv("TESSARINE_SERVER", givenServer.c_str(), 1);
        else
            unsetenv("TESSARINE_SERVER");
        ASSERT_GT(game, 0);
        ASSERT_TRUE(waitFor([&] { return r.online ? readFile(requests).find("sync_cheeves.php") != std::string::npos
                                                  : logHas("Starting main loop"); },
                            90))
            << readFile(run + "/console.log");

        ASSERT_TRUE(destroyWindowOf(game));
        EXPECT_EQ(waitExit(game, 30), 0);
        forget(game);
        EXPECT_TRUE(logHas("The game window was destroyed by another program: closing"))
            << readFile(run + "/console.log");
        EXPECT_NE(readFile(settingsPath()).find("\n" + width), std::string::npos) << readFile(settingsPath());
        if (r.online) {
            EXPECT_NE(readFile(requests).find("logout.php?beta2=1&userid=1&"), std::string::npos)
                << readFile(requests);
        }
        if (unanswered >= 0)
            close(unanswered);
    }
}

// The display itself gone (its server ended under the game): nothing can be drawn or closed any
// more, and the game ends at once with a failure, saying why. The display is the test's own.
TEST_F(GameRunTest, LostDisplayEndsTheGameWithAFailure)
{
    const char* const server = "/usr/bin/Xvfb";
    if (access(server, X_OK) != 0)
        GTEST_SKIP() << "no Xvfb";
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const std::string serverLog = run + "/xvfb.log";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ready[1], 3);
    posix_spawn_file_actions_addopen(&actions, 1, serverLog.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const char* argv[] = {server, "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten", "tcp", nullptr};
    pid_t xvfb = 0;
    const int rc = posix_spawn(&xvfb, server, &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ready[1]);
    ASSERT_EQ(rc, 0);
    started.push_back(xvfb);
    // The server writes its display number once it takes connections.
    std::string number;
    pollfd waiting{ready[0], POLLIN, 0};
    for (char c = 0; poll(&waiting, 1, 30000) == 1 && read(ready[0], &c, 1) == 1 && c != '\n';)
        number += c;
    close(ready[0]);
    ASSERT_FALSE(number.empty()) << readFile(serverLog);

    writeSettings("ScreenWidth=1280\nScreenHeight=720\nFullscreen=0\nVisualQuality=1\n");
    const std::string shown = std::getenv("DISPLAY");
    setenv("DISPLAY", (":" + number).c_str(), 1);
    pid_t game = start();
    setenv("DISPLAY", shown.c_str(), 1);
    ASSERT_GT(game, 0);
    ASSERT_TRUE(waitFor([&] { return logHas("Starting main loop"); }, 90)) << readFile(run + "/console.log");

    kill(xvfb, SIGTERM);   // it removes its socket and lock file on the way out
    EXPECT_NE(waitExit(xvfb, 30), -1000);
    forget(xvfb);
    EXPECT_EQ(waitExit(game, 30), 1);
    forget(game);
    EXPECT_TRUE(logHas("Lost the connection to the display :" + number + ": ending")) << readFile(run + "/console.log");
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
    // Why, then the class's own complaint, then the program's; no window was tried.
    std::string boxes = messageBoxes();
    EXPECT_NE(boxes.find("Video start failed: no display answers at DISPLAY=:9999\n"), std::string::npos) << boxes;
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

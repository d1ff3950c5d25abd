// The update as a player meets it, with the real programs in a temporary game folder: ts_server
// offers the next build, the game downloads and writes it, ts_update puts it in place and the new
// game logs in. This process adopts the programs' orphans, so it sees every exit status, and it
// ends only its own children, adopted ones included, by their PIDs.
#include "crypto/digest.h"
#include "server/scripts.h"
#include "server/stand_in.h"
#include "../read_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::string build = TS_BINARY_DIR;

bool waitFor(const std::function<bool()>& condition, int seconds)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

struct UpdateRun : ::testing::Test {
    std::string root, game, patchFolder, database;
    std::map<pid_t, std::string> running;            // the children this test forked, while they run
    std::multimap<std::string, int> exits;           // program name -> exit status, as they end
    int port = 0;
    bool reaper = false;                             // this process adopts the programs' orphans

    void SetUp() override
    {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display)
            GTEST_SKIP() << "no DISPLAY";
        ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
        reaper = true;
        char pattern[] = "/tmp/ts_update_run_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        game = root + "/game/";
        patchFolder = root + "/data/Quorvane/Tessarine/Patch/";
        database = root + "/service.db";
        ASSERT_EQ(std::system(("mkdir -p '" + game + "' '" + root + "/config/Quorvane/Tessarine' && cp '" + build +
                               "/Tessarine' '" + build + "/ts_update' '" + game + "' && ln -s '" + build +
                               "/run/data' '" + game + "data'")
                                  .c_str()),
                  0);
    }
    void TearDown() override
    {
        if (reaper) {
            // Killing a child hands its own children to this process: repeat until none is left.
            for (std::vector<pid_t> left = children(); !left.empty(); left = children()) {
                for (pid_t pid : left)
                    kill(pid, SIGKILL);
                for (pid_t pid : left)
                    waitpid(pid, nullptr, 0);
            }
            prctl(PR_SET_CHILD_SUBREAPER, 0);
        }
        if (!root.empty() && !std::getenv("TS_KEEP_RUN"))
            (void)std::system(("rm -rf '" + root + "'").c_str());
    }

    // Starts program in folder with the run's folders and service; its output goes to name.out.
    pid_t start(const std::string& folder, const std::vector<std::string>& argv, const std::string& name)
    {
        pid_t pid = fork();
        if (pid == 0) {
            setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
            setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
            setenv("TESSARINE_SERVER", ("127.0.0.1:" + std::to_string(port)).c_str(), 1);
            int out = open((root + "/" + name + ".out").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            if (chdir(folder.c_str()) != 0 || out < 0)
                _exit(126);
            dup2(out, 1);
            dup2(out, 2);
            std::vector<char*> args;
            for (const std::string& a : argv)
                args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(127);
        }
        running[pid] = name;
        return pid;
    }
    // Collects every ended process, ours and adopted, under its command name.
    void reap()
    {
        siginfo_t info{};
        while (waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid != 0) {
            pid_t pid = info.si_pid;
            std::string name = readFile("/proc/" + std::to_string(pid) + "/comm");
            if (!name.empty() && name.back() == '\n')
                name.pop_back();
            int status = 0;
            waitpid(pid, &status, 0);
            exits.emplace(name, WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status));
            running.erase(pid);
            info = siginfo_t{};
        }
    }
    bool ended(const std::string& name, int count = 1)
    {
        reap();
        return static_cast<int>(exits.count(name)) >= count;
    }
    // This process's children, forked or adopted, as the kernel lists them for each of its threads.
    static std::vector<pid_t> children()
    {
        std::vector<pid_t> pids;
        for (const auto& thread : std::filesystem::directory_iterator("/proc/self/task")) {
            std::ifstream list(thread.path() / "children");
            for (pid_t pid; list >> pid;)
                pids.push_back(pid);
        }
        return pids;
    }
    // The children this test did not fork itself: the ones it adopted.
    std::vector<pid_t> adopted()
    {
        std::vector<pid_t> pids;
        for (pid_t pid : children())
            if (!running.count(pid))
                pids.push_back(pid);
        return pids;
    }
    std::string serviceLog() { return readFile(root + "/service.log"); }
    std::size_t logCount(const std::string& text)
    {
        std::string log = serviceLog();
        std::size_t count = 0;
        for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
            ++count;
        return count;
    }
    void startService()
    {
        std::remove((root + "/port").c_str());
        start(root, {build + "/ts_server", "--db", database, "--port", "0", "--port-file", root + "/port",
                              "--log", root + "/service.log"},
                       "ts_server");
        ASSERT_TRUE(waitFor([&] { return !readFile(root + "/port").empty(); }, 10));
        port = std::atoi(readFile(root + "/port").c_str());
    }
    // Changes the service's stored offers behind its back (it reads them at every request).
    void changeOffers(const char* sql, const std::string& blob = "")
    {
        Store store;
        std::string error;
        ASSERT_TRUE(openStore(store, database, &error)) << error;
        Statement change(store, sql);
        if (!blob.empty())
            change.bindBlob(1, blob);
        change.step();
        EXPECT_TRUE(change.ok()) << sql;
        closeStore(store);
    }
    std::string offer(const std::string& version, const std::string& file)
    {
        std::string out = root + "/offer.txt";
        int rc = std::system(("'" + build + "/ts_server' offer-patch --db '" + database + "' update_exe '" + version +
                              "' '" + file + "' > '" + out + "'")
                                 .c_str());
        EXPECT_EQ(rc, 0);
        std::string id = readFile(out);
        return id.substr(0, id.find('\n'));
    }
};

}

TEST_F(UpdateRun, NextBuildIsDownloadedPutInPlaceAndLogsIn)
{
    const std::string oldBuild = readFile(build + "/Tessarine"), nextBuild = readFile(build + "/Tessarine_next");
    ASSERT_FALSE(nextBuild.empty());
    // A profile on the service and its stored form in the game's settings.
    {
        Store store;
        std::string error;
        ASSERT_TRUE(openStore(store, database, &error)) << error;
        ScriptContext context{&store, servicePrivateKeyPem(), ""};
        std::string reply = runScript(context, "reg.php", {{"username", "quill"}, {"password", "hunter22"},
                                                           {"email", "quill@example.org"},
                                                           {"passwordHash", hashString("hunter22")}});
        closeStore(store);
        ASSERT_EQ(reply.rfind("success ", 0), 0u) << reply;
        std::string stored = reply.substr(8);
        for (std::size_t at = stored.find('='); at != std::string::npos; at = stored.find('=', at))
            stored.replace(at, 1, "\\x3D");   // the settings file's escape
        std::ofstream(root + "/config/Quorvane/Tessarine/settings")
            << "# Tessarine settings 1\nUsername=quill\nPassword=" << stored
            << "\nScreenWidth=1280\nScreenHeight=720\nFullscreen=0\nVisualQuality=1\n";
    }
    ASSERT_EQ(offer(TS_NEXT_VERSION_TEXT, build + "/Tessarine_next"), "1");
    startService();

    start(game, {"./Tessarine"}, "game");
    ASSERT_TRUE(waitFor([&] { return ended("Tessarine"); }, 90)) << serviceLog();
    EXPECT_EQ(exits.find("Tessarine")->second, 0) << "the old game quits cleanly";
    EXPECT_EQ(logCount("gameversion=Version%20" TS_VERSION_TEXT "&"), 1u) << serviceLog();
    EXPECT_EQ(logCount("patch.php?id=1"), 1u) << "the patching page downloaded once";
    EXPECT_EQ(logCount("logout.php"), 1u);

    ASSERT_TRUE(waitFor([&] { return ended("ts_update"); }, 30));
    EXPECT_EQ(exits.find("ts_update")->second, 0);
    EXPECT_EQ(readFile(game + "Tessarine"), nextBuild);
    EXPECT_EQ(readFile(game + "Tessarine.bak"), oldBuild);
    for (const std::string& leftover : {patchFolder + "Tessarine_patch", patchFolder + "Tessarine_patch.part",
                                        game + "Tessarine.new", game + "Tessarine.bak.new"})
        EXPECT_NE(access(leftover.c_str(), F_OK), 0) << leftover;

    // The new game logs in with its own version and is let in.
    ASSERT_TRUE(waitFor(
        [&] { return logCount("gameversion=Version%20" TS_NEXT_VERSION_TEXT "&") && logCount("sync_cheeves.php"); },
        60))
        << serviceLog();
    std::vector<pid_t> newGame = adopted();
    ASSERT_EQ(newGame.size(), 1u);
    ASSERT_EQ(readFile("/proc/" + std::to_string(newGame[0]) + "/comm"), "Tessarine\n");
    kill(newGame[0], SIGTERM);
    ASSERT_TRUE(waitFor([&] { return ended("Tessarine", 2); }, 30));
    EXPECT_EQ(exits.count("ts_update"), 1u) << "the updater ran once";
    EXPECT_NE(readFile(game + "console.log").find("\nsuccess 1 "), std::string::npos) << "the new game was let in";
    EXPECT_EQ(logCount("logout.php?beta2=1&userid=1&"), 1u) << "and logged out of its session";

    // A tampered file under the genuine signed digest: downloaded again and again, never written or run.
    ASSERT_EQ(offer("Version 9", build + "/Tessarine"), "2");
    std::string tampered = oldBuild;
    tampered[tampered.size() / 2] ^= 0x20;
    changeOffers("UPDATE patches SET data = ?1 WHERE id = 2", tampered);
    pid_t again = start(game, {"./Tessarine"}, "game");
    ASSERT_GT(again, 0);   // what a failed fork gives must never reach kill()
    ASSERT_TRUE(waitFor([&] { return logCount("patch.php?id=2") >= 2; }, 60)) << serviceLog();
    // Withdrawn, the offer's download answers "fail": asked for again only after a growing wait, so
    // the game is closed between two downloads.
    changeOffers("DELETE FROM patches WHERE id = 2");
    std::size_t downloads = 0;
    for (int second = 0; downloads != logCount("patch.php?id=2"); ++second) {   // until a quiet second
        ASSERT_LT(second, 30) << "the withdrawn offer is asked for again and again";
        downloads = logCount("patch.php?id=2");
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    EXPECT_NE(access((patchFolder + "Tessarine_patch").c_str(), F_OK), 0);
    EXPECT_EQ(readFile(game + "Tessarine"), nextBuild);
    EXPECT_EQ(exits.count("ts_update"), 1u);
    kill(again, SIGTERM);
    ASSERT_TRUE(waitFor([&] { return ended("Tessarine", 3); }, 30));
    EXPECT_EQ(exits.count("ts_update"), 1u) << "nothing was started";
    auto games = exits.equal_range("Tessarine");
    for (auto it = games.first; it != games.second; ++it)
        EXPECT_EQ(it->second, 0) << readFile(root + "/game.out");
}

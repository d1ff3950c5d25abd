#include "platform/handover.h"
#include "updater/patch_move.h"
#include "../temp_folder.h"
#include "../read_file.h"
#include "../wait_for_child.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const OLD = "old build";
const char* const NEW = "new build";
const char* const OLDER = "older backup";
using Names = std::set<std::string>;

// The platform's file steps with a log of what was done, refusals and a kill switch.
struct StepControl {
    std::vector<std::string> done;   // "rename Tessarine.new Tessarine"
    Names refused;                   // kind and target: "link Tessarine.bak.new"
    bool crossDevice = false;        // no link or rename between folders, as across filesystems
    size_t killAfter = 0;            // SIGKILL right after this many steps; 0: never
} control;

std::string name(const std::string& path)
{
    return fs::path(path).filename().string();
}
bool allowed(const char* kind, const std::string& from, const std::string& to)
{
    bool crossing = control.crossDevice && kind[0] != 'c' && fs::path(from).parent_path() != fs::path(to).parent_path();
    return !crossing && !control.refused.count(std::string(kind) + " " + name(to));
}
bool done(bool ok, const char* kind, const std::string& from, const std::string& to)
{
    control.done.push_back(std::string(kind) + " " + (from.empty() ? "" : name(from) + " ") + name(to));
    if (control.done.size() == control.killAfter)
        raise(SIGKILL);
    return ok;
}
bool testCopy(const std::string& a, const std::string& b)
{
    return allowed("copy", a, b) && done(platformCopyFile(a, b), "copy", a, b);
}
bool testLink(const std::string& a, const std::string& b)
{
    return allowed("link", a, b) && done(platformLinkFile(a, b), "link", a, b);
}
bool testRename(const std::string& a, const std::string& b)
{
    return allowed("rename", a, b) && done(platformRenameFile(a, b), "rename", a, b);
}
bool testRemove(const std::string& a)
{
    return allowed("remove", a, a) && done(platformRemoveFile(a), "remove", "", a);
}
bool testSync(const std::string& a)
{
    return done(platformSyncFolder(a), "sync", "", a);
}
const FileSteps testSteps = {platformFileExists, platformFileEmpty, platformSameFileContents, testCopy,
                             testLink,           testRename,        testRemove,               testSync};

void writeBuild(const fs::path& path, const char* contents)
{
    if (!contents)
        return;
    std::ofstream(path, std::ios::binary) << contents;
    fs::permissions(path, fs::perms(0755));
}
bool isExecutable(const fs::path& path)
{
    return (fs::status(path).permissions() & fs::perms::owner_exec) != fs::perms::none;
}
Names namesIn(const fs::path& folder)
{
    Names names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// Fresh game and patch folders under one temporary folder.
class PatchMoveTest : public ::testing::Test {
protected:
    TempFolder scratch{"ts_update"};
    fs::path root = scratch.path, game, patchFolder;
    int count = 0;

    void prepare(const char* gameBuild, const char* backup, const char* patch, const Names& refused = {})
    {
        game = root / std::to_string(++count) / "game";
        patchFolder = root / std::to_string(count) / "patch";
        fs::create_directories(game);
        fs::create_directories(patchFolder);
        writeBuild(game / "Tessarine", gameBuild);
        writeBuild(game / "Tessarine.bak", backup);
        writeBuild(patchFolder / "Tessarine_patch", patch);
        control = StepControl();
        control.refused = refused;
    }
    MoveResult move()
    {
        return movePatchIntoPlace(game.string(), patchFolder.string() + "/", testSteps);
    }
    bool patchLeft() const
    {
        return fs::exists(patchFolder / "Tessarine_patch");
    }
    // What a finished update leaves: the given builds and nothing else.
    void expectOnly(const char* gameBuild, const char* backup, const std::string& what)
    {
        EXPECT_EQ(readFile(game / "Tessarine"), gameBuild) << what;
        EXPECT_TRUE(isExecutable(game / "Tessarine")) << what;
        EXPECT_EQ(readFile(game / "Tessarine.bak"), backup ? backup : "") << what;
        EXPECT_EQ(namesIn(game), (backup ? Names{"Tessarine", "Tessarine.bak"} : Names{"Tessarine"})) << what;
    }
};

TEST_F(PatchMoveTest, EndStates)
{
    struct Case {
        const char* what;
        const char *game, *backup, *patch;
        Names refused;
        bool crossDevice;
        MoveResult result;
        const char *gameAfter, *backupAfter;
    } cases[] = {
        {"patch and no executable: no backup", nullptr, nullptr, NEW, {}, false, MoveResult::Moved, NEW, nullptr},
        {"no executable: an old backup stays", nullptr, OLDER, NEW, {}, false, MoveResult::Moved, NEW, OLDER},
        {"update", OLD, OLDER, NEW, {}, false, MoveResult::Moved, NEW, OLD},
        {"no patch", OLD, OLDER, nullptr, {}, false, MoveResult::NoPatch, OLD, OLDER},
        {"empty patch", OLD, OLDER, "", {}, false, MoveResult::EmptyPatch, OLD, OLDER},
        {"patch equal to the executable", OLD, OLDER, OLD, {}, false, MoveResult::AlreadyInPlace, OLD, OLDER},
        {"no hard links: backup copied", OLD, OLDER, NEW, {"link Tessarine.bak.new"}, false, MoveResult::Moved,
         NEW, OLD},
        {"patch on another filesystem", OLD, OLDER, NEW, {}, true, MoveResult::Moved, NEW, OLD},
        {"backup cannot be made", OLD, OLDER, NEW, {"link Tessarine.bak.new", "copy Tessarine.bak.new"}, false,
         MoveResult::NotMoved, OLD, OLDER},
        {"backup cannot take its name", OLD, OLDER, NEW, {"rename Tessarine.bak"}, false, MoveResult::NotMoved,
         OLD, OLDER},
        {"patch cannot be copied", OLD, OLDER, NEW, {"copy Tessarine.new"}, false, MoveResult::NotMoved, OLD, OLDER},
        {"new build cannot take its name", OLD, OLDER, NEW, {"rename Tessarine"}, false, MoveResult::NotMoved, OLD,
         OLD},
    };
    for (const Case& c : cases) {
        prepare(c.game, c.backup, c.patch, c.refused);
        control.crossDevice = c.crossDevice;
        EXPECT_EQ(move(), c.result) << c.what;
        expectOnly(c.gameAfter, c.backupAfter, c.what);
        // The patch stays only for a later try after a failure, and an empty one for the game to replace.
        EXPECT_EQ(patchLeft(), c.result == MoveResult::NotMoved || c.result == MoveResult::EmptyPatch) << c.what;
    }
}

TEST_F(PatchMoveTest, LeftoversOfAKilledRunGoFirstAndTwoUpdatesKeepTheFirstOnesBuild)
{
    // The incoming copy, and a backup name linked to the game itself that a copy must not write through.
    prepare(OLD, OLDER, NEW, {"link Tessarine.bak.new"});
    writeBuild(game / "Tessarine.new", "half a");
    fs::create_hard_link(game / "Tessarine", game / "Tessarine.bak.new");
    EXPECT_EQ(move(), MoveResult::Moved);
    expectOnly(NEW, OLD, "leftovers removed");

    const char* third = "third build";
    writeBuild(patchFolder / "Tessarine_patch", third);
    EXPECT_EQ(move(), MoveResult::Moved);
    expectOnly(third, NEW, "second update");

    // A leftover that cannot be removed stops the move before anything is touched.
    prepare(OLD, OLDER, NEW, {"remove Tessarine.new"});
    writeBuild(game / "Tessarine.new", "half a");
    EXPECT_EQ(move(), MoveResult::NotMoved);
    EXPECT_EQ(readFile(game / "Tessarine"), OLD);
    EXPECT_EQ(readFile(game / "Tessarine.bak"), OLDER);
    EXPECT_TRUE(patchLeft());
}

TEST_F(PatchMoveTest, KilledAfterEveryStepTheGameRunsAndTheNextRunFinishes)
{
    struct Scenario {
        const char* what;
        const char *game, *backup;
        Names refused;
    } scenarios[] = {
        {"update with an older backup", OLD, OLDER, {}},
        {"no hard links", OLD, OLDER, {"link Tessarine.bak.new"}},
        {"no executable yet", nullptr, nullptr, {}},
    };
    for (const Scenario& s : scenarios) {
        // An undisturbed run names the steps.
        prepare(s.game, s.backup, NEW, s.refused);
        ASSERT_EQ(move(), MoveResult::Moved) << s.what;
        const std::vector<std::string> steps = control.done;

        for (size_t k = 1; k <= steps.size() + 1; ++k) {
            prepare(s.game, s.backup, NEW, s.refused);
            pid_t pid = fork();
            if (pid == 0) {
                control.killAfter = k;
                move();
                _exit(0);
            }
            ASSERT_GT(pid, 0) << s.what << ": fork failed";
            int status = 0;
            waitpid(pid, &status, 0);
            bool killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
            if (k > steps.size()) {
                EXPECT_FALSE(killed) << s.what << ": a step the undisturbed run did not take";
                break;
            }
            ASSERT_TRUE(killed) << s.what << " " << k;
            std::string at = std::string(s.what) + ", killed after step " + std::to_string(k) + "/" +
                             std::to_string(steps.size()) + ": " + steps[k - 1];
            std::cout << "[ killed   ] " << at << "\n";

            std::string running = readFile(game / "Tessarine");
            EXPECT_TRUE(running == NEW || (s.game ? running == OLD : running.empty())) << at;
            EXPECT_TRUE(running.empty() || isExecutable(game / "Tessarine")) << at;
            std::string backup = readFile(game / "Tessarine.bak");
            EXPECT_TRUE(backup == (s.backup ? s.backup : "") || (s.game && backup == OLD)) << at;
            EXPECT_TRUE(running == NEW || patchLeft()) << at << ": the new build is lost";
            for (const std::string& n : namesIn(game))
                EXPECT_TRUE(Names({"Tessarine", "Tessarine.bak", "Tessarine.new", "Tessarine.bak.new"}).count(n)) << at;

            control.killAfter = 0;
            MoveResult next = move();
            EXPECT_NE(next, MoveResult::NotMoved) << at;
            expectOnly(NEW, s.game ? OLD : nullptr, at);
            EXPECT_FALSE(patchLeft()) << at;
        }
    }
}

std::vector<std::string> events;
void recordSleep(unsigned milliseconds)
{
    events.push_back("sleep " + std::to_string(milliseconds));
}
int recordLaunch(const std::string& path)
{
    events.push_back("launch " + path);
    return -1;   // whether the game starts or not, the updater goes on the same way
}

// The updater in the game's folder, the patch folder under a temporary data home.
TEST_F(PatchMoveTest, TheUpdaterAlwaysSleepsStartsTheGameAndSleeps)
{
    prepare(OLD, nullptr, nullptr);
    fs::path data = root / "data", patch = data / "Quorvane/Tessarine/Patch/Tessarine_patch";
    fs::create_directories(patch.parent_path());
    writeBuild(patch, NEW);
    std::string home = getenv("HOME") ? getenv("HOME") : "";
    std::string dataHome = getenv("XDG_DATA_HOME") ? getenv("XDG_DATA_HOME") : "";
    fs::path previous = fs::current_path();
    fs::current_path(game);
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    const std::vector<std::string> handOver = {"sleep 1000", "launch ./Tessarine", "sleep 1000"};
    EXPECT_EQ(runUpdater(recordSleep, recordLaunch, platformFileSteps()), 0);
    EXPECT_EQ(events, handOver);
    expectOnly(NEW, OLD, "moved");

    // No patch folder to be found: nothing moves, the game starts just the same.
    writeBuild(patch, OLDER);
    unsetenv("XDG_DATA_HOME");
    unsetenv("HOME");
    events.clear();
    EXPECT_EQ(runUpdater(recordSleep, recordLaunch, platformFileSteps()), 0);
    EXPECT_EQ(events, handOver);
    expectOnly(NEW, OLD, "no patch folder");
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
    fs::current_path(previous);
}

// The real ts_update in a game folder: over an empty patch, a FIFO or a link to /dev/zero the old
// game stays and starts at once, and the next patch the game writes goes in place as ever. Each run
// may write 1 MiB at most, and is killed if it still runs after a minute.
TEST_F(PatchMoveTest, TheUpdaterStartsTheOldGameOverNoPatchAndTheNextPatchAfterIt)
{
    const std::string updater = std::string(TS_BINARY_DIR) + "/ts_update";
    const char* oldGame = "#!/bin/sh\necho old > started\n";
    const char* newGame = "#!/bin/sh\necho new > started\n";
    prepare(oldGame, OLDER, nullptr);
    fs::path data = root / "data", patch = data / "Quorvane/Tessarine/Patch/Tessarine_patch";
    fs::create_directories(patch.parent_path());
    const struct {
        const char *what, *patch, *started, *gameAfter, *backupAfter;
    } runs[] = {{"a FIFO", "fifo", "old\n", oldGame, OLDER},
                {"a link to /dev/zero", "zero", "old\n", oldGame, OLDER},
                {"an empty patch", "", "old\n", oldGame, OLDER},
                {"a patch after those", newGame, "new\n", newGame, oldGame}};
    for (const auto& run : runs) {
        fs::remove(patch);
        if (run.patch == std::string("fifo"))
            ASSERT_EQ(mkfifo(patch.c_str(), 0600), 0);
        else if (run.patch == std::string("zero"))
            fs::create_symlink("/dev/zero", patch);
        else
            writeBuild(patch, run.patch);
        pid_t pid = fork();
        if (pid == 0) {
            setenv("XDG_DATA_HOME", data.c_str(), 1);
            rlimit written = {1 << 20, 1 << 20};
            if (chdir(game.c_str()) == 0 && setrlimit(RLIMIT_FSIZE, &written) == 0)
                execl(updater.c_str(), updater.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        ASSERT_GT(pid, 0) << run.what << ": fork failed";
        EXPECT_EQ(waitForChild(pid, std::chrono::minutes(1)).exitCode(), 0) << run.what;
        // The game runs on in a session of its own; it says it started in a file of its folder.
        for (int i = 0; i < 600 && readFile(game / "started") != run.started; ++i)
            usleep(100 * 1000);
        EXPECT_EQ(readFile(game / "started"), run.started) << run.what;
        fs::remove(game / "started");
        expectOnly(run.gameAfter, run.backupAfter, run.what);
        EXPECT_EQ(fs::exists(fs::symlink_status(patch)), run.started == std::string("old\n")) << run.what;
    }
}

} // namespace

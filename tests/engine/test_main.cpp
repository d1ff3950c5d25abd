#include "engine/log.h"
#include "engine/main.h"
#include "platform/system.h"
#include "../sleeping_copy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(GameVersion, BlanksGoCommasBecomeDots)
{
    EXPECT_EQ(makeGameVersion("0.1.0"), "Version 0.1.0");
    EXPECT_EQ(makeGameVersion("1, 2, 3, 4"), "Version 1.2.3.4");
    EXPECT_EQ(makeGameVersion(""), "Version ");
}

// A running copy of a small program under a name of the test's choosing.
class OldCopyTest : public ::testing::Test {
protected:
    std::string folder, name, path;
    pid_t child = 0;

    void SetUp() override
    {
        char pattern[] = "/tmp/ts_oldcopy_XXXXXX";
        folder = mkdtemp(pattern);
        name = "ts_copy_" + std::to_string(getpid());
        path = folder + "/" + name;
        child = startSleepingCopy(path);
        ASSERT_GT(child, 0);
        consoleLines.clear();
    }
    void TearDown() override
    {
        if (child > 0) {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
        }
        std::string cmd = "rm -rf '" + folder + "'";
        (void)system(cmd.c_str());
    }
    static int count(const std::string& line)
    {
        return int(std::count(consoleLines.begin(), consoleLines.end(), line));
    }
};

TEST_F(OldCopyTest, SeventhSightingKillsTheOldCopy)
{
    ASSERT_EQ(platformFindProcesses(path), std::vector<int>{int(child)});
    EXPECT_EQ(platformProcessName(child), name);

    OldCopyWait wait;
    wait.sightingSleepMs = 10;
    wait.rescanSleepMs = 5;
    EXPECT_TRUE(waitForOldCopies(path, wait));

    // Six plain sightings, then the seventh also terminates.
    ASSERT_GE(consoleLines.size(), 8u);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(consoleLines[i], "Waiting for old process to die") << i;
    EXPECT_EQ(consoleLines[7], "Killing old process");
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    child = 0;
    EXPECT_TRUE(WIFSIGNALED(status));
}

bool refuseToTerminate(int)
{
    return false;
}

TEST_F(OldCopyTest, ACopyThatCannotBeKilledDoesNotHangStartUp)
{
    OldCopyWait wait;
    wait.sightingSleepMs = 1;
    wait.rescanSleepMs = 1;
    wait.giveUpAfter = 12;
    wait.terminate = refuseToTerminate;
    EXPECT_FALSE(waitForOldCopies(path, wait));
    EXPECT_EQ(count("Waiting for old process to die"), 12);
    EXPECT_EQ(count("Killing old process"), 6);   // sightings 7 to 12
    EXPECT_EQ(consoleLines.back(), "Old process did not end, starting anyway");
    EXPECT_TRUE(platformProcessAlive(child));
}

TEST_F(OldCopyTest, OtherNamesAreNotWaitedFor)
{
    consoleLines.clear();
    EXPECT_TRUE(waitForOldCopies(path + "x", OldCopyWait()));
    EXPECT_TRUE(consoleLines.empty());
    EXPECT_TRUE(platformFindProcesses(path.substr(0, path.size() - 1)).empty());
    // The looking process never lists itself.
    std::vector<int> self = platformFindProcesses(platformExecutablePath());
    EXPECT_EQ(std::find(self.begin(), self.end(), int(getpid())), self.end());
}

} // namespace

#include "engine/config.h"
#include "engine/console.h"
#include "engine/polyparticles.h"
#include "engine/profiler.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Runs each test in its own empty folder (console.log is written to the working directory)
// with its own settings folder.
struct ConsoleTest : ::testing::Test {
    char folder[64] = "/tmp/ts_console_XXXXXX";
    std::string oldDir;
    std::string oldConfigHome;
    void SetUp() override
    {
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        oldDir = cwd;
        ASSERT_NE(mkdtemp(folder), nullptr);
        ASSERT_EQ(chdir(folder), 0);
        const char* old = std::getenv("XDG_CONFIG_HOME");
        oldConfigHome = old ? old : "";
        setenv("XDG_CONFIG_HOME", folder, 1);
        consoleLines.clear();
        showAtlas = showCurlConsole = showProfiling = false;
        showFps = showParticleCount = 0;
        smallTextures = 0;
        atlasSize = 4096;
        motionBlur = 1;
        particleDeg = 1.0f;
    }
    void TearDown() override
    {
        if (oldConfigHome.empty())
            unsetenv("XDG_CONFIG_HOME");
        else
            setenv("XDG_CONFIG_HOME", oldConfigHome.c_str(), 1);
        showProfiling = false;
        visualQuality = 3;
        applyVisualQuality();
        ASSERT_EQ(chdir(oldDir.c_str()), 0);
        std::string command = std::string("rm -rf ") + folder;
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
};

std::string readFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST_F(ConsoleTest, LogKeepsTwentyLinesAndWritesEveryOneWithCrLf)
{
    std::string expected;
    for (int i = 1; i <= 21; i++) {
        logMessage("line " + std::to_string(i));
        expected += "line " + std::to_string(i) + "\r\n";
    }
    ASSERT_EQ(consoleLines.size(), 20u);
    EXPECT_EQ(consoleLines.front(), "line 2");
    EXPECT_EQ(consoleLines.back(), "line 21");
    EXPECT_EQ(readFile("console.log"), expected);

    clearLogFile("console.log");
    EXPECT_EQ(readFile("console.log"), "");
    EXPECT_EQ(consoleLines.size(), 20u);   // emptying the file keeps the on-screen lines
}

TEST_F(ConsoleTest, LogLineSurvivesAnUnwritableFile)
{
    ASSERT_EQ(mkdir("console.log", 0700), 0);   // a folder where the file should be
    logMessage("kept in memory");
    ASSERT_EQ(consoleLines.size(), 1u);
    EXPECT_EQ(consoleLines[0], "kept in memory");
    rmdir("console.log");
}

TEST_F(ConsoleTest, SetWords)
{
    runConsoleCommand("set smalltextures 1");
    EXPECT_EQ(smallTextures, 1);
    runConsoleCommand("set motionblur nodigits");
    EXPECT_EQ(motionBlur, 0);
    runConsoleCommand("set motionblur 1");
    EXPECT_EQ(motionBlur, 1);
    runConsoleCommand("set particledeg 2.5");
    EXPECT_EQ(particleDeg, 2.0f);
    runConsoleCommand("set atlassize 2048");
    EXPECT_EQ(atlasSize, 2048);

    // Wrong word counts and unknown settings do nothing.
    runConsoleCommand("set atlassize");
    runConsoleCommand("set atlassize 1024 extra");
    runConsoleCommand("set Atlassize 1024");
    runConsoleCommand("set unknown 1024");
    EXPECT_EQ(atlasSize, 2048);
    EXPECT_TRUE(consoleLines.empty());
}

TEST_F(ConsoleTest, SizesMustBeUsable)
{
    // Atlas pages need a positive power of two; particle spacing must be positive.
    for (const char* bad : {"0", "-4096", "1000", "3000", "x", "99999999999", "32768"}) {
        runConsoleCommand(std::string("set atlassize ") + bad);
        EXPECT_EQ(atlasSize, 4096) << bad;
    }
    for (const char* bad : {"0", "-3", "0.5"}) {
        runConsoleCommand(std::string("set particledeg ") + bad);
        EXPECT_EQ(particleDeg, 1.0f) << bad;
    }
    EXPECT_TRUE(consoleLines.empty());   // the console never answers, not even a refusal
    runConsoleCommand("set atlassize 16384");
    EXPECT_EQ(atlasSize, 16384);
    runConsoleCommand("set particledeg 3");
    EXPECT_EQ(particleDeg, 3.0f);
}

TEST_F(ConsoleTest, ShowAndHideWords)
{
    runConsoleCommand("  show   fps  ");
    EXPECT_EQ(showFps, 1);
    runConsoleCommand("show particlecount");
    runConsoleCommand("show atlas");
    runConsoleCommand("show curlconsole");
    runConsoleCommand("show profiling");
    EXPECT_EQ(showParticleCount, 1);
    EXPECT_TRUE(showAtlas);
    EXPECT_TRUE(showCurlConsole);
    EXPECT_TRUE(showProfiling);

    runConsoleCommand("hide debug");
    EXPECT_EQ(showFps, 0);
    EXPECT_EQ(showParticleCount, 0);
    EXPECT_FALSE(showProfiling);
    EXPECT_TRUE(showAtlas);         // debug leaves these two alone
    EXPECT_TRUE(showCurlConsole);
    runConsoleCommand("show debug");
    EXPECT_EQ(showFps, 1);
    EXPECT_EQ(showParticleCount, 1);
    EXPECT_TRUE(showProfiling);

    runConsoleCommand("hide atlas");
    runConsoleCommand("hide curlconsole");
    EXPECT_FALSE(showAtlas);
    EXPECT_FALSE(showCurlConsole);

    // Case matters, the completion word "curl" is not a command, extra words cancel the line.
    runConsoleCommand("Show atlas");
    runConsoleCommand("show Atlas");
    runConsoleCommand("show curl");
    runConsoleCommand("show atlas now");
    runConsoleCommand("show");
    runConsoleCommand("");
    runConsoleCommand("     ");
    runConsoleCommand("flush atlas");
    runConsoleCommand("force offline");
    runConsoleCommand("force pups");
    runConsoleCommand("bogus words");
    EXPECT_FALSE(showAtlas);
    EXPECT_FALSE(showCurlConsole);
    EXPECT_TRUE(consoleLines.empty());
}

TEST_F(ConsoleTest, ConfigWordsSaveAndLoad)
{
    visualQuality = 2;
    runConsoleCommand("config save");
    visualQuality = 4;
    runConsoleCommand("config load");
    EXPECT_EQ(visualQuality, 2);
    EXPECT_EQ(AAlevel, 4);
    runConsoleCommand("config bogus");
    EXPECT_EQ(visualQuality, 2);
}

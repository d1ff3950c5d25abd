#include "engine/atlas.h"
#include "engine/config.h"
#include "engine/console.h"
#include "engine/log.h"
#include "engine/polyparticles.h"
#include "engine/profiler.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// Runs each test in its own empty folder, which is its settings folder too.
struct ConsoleTest : ::testing::Test {
    ScratchFolder folder;
    std::string oldConfigHome;
    void SetUp() override
    {
        const char* old = std::getenv("XDG_CONFIG_HOME");
        oldConfigHome = old ? old : "";
        setenv("XDG_CONFIG_HOME", folder.path().c_str(), 1);
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
    }
};

} // namespace

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

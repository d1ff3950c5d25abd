// UpdateGame's order, and whole games on the real asset pack.
#include "rules_fixture.h"

#include <AL/alut.h>

#include <fstream>
#include <map>

#include "engine/asset_pack.h"
#include "engine/config.h"
#include "engine/sound.h"
#include "game/levels.h"
#include "game/play.h"
#include "game/score_screen.h"

class PlayTest : public RulesTest {
protected:
    std::string savedPath;
    std::vector<AssetIndexEntry> savedIndex;
    bool lastSent = false;
    int reports = 0;   // death-report steps reached: the flag goes up exactly there

    void SetUp() override
    {
        RulesTest::SetUp();
        const std::string pack = std::string(TS_BINARY_DIR) + "/run/data/assets.ass";
        if (!std::ifstream(pack).good())
            GTEST_SKIP() << "no asset pack at " << pack;
        savedPath = assetPackPath;
        savedIndex = assetIndex;
        assetPackPath = pack;
        readAssetIndex();
        closeAssetPack();
    }
    void TearDown() override
    {
        if (!savedPath.empty()) {
            assetPackPath = savedPath;
            assetIndex = savedIndex;
        }
        RulesTest::TearDown();
    }

    void frame(float dt)
    {
        UpdateGame(dt);
        reports += deathRequestSent && !lastSent ? 1 : 0;
        lastSent = deathRequestSent;
    }

    // Three blocks of colour 2 in a row and a fourth set down beside them from 20 blocks away.
    void setDownFourth()
    {
        for (int i = 0; i < 3; ++i)
            putBlock(i, i, 0, 0, 2);
        pickedBlock = 2;
        pickedFace = dirPlusX;
        hoverTimer = hoverDelay;
        markerAlpha = 200.0f;
        rotateDragActive = true;
        cursorColour = 2;
        ASSERT_TRUE(trySetDown());
    }
};

// Swapping the removal and the meter would leave the charge for the next frame.
TEST_F(PlayTest, RemovalChargeMovesInTheSameFrame)
{
    setDownFourth();
    blocks[3].position = blocks[3].targetPosition;
    frame(32.0f);
    EXPECT_EQ(lastGroupSize, 4);
    EXPECT_FLOAT_EQ(powerupCharge, 1.0f);
    EXPECT_FLOAT_EQ(chargeBacklog, 3.0f);
    EXPECT_EQ(activeCount(), 3);   // the first member leaves in the same frame
}

TEST_F(PlayTest, PausedFrameRunsOnlyTheAlwaysSteps)
{
    setDownFourth();
    blocks[0].removing = 1;
    blocks[0].removeTimer = -100.0f;
    deathExplosionActive = paused = true;
    const float x = blocks[3].position.x;
    frame(50.0f);
    EXPECT_FLOAT_EQ(massLevel, 5.4f);
    EXPECT_FLOAT_EQ(gameTime + deathExplosionTimers[0], 0.0f);
    EXPECT_FLOAT_EQ(blocks[0].removeTimer, -100.0f);
    EXPECT_FLOAT_EQ(blocks[3].position.x, x);

    // The end-of-level step still runs: a finished explosion with nothing left replays the level.
    clearBoard();
    levelEnding = explosionFinished = true;
    frame(50.0f);
    EXPECT_FALSE(deathExplosionActive);
    EXPECT_GT(activeCount(), 0);
}

TEST_F(PlayTest, TimewarpKeepsRealTimeRulesAtRealSpeed)
{
    setDownFourth();
    putBlock(10, 5, 5, 5, 3);   // three colours: the mass grows at its normal rate
    putBlock(11, 7, 5, 5, 4);
    blocks[1].removing = 1;
    blocks[1].removeTimer = -1000.0f;
    powerupCharge = 150.0f;
    startPowerup(powerupTimewarp, true);
    const float x = blocks[3].position.x;
    frame(100.0f);
    EXPECT_FLOAT_EQ(gameTime, 100.0f);                                         // real
    EXPECT_FLOAT_EQ(x - blocks[3].position.x, playerSpeed * 15 * 100 / 10);    // real
    EXPECT_NEAR(powerupCharge, 150.0f - 100.0f / 20000.0f * 150.0f, 1e-4f);    // real
    EXPECT_NEAR(massLevel, 5.4f + 1.5f * 25.0f / 1000.0f, 1e-5f);              // slowed
    EXPECT_FLOAT_EQ(blocks[1].removeTimer, -975.0f);                           // slowed
    EXPECT_NEAR(apmTime, 0.025f, 1e-6f);                                       // slowed
}

// What a player sees of one group: its blocks vanish over 390 ms with four rising notes, 1600 points.
TEST_F(PlayTest, ScriptedGroupOfFourVanishesWithFourRisingNotes)
{
    ASSERT_EQ(alutInit(nullptr, nullptr), AL_TRUE) << "set ALSOFT_DRIVERS=null";
    soundVol = 10.0f;
    setDownFourth();
    float t = 0.0f, removalStart = -1.0f;
    std::map<int, float> leftAt;   // group order -> ms after the removal began
    while (t < 2000.0f && leftAt.size() < 4) {
        const bool removingBefore = blocks[0].removing;
        frame(10.0f);
        removalStart = !removingBefore && blocks[0].removing ? t : removalStart;
        t += 10.0f;
        for (int i = 0; i < 4; ++i)
            if (!blocks[i].active && !leftAt.count(blocks[i].groupOrder))
                leftAt[blocks[i].groupOrder] = t - removalStart;
    }
    const float expected[4] = {10.0f, 130.0f, 260.0f, 390.0f};   // the first within its frame
    for (int k = 0; k < 4; ++k)
        EXPECT_FLOAT_EQ(leftAt[k], expected[k]) << k;
    EXPECT_EQ(getScore(), 1600);
    EXPECT_EQ(comboLevel, 4);

    std::vector<float> pitches;
    for (std::size_t i = 0; i < soundSources.size(); ++i) {
        ALint buffer = 0;
        if (soundSources[i] != 0)
            alGetSourcei(soundSources[i], AL_BUFFER, &buffer);
        if (soundSources[i] != 0 && static_cast<ALuint>(buffer) == LoadSoundFile("stab6.ogg")) {
            pitches.push_back(sourcePitches[i]);
            EXPECT_FLOAT_EQ(sourceVolumes[i], 0.25f);
        }
    }
    EXPECT_EQ(pitches, (std::vector<float>{1.0f, 1.2f, 1.4f, 1.6f}));
    shutdownSound();
}

TEST_F(PlayTest, ClassicLevelWithNoPlacementsExplodesAndReplays)
{
    loadLevel(true);
    const int levelBlocks = activeCount();
    ASSERT_GT(levelBlocks, 0);
    const float dt = 1000.0f / 60.0f;
    while (!deathExplosionActive && gameTime < 40000.0f)
        frame(dt);
    EXPECT_NEAR(gameTime, 32400.0f, 2 * dt);
    bool emptied = false;
    for (int n = 0; n < 200 && !(emptied && activeCount() > 0); ++n) {
        frame(dt);
        emptied = emptied || activeCount() == 0;
    }
    EXPECT_EQ(activeCount(), levelBlocks);   // the same level again, from its start
    EXPECT_EQ(levelNumber, 0);
    EXPECT_FALSE(deathExplosionActive);
    EXPECT_FLOAT_EQ(massLevel, 5.4f);
    EXPECT_EQ(reports, 1);
}

// The Meditation end used to keep a report flag left by an earlier explosion, losing its report.
TEST_F(PlayTest, MeditationEndsASecondAfterTheGoalWithItsReport)
{
    resetRules(gm::Meditation);
    putBlock(0, 0, 0, 0, 6);
    deathRequestSent = lastSent = true;
    blocksLanded = meditationGoal - 1;
    frame(10.0f);
    EXPECT_FALSE(levelEnding);
    blocksLanded = meditationGoal;
    float t = 0.0f;
    for (; !deathExplosionActive && t < 3000.0f; t += 10.0f)
        frame(10.0f);
    EXPECT_FLOAT_EQ(t, 1010.0f);   // the first frame past 1000 ms
    for (int n = 0; n < 300; ++n)
        frame(10.0f);
    EXPECT_TRUE(explosionFinished);
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(activeCount(), 0);   // the game is over: no replay
}

// A Restart in Survival used to rebuild the board halfway through its explosion, dropping its report.
TEST_F(PlayTest, SurvivalRestartReplaysAfterTheExplosionAndItsReport)
{
    resetRules(gm::Survival);
    for (int i = 0; i < 5; ++i)
        putBlock(i, i, 0, 0, 1 + i);
    startRestartExplosion();
    bool emptied = false;
    for (int n = 0; n < 400 && !(emptied && activeCount() > 0); ++n) {
        frame(10.0f);
        emptied = emptied || activeCount() == 0;
    }
    EXPECT_EQ(reports, 1);
    EXPECT_GT(activeCount(), 0);
    EXPECT_EQ(levelNumber, 1);
}

namespace {

// Every block of the board starts its removal, in groups of five, as cleared groups would.
void removeEveryBlock()
{
    int order = 0;
    for (BlockRecord& b : blocks)
        if (b.active && !b.removing) {
            b.removing = 1;
            b.groupOrder = order % 5;
            b.removeTimer = -130.0f * static_cast<float>(b.groupOrder);
            ++order;
        }
}

} // namespace

// A cleared Classic level online: one highscore and one score report, the panel moves on 5 s in
// with no Draw once the reply has come (the play time stopped with the level), and Continue starts
// level 2.
TEST_F(PlayTest, ScriptedClassicLevelOnline)
{
    TestScreen screen;
    resetRules(gm::Casual);
    offlineMode = 0;
    username = "ada";
    userId = "12";
    playerPassword = "pw";
    sessionHash = "s1";
    loadLevel(true);
    const float dt = 20.0f;
    for (int i = 0; i < 50; ++i)
        frame(dt);
    ASSERT_EQ(queuedKinds(), std::vector<int>{rk::Highscore});
    EXPECT_EQ(queuedRequests[0].url, "highscore.php?gamemode=1&level=1&username=ada&userid=12");
    highscoreReplyReceived = true;   // the dispatch stores the reply's numbers
    personalBest = 0;
    performanceMean = 10000;
    performanceSpread = 2000;

    removeEveryBlock();
    while (levelCompleteTimer == 0.0f && gameTime < 10000.0f)
        frame(dt);
    ASSERT_EQ(queuedKinds(), std::vector<int>({rk::Highscore, rk::Score}));
    EXPECT_EQ(queuedRequests[1].url, "score.php?gamemode=1&level=1&score=0&time=" +
                                         std::to_string(static_cast<long long>(gameTime)) +
                                         "&apm=0&controls=0&drops=0&rotates=0&pup1earned=0&pup2earned=0"
                                         "&pup3earned=0&pup1used=0&pup2used=0&pup3used=0&kills=0&performance=3"
                                         "&sessionhash=s1&userid=12&passwordHash="
                                         "30c952fab122c3f9759f02a6d95c3758b246b4fee239957b2d4fee46e26170c4");
    const float reported = gameTime;
    while (levelCompleteTimer < 2000.0f)
        frame(dt);
    scoreReplyReceived = true;
    while (gameState == gs::Game && levelCompleteTimer < 10000.0f)
        frame(dt);
    EXPECT_EQ(gameState, gs::GameOver);
    EXPECT_FLOAT_EQ(levelCompleteTimer, 5020.0f);
    EXPECT_EQ(queuedRequests.size(), 2u);

    for (int i = 0; i < 100 && gameState != gs::Score; ++i)
        Update(dt);
    ASSERT_EQ(gameState, gs::Score);
    EXPECT_FLOAT_EQ(gameTime, reported);   // the score page's "Time" is the time reported
    pressAt(scorePageButtonRect(2));
    for (int i = 0; i < 100 && gameState != gs::Game; ++i)
        Update(dt);
    EXPECT_EQ(levelNumber, 1);
    EXPECT_GT(activeCount(), 0);
    EXPECT_EQ(queuedRequests.back().url, "highscore.php?gamemode=1&level=2&username=ada&userid=12");
}

// The same game offline, with a death first: nothing goes out but the death report.
TEST_F(PlayTest, ScriptedClassicLevelOfflineSendsOnlyDeaths)
{
    resetRules(gm::Casual);
    loadLevel(true);
    const float dt = 1000.0f / 60.0f;
    while (reports == 0 && gameTime < 40000.0f)
        frame(dt);
    while (activeCount() == 0 && gameTime < 45000.0f)
        frame(dt);
    removeEveryBlock();
    while (gameState == gs::Game && gameTime < 60000.0f)
        frame(dt);
    EXPECT_EQ(gameState, gs::GameOver);
    ASSERT_EQ(queuedKinds(), std::vector<int>{rk::Death});
    EXPECT_EQ(queuedRequests[0].url.rfind("death.php?gamemode=1&level=1&score=0&time=3", 0), 0u);
    EXPECT_EQ(queuedRequests[0].timeoutSeconds, 5);
}

// Survival: the first stage ends with its texts and the automatic Fusion Pulse; the explosion
// then ends the game.
TEST_F(PlayTest, ScriptedSurvivalGame)
{
    resetRules(gm::Survival);
    loadLevel(true);
    powerupCharge = 150.0f;
    startPowerup(powerupTimewarp, false);   // it slows the mass, not the stage clock
    const float dt = 1000.0f / 60.0f;
    while (survivalStage == 1 && gameTime < 70000.0f) {
        massLevel = massLimit * 0.1f;   // the player's clears keep the mass down
        frame(dt);
    }
    ASSERT_EQ(survivalStage, 2);
    EXPECT_NEAR(gameTime, 60000.0f, 2 * dt);
    ASSERT_GE(floatys.size(), 2u);
    EXPECT_EQ(floatys[floatys.size() - 2].text, "+1000");
    EXPECT_EQ(floatys.back().text, "Stage 1 Clear!");
    EXPECT_TRUE(fusionPulseActive);
    while (gameState == gs::Game && gameTime < 200000.0f)
        frame(dt);
    EXPECT_EQ(gameState, gs::GameOver);
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(queuedKinds(), std::vector<int>{rk::Death});
}

// The next level from the score page starts a new highscore report while the last one is still
// unanswered: its wait begins at 0.
TEST_F(PlayTest, NextLevelBeginsTheHighscoreWaitAtZero)
{
    offlineMode = 0;
    loadLevel(true);
    frame(16.0f);
    requestWaitTimes[0] = 9000.0f;
    gameState = gs::ScoreToGame;
    fadeLevel = 0.0f;
    Update(16.0f);
    ASSERT_EQ(gameState, gs::Game);
    for (int i = 0; i < 50; ++i)
        frame(50.0f);
    EXPECT_FALSE(serverWaitPause);
    EXPECT_NEAR(requestWaitTimes[0], 2516.0f, 1.0f);
    EXPECT_EQ(queuedKinds(), std::vector<int>({rk::Highscore, rk::Highscore}));
}

// Shared set-up of the rules tests: the board fixture plus every rule's state at a level start.
#pragma once
#include "board_fixture.h"

#include "engine/fonts.h"
#include "engine/polyparticles.h"
#include "game/effects.h"
#include "game/explosion.h"
#include "game/game_state.h"
#include "game/game_types.h"
#include "engine/window.h"
#include "game/input.h"
#include "game/level_end.h"
#include "game/levels.h"
#include "game/mass.h"
#include "game/play_achievements.h"
#include "game/pointing.h"
#include "game/powerups.h"
#include "game/reports.h"
#include "game/scoring.h"
#include "game/layout.h"
#include "game/states.h"
#include "game/tutorials.h"
#include "online/achievements.h"
#include "online/query.h"
#include "online/requests.h"

// What curlQueue was handed, in order: the test's recorder of requests.
struct QueuedRequest {
    std::string url;
    int kind;
    long timeoutSeconds;
};
inline std::vector<QueuedRequest> queuedRequests;
inline void recordRequest(const std::string& url, std::string*, int kind, long timeoutSeconds)
{
    queuedRequests.push_back({url, kind, timeoutSeconds});
}
inline std::vector<int> queuedKinds()
{
    std::vector<int> kinds;
    for (const QueuedRequest& r : queuedRequests)
        kinds.push_back(r.kind);
    return kinds;
}
// An achievement upload of this key was queued.
inline bool awarded(const std::string& name)
{
    for (const QueuedRequest& r : queuedRequests)
        if (r.kind == 6 && r.url.find("&cheeve=" + name) != std::string::npos)
            return true;
    return false;
}

// A 1280 x 720 screen with a 24-pixel text unit, so the popup and page buttons have their size.
struct TestScreen {
    int width = screenWidth, height = screenHeight;
    float unit = mediumFont.height;
    TestScreen() { screenWidth = 1280, screenHeight = 720, mediumFont.height = 24.0f; }
    ~TestScreen() { screenWidth = width, screenHeight = height, mediumFont.height = unit; }
};

// A held press in the middle of a button.
inline void pressAt(const LayoutRect& r)
{
    mouseX = static_cast<int>((r.left + r.right) / 2);
    mouseY = static_cast<int>((r.top + r.bottom) / 2);
    leftButtonDown = true;
}

inline void resetRules(int mode)
{
    gameMode = mode;
    gameState = gs::Game;
    setScore(mode == gm::Rush ? 250000 : 0);
    displayedScore = getScore();
    comboLevel = 1;
    bestCombo = lastGroupSize = killCount = placementsSinceMatch = pendingSpawns = blocksLanded = 0;
    massLimit = 54.0f;
    massLevel = 5.4f;
    pendingMass = recentMass = powerupCharge = chargeBacklog = motionBlurAmount = 0.0f;
    resetExplosion();
    paused = fewColoursLeft = multiplierActive = timewarpActive = fusionPulseActive = false;
    restartRequested = deathRequestSent = meditationGoalReached = levelSelectPlay = false;
    meditationEndTimer = levelCompleteTimer = gameTime = apmTime = rushPenaltyTimer = 0.0f;
    for (int k = 0; k < 3; ++k) {
        powerupReadyFlags[k] = powerupUsedNotices[k] = powerupKeyHeld[k] = false;
        powerupReadyCounts[k] = powerupUseCounts[k] = 0;
    }
    survivalStage = 1;
    levelNumber = 0;
    levelLoadFailed = false;
    floatys.clear();
    removalTimes.clear();
    for (PolyparticleSystem& s : particleSystems)
        s.active = 0;
    cursorColour = previousCursorColour = -1;
    leftButtonDown = rotateDragActive = false;
    mouseX = mouseY = 0;   // a pointer left over a powerup card would take the next test's clicks
    // Offline, every tutorial page seen: nothing pauses a game unless a test asks for it.
    offlineMode = 99;
    for (int page = 0; page < 9; ++page) {
        tutorialSetting(page) = 1;
        tutorialShown[page] = false;
    }
    tutorialOpen = tutorialResetPrompt = escapeHeld = serverWaitPause = continueReady = false;
    serverWaitContinued = redZoneSurvived = false;
    highscoreRequestSent = highscoreReplyReceived = scoreRequestSent = scoreReplyReceived = false;
    highscoreReplyFirst = personalBest = performanceMean = performanceSpread = previousRank = -1;
    scoreReplyFirst = scoreReplySecond = newRank = skillPointsBefore = skillPointsAfter = -1;
    requestWaitTimes[0] = requestWaitTimes[1] = requestWaitTimes[2] = tutorialClickTimer = 0.0f;
    dangerTime = survivalCountdownElapsed = survivalSecondTimer = 0.0f;
    performanceGrade = finalPerformanceGrade = 0;
    cheeveToasts.clear();
    cheeveToastShown.clear();
    for (bool& earned : cheeveEarned)
        earned = false;
    resetAchievementUploads();
    cameraTurnsX.clear();
    cameraTurnsY.clear();
    curlQueueHook = recordRequest;
    queuedRequests.clear();
    username = userId = playerPassword = sessionHash = "";
}

inline int activeCount()
{
    int n = 0;
    for (const BlockRecord& b : blocks)
        n += b.active ? 1 : 0;
    return n;
}

class RulesTest : public BoardTest {
protected:
    void SetUp() override
    {
        BoardTest::SetUp();
        resetRules(gm::Normal);
    }
    void TearDown() override
    {
        resetRules(gm::Overall);
        curlQueueHook = nullptr;
        gameState = gs::Intro;
        BoardTest::TearDown();
    }
};

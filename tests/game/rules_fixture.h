// Shared set-up of the rules tests: the board fixture plus every rule's state at a level start.
#pragma once
#include "board_fixture.h"

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
#include "game/states.h"
#include "game/tutorials.h"

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
    floatys.clear();
    removalTimes.clear();
    for (PolyparticleSystem& s : particleSystems)
        s.active = 0;
    cursorColour = previousCursorColour = -1;
    leftButtonDown = rotateDragActive = false;
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
        gameState = gs::Intro;
        BoardTest::TearDown();
    }
};

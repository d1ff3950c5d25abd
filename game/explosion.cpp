#include "game/explosion.h"

#include "engine/sound.h"
#include "game/blocks.h"
#include "game/game_state.h"
#include "game/game_types.h"
#include "game/level_end.h"
#include "game/levels.h"
#include "game/mass.h"
#include "game/pointing.h"
#include "game/powerups.h"
#include "game/reports.h"
#include "game/states.h"
#include "game/tutorials.h"

bool deathExplosionActive = false;
float deathExplosionTimers[3] = {};
float deathExplosionLateTimers[2] = {};
bool explosionFinished = false;
bool levelEnding = false;
bool restartRequested = false;
bool deathRequestSent = false;
bool meditationGoalReached = false;
float meditationEndTimer = 0.0f;

namespace {

void advancePhaseTimer(float& timer, float length, float dtMs)
{
    timer += dtMs;
    if (timer > length)
        timer = length;
}

void deactivateAllBlocks()
{
    for (BlockRecord& b : blocks)
        b.active = 0;
}

bool anyBlockActive()
{
    for (const BlockRecord& b : blocks)
        if (b.active)
            return true;
    return false;
}

// Every trigger hands over a fresh death report, so a flag left by an earlier explosion never
// swallows this one's.
void startExplosion()
{
    PlaySound("woob.ogg", 1.0f, 1.0f);
    levelEnding = true;
    deathExplosionActive = true;
    deathRequestSent = false;
}

void replayLevel()
{
    resetExplosion();
    loadLevel(false);
}

} // namespace

void checkMassTrigger()
{
    if (massLevel > massLimit && gameState != gs::GameOver && !deathExplosionActive)
        startExplosion();
}

void updateMeditationGoal(float dtMs)
{
    if (gameMode != gm::Meditation || gameState == gs::GameOver)
        return;
    if (blocksLanded >= meditationGoal) {
        meditationGoalReached = true;
        levelEnding = true;
    }
    if (!meditationGoalReached)
        return;
    meditationEndTimer += dtMs;
    if (meditationEndTimer > meditationEndDelay && !deathExplosionActive)
        startExplosion();
}

void startRestartExplosion()
{
    paused = false;
    deathExplosionActive = true;
    levelEnding = true;
    restartRequested = true;
    deathRequestSent = false;
}

void updateExplosionPhases(float dtMs)
{
    if (!deathExplosionActive)
        return;
    const float* L = deathExplosionLengths;
    float* T = deathExplosionTimers;
    float* late = deathExplosionLateTimers;
    if (T[0] < L[0]) {
        const float target = -5.0f * massLimit;
        massLevel -= dtMs * (massLevel - target) / (L[0] - T[0]);
        if (massLevel < 0.0f)
            deactivateAllBlocks();
        advancePhaseTimer(T[0], L[0], dtMs);
        if (T[0] > L[0] / 2.0f && T[1] < L[1]) {
            if (T[1] == 0.0f)
                PlaySound("explosey3.ogg", 1.0f, 1.0f);
            advancePhaseTimer(T[1], L[1], dtMs);
        }
    } else if (T[1] < L[1]) {
        advancePhaseTimer(T[1], L[1], dtMs);
        if (T[0] > L[0] / 2.0f && T[2] < L[2])
            advancePhaseTimer(T[2], L[2], dtMs);
    } else if (T[2] < L[2]) {
        advancePhaseTimer(T[2], L[2], dtMs);
    } else {
        deactivateAllBlocks();
        if (late[0] < L[3]) {
            advancePhaseTimer(late[0], L[3], dtMs);
        } else if (late[1] < L[4]) {
            advancePhaseTimer(late[1], L[4], dtMs);
        } else {
            explosionFinished = true;
            if (!deathRequestSent && !levelSelectPlay) {
                deathRequestSent = true;
                queueDeathReport();
            }
        }
    }
}

void resetExplosion()
{
    deathExplosionActive = false;
    explosionFinished = false;
    for (float& t : deathExplosionTimers)
        t = 0.0f;
    for (float& t : deathExplosionLateTimers)
        t = 0.0f;
    powerupCharge = 0.0f;
    levelEnding = false;
}

void updateLevelEnd(float dtMs)
{
    if (anyBlockActive())
        return;
    const bool endsGame = gameMode == gm::Survival || gameMode == gm::Meditation;
    const bool exploded = levelEnding && explosionFinished;
    if (exploded && !endsGame) {
        replayLevel();
    } else if (exploded && gameMode == gm::Meditation && restartRequested) {
        replayLevel();
    } else if (deathExplosionActive || endsGame) {
        if (exploded && endsGame && !restartRequested)
            updateGameOverPanel(dtMs);
        // A Restart in Survival waits for its explosion to finish, as every other replay does.
        else if (exploded && gameMode == gm::Survival && restartRequested)
            replayLevel();
    } else if (gm::isClassic(gameMode) || gameMode == gm::Rush) {
        // An empty board from a level that failed to load is no win.
        if (!levelLoadFailed)
            updateLevelCleared(dtMs);
    }
}

#include "game/play.h"

#include "engine/camera.h"
#include "engine/profiler.h"
#include "game/blocks.h"
#include "game/effects.h"
#include "game/explosion.h"
#include "game/game_types.h"
#include "game/level_end.h"
#include "game/input.h"
#include "game/mass.h"
#include "game/piece_queues.h"
#include "game/play_achievements.h"
#include "game/pointing.h"
#include "game/powerups.h"
#include "game/reports.h"
#include "game/scoring.h"
#include "game/tutorials.h"
#include "online/achievements.h"

namespace {

void playFrame(float realDtMs)
{
    updateMotionBlur(realDtMs);
    // From here on the rules see Timewarp's slowed time; those that keep real time say so.
    const float dt = timewarpActive ? realDtMs / timewarpFactor : realDtMs;

    colourBiasActive = true;
    camera.update(viewDragging());
    updateIdleTurn(dt);
    camera.look(massRatio());
    updatePointing();

    updatePowerupKeys();
    updatePlayClocks(dt, realDtMs);

    updateColourCensus();
    updateGroupRemoval();
    checkRemovalTutorials();

    updatePowerupMeter(dt, realDtMs);

    // The block steps keep real time by themselves; hand them the time of the powerup now running.
    updateBlockPlay(timewarpActive ? realDtMs / timewarpFactor : realDtMs);
    updateSurvivalSpawner();
    retireRemovingBlocks(dt);
    checkComboTutorial();

    updateMass(dt);
    checkMassTrigger();
    updateMeditationGoal(dt);
    updateExplosionPhases(dt);

    updatePlayAchievements(dt);
    updatePlayEffects(dt, realDtMs);
    updateAchievementUpload(dt);
}

} // namespace

void updatePlayClocks(float dtMs, float realDtMs)
{
    // Both clocks stop with the level: the panel's wait is no play time.
    if (levelCompleteTimer == 0.0f) {
        gameTime += realDtMs;
        apmTime += dtMs / 1000.0f;
    }
    for (int rows = 1; rows <= 5; ++rows) {
        rowCooldowns[rows] -= dtMs;
        if (rowCooldowns[rows] < 0.0f)
            rowCooldowns[rows] = 0.0f;
    }
    updateRushClock(dtMs);
    updateSurvivalCountdown(realDtMs);
}

void UpdateGame(float dtMs)
{
    PROFILE_SCOPE("UpdateGame");
    updateHighscoreRequest();
    updatePausePopup(dtMs);

    if (!paused)
        playFrame(dtMs);

    updateParticleMotion(dtMs);
    updateLevelEnd(dtMs);
    updateServerWait(dtMs);
}

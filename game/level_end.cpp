#include "game/level_end.h"

#include <cstdint>
#include <string>

#include "engine/fonts.h"
#include "engine/sound.h"
#include "game/effects.h"
#include "game/explosion.h"
#include "game/game_state.h"
#include "game/game_types.h"
#include "game/input.h"
#include "game/levels.h"
#include "game/mass.h"
#include "game/play_achievements.h"
#include "game/powerups.h"
#include "game/reports.h"
#include "game/scoring.h"
#include "game/states.h"
#include "online/requests.h"

float levelCompleteTimer = 0.0f;
int performanceGrade = 0;
int finalPerformanceGrade = 0;
bool scoreRequestSent = false, scoreReplyReceived = false;
bool levelSelectPlay = false;
bool endBreakSoundPlayed = false;
float survivalCountdownElapsed = 0.0f;
float survivalSecondTimer = 0.0f;
int survivalStage = 1;

namespace {

constexpr float survivalBeepWindow = 10000.0f;   // the last ten seconds of a stage beep

// The ending panel of both kinds of ending. A game over (Survival, Meditation) always reports
// while online and moves on without looking at the server-wait pause; a cleared level (Classic,
// Rush) reports nothing in level-select play and waits while the pause is up.
void runEndPanel(float dtMs, bool gameOver)
{
    if (levelCompleteTimer == 0.0f) {
        resetScoreReport();
        finalPerformanceGrade = performanceGrade = 0;
    }
    levelCompleteTimer += dtMs;
    holdMassForPanel();

    // Decided here rather than by the drawing, so the report never waits for a drawn frame.
    settlePerformanceGrade();
    if (finalPerformanceGrade == 0)
        finalPerformanceGrade = performanceGrade;
    const bool reports = offlineMode != 99 && (gameOver || !levelSelectPlay);
    if (reports && !scoreRequestSent)
        queueScoreReport();

    const bool settled = scoreReplyReceived || offlineMode == 99 || (!gameOver && levelSelectPlay);
    const bool heldByWait = !gameOver && serverWaitPause;
    const bool announcementsDone = leftButtonDown || cheeveToasts.empty();
    if (levelCompleteTimer <= levelCompleteMinimum || !settled || heldByWait || !announcementsDone)
        return;
    leftButtonDown = false;
    if (gameOver) {
        gameState = gs::GameOver;
        resetExplosion();
    } else {
        // Only a Classic game is completed; Rush plays a level of its own.
        const bool lastLevel = gm::isClassic(gameMode) && levelNumber == lastClassicLevel && !levelSelectPlay;
        gameState = lastLevel ? gs::GameToGrats : gs::GameOver;
    }
}

void endSurvivalStage()
{
    survivalCountdownElapsed = 0.0f;
    survivalSecondTimer = 0.0f;
    // The stage's own Fusion Pulse, whatever else runs; it counts as no use by the player.
    powerupCharge = powerupChargeMax;
    startPowerup(powerupFusionPulse, false);

    // Shown, not added to the score. 64-bit: the cube outgrows an int after two hours of play.
    const int64_t stage = survivalStage;
    const int64_t bonus = stage * stage * stage * 1000;
    const Vector2 at = scoreTextPoint();
    spawnFloaty(Vector2(at.x, at.y - largeFont.height), "+" + std::to_string(bonus), true, true);
    awardRedZoneAtStageEnd();
    spawnFloaty(at, "Stage " + std::to_string(survivalStage) + " Clear!", true, false);
    PlaySound("powerupready.ogg", 0.2f, 1.0f);
    ++survivalStage;
}

} // namespace

int performanceGradeFor(int score, int mean, int spread)
{
    if (mean <= 0 || spread <= 0)
        return 4;
    // 64-bit, so a large reference cannot wrap a band's edge.
    const int64_t p = score, m = mean, s = spread;
    if (p < m - s)
        return 3;
    if (p < m + s)
        return 4;
    if (p < m + 2 * s)
        return 5;
    if (p < m + 3 * s)
        return 6;
    return 7;
}

const char* performanceGradeName(int grade)
{
    switch (grade) {
    case 3: return "Fair";
    case 5: return "Great";
    case 6: return "Excellent";
    case 7: return "Epic";
    default: return "Good";
    }
}

void settlePerformanceGrade()
{
    if (performanceGrade == 0)
        performanceGrade = performanceGradeFor(getScore(), performanceMean, performanceSpread);
}

void holdMassForPanel()
{
    if (levelCompleteTimer > 0.0f)
        massLevel = 0.0f;
}

void updateSurvivalCountdown(float realDtMs)
{
    if (gameMode != gm::Survival)
        return;
    if (!levelEnding && levelCompleteTimer == 0.0f) {
        survivalCountdownElapsed += realDtMs;
        survivalSecondTimer += realDtMs;
    }
    if (survivalSecondTimer >= 1000.0f) {
        survivalSecondTimer -= 1000.0f;
        if (survivalCountdownLength - survivalCountdownElapsed <= survivalBeepWindow) {
            PlaySound("clockbeep.ogg", 0.45f, 1.0f);
            countdownPulse = 1.4f;
        }
    }
    if (survivalCountdownElapsed >= survivalCountdownLength)
        endSurvivalStage();
}

void updateLevelCleared(float dtMs)
{
    runEndPanel(dtMs, false);
}

void updateGameOverPanel(float dtMs)
{
    runEndPanel(dtMs, true);
}

#include "game/level_end.h"

#include <cstdint>

#include "game/game_types.h"
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

bool levelPanelSettled()
{
    const bool clearedLevel = gameMode >= gm::Casual && gameMode <= gm::Rush;
    return scoreReplyReceived || offlineMode == 99 || (clearedLevel && levelSelectPlay);
}

void updateSurvivalCountdown(float) {}
void updateLevelCleared(float) {}
void updateGameOverPanel(float) {}

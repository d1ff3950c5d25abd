#include "game/play_achievements.h"

#include <cmath>

#include "engine/camera.h"
#include "game/game_types.h"
#include "game/mass.h"
#include "game/reports.h"
#include "game/scoring.h"
#include "game/states.h"
#include "online/achievements.h"

std::vector<float> cameraTurnsX, cameraTurnsY;
std::vector<float> removalTimes;
float dangerTime = 0.0f;
bool redZoneSurvived = false;
// Set by the reply dispatch and the achievement upload; the HUD announces and play advances the timer.
bool cheeveEarned[28] = {};
std::vector<int> cheeveToasts;
std::vector<bool> cheeveToastShown;
float cheeveToastTimer = 0.0f;

namespace {

// Puts this frame's turn in front; true when the list grew past ten and the newest ten sum to
// the limit.
bool addTurn(std::vector<float>& turns, float turn)
{
    turns.insert(turns.begin(), std::fabs(turn));
    if (turns.size() <= 10)
        return false;
    turns.resize(10);
    float sum = 0.0f;
    for (float t : turns)
        sum += t;
    return sum >= lightheadedTurn;
}

} // namespace

std::vector<const char*> groupRemovalAwards(int n)
{
    std::vector<const char*> keys;
    if (n == 13)
        keys.push_back("chainreaction");
    if (n == 16 && gameMode == gm::Meditation)
        keys.push_back("zenmaster");
    if (gameMode == gm::Rush) {
        removalTimes.insert(removalTimes.begin(), apmTime);
        // Only a list that grew past five is cut and tested: the first five removals never count.
        if (removalTimes.size() > 5) {
            removalTimes.resize(5);
            if (removalTimes.front() - removalTimes.back() <= 10.0f)
                keys.push_back("killstreak");
        }
    }
    return keys;
}

bool quicksaveEarned()
{
    return (gameMode == gm::Normal || gameMode == gm::Expert) && massRatio() >= 0.9f;
}

void awardRedZoneAtStageEnd()
{
    if (!redZoneSurvived)
        return;
    awardAchievement("youvegotredonyou");
    redZoneSurvived = false;
}

void updatePlayAchievements(float dtMs)
{
    if (gm::isClassic(gameMode) && personalBest > 0 && getScore() > personalBest)
        awardAchievement("personalgrowth");
    if (gameMode == gm::Survival && apmTime >= 300.0f)
        awardAchievement("survivalist");

    const bool turnedX = addTurn(cameraTurnsX, cameraAngles[0]);
    const bool turnedY = addTurn(cameraTurnsY, cameraAngles[1]);
    cameraAngles[0] = cameraAngles[1] = 0.0f;
    if (turnedX || turnedY)
        awardAchievement("lightheaded");

    if (gameMode != gm::Survival)
        return;
    if (massRatio() >= 0.8f)
        dangerTime += dtMs;
    else
        dangerTime = 0.0f;
    if (dangerTime >= redZoneLength)
        redZoneSurvived = true;
}

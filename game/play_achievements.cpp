#include "game/play_achievements.h"

#include "game/game_types.h"
#include "game/mass.h"
#include "game/reports.h"
#include "game/states.h"

std::vector<float> cameraTurnsX, cameraTurnsY;
std::vector<float> removalTimes;

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
    return (gameMode == gm::Normal || gameMode == gm::Expert) && massLimit > 0.0f &&
           massLevel / massLimit >= 0.9f;
}

void updatePlayAchievements(float) {}
// Set by the reply dispatch and the achievement upload; the HUD announces and play advances the timer.
bool cheeveEarned[28] = {};
std::vector<int> cheeveToasts;
std::vector<bool> cheeveToastShown;
float cheeveToastTimer = 0.0f;

#include "game/play_achievements.h"

// Placeholder until the achievements awarded in play are written.
std::vector<float> cameraTurnsX, cameraTurnsY;
std::vector<float> removalTimes;
// Set by the reply dispatch and the achievement upload; the HUD announces and play advances the timer.
bool cheeveEarned[28] = {};
std::vector<int> cheeveToasts;
std::vector<bool> cheeveToastShown;
float cheeveToastTimer = 0.0f;

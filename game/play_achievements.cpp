#include "game/play_achievements.h"

// Placeholder until the achievements awarded in play are written.
std::vector<float> cameraTurnsX, cameraTurnsY;
std::vector<float> removalTimes;

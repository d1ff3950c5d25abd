// Histories watched by the achievements awarded in play.
// Placeholder until the achievements awarded in play are written.
#pragma once
#include <vector>

extern std::vector<float> cameraTurnsX, cameraTurnsY;  // newest first
extern std::vector<float> removalTimes;                // Rush only, newest first

// Earned flags by achievement number (1..27; 0 is none), the numbers waiting to be announced with
// a shown flag each, and the age of the current announcement (ms).
extern bool cheeveEarned[28];
extern std::vector<int> cheeveToasts;
extern std::vector<bool> cheeveToastShown;
extern float cheeveToastTimer;

// Histories watched by the achievements awarded in play.
// Placeholder until the achievements awarded in play are written.
#pragma once
#include <vector>

extern std::vector<float> cameraTurnsX, cameraTurnsY;  // newest first
extern std::vector<float> removalTimes;                // Rush only, newest first

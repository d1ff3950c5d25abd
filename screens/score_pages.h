// The score page after a game and the end-of-game page: title, score, combo, time, the change of
// skill points and the rank as the web service reported them. Numbers are written as the digits
// of their magnitude, worked out in 64 bits; a sign, where one shows, is a text of its own.
#pragma once
#include <string>

// The digits of |value|, and grouped by thousands.
std::string magnitudeText(long long value);
std::string groupedMagnitude(long long value);
// The rank's climb: previous - new when a previous rank is known (above 0), else 0; a positive
// climb is good.
long long rankClimb(long long previous, long long now);

// The end-of-game page's grade of a score against the player's mean and spread.
struct Grade {
    const char* name;
    float r, g, b;
};
Grade endgameGrade(long long score, long long mean, long long spread);

// The rank labels of a mode: the score page names every mode, the end-of-game page its own set.
const char* scoreRankLabel(int mode);
const char* endgameRankLabel(int mode);

void renderScoreScreen();
void renderEndgame();

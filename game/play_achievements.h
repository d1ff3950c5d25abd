// The achievements awarded in play and the histories their conditions watch.
#pragma once
#include <vector>

extern std::vector<float> cameraTurnsX, cameraTurnsY;  // newest first
extern std::vector<float> removalTimes;                // Rush only, play seconds, newest first

// The keys a removed group of n blocks earns: "chainreaction" for 13, "zenmaster" for 16 in
// Meditation, and in Rush "killstreak" once more than five removals are listed and the last five
// came within 10 seconds. In Rush it also lists this removal's time.
std::vector<const char*> groupRemovalAwards(int n);
// A Fusion Pulse bought now, in Normal or Expert with the mass at 90% of its limit or more.
bool quicksaveEarned();
// The per-frame achievement tests of play; the level-end work fills it in.
void updatePlayAchievements(float dtMs);

// Earned flags by achievement number (1..27; 0 is none), the numbers waiting to be announced with
// a shown flag each, and the age of the current announcement (ms).
extern bool cheeveEarned[28];
extern std::vector<int> cheeveToasts;
extern std::vector<bool> cheeveToastShown;
extern float cheeveToastTimer;

// The achievements awarded in play and the histories their conditions watch.
#pragma once
#include <vector>

extern std::vector<float> cameraTurnsX, cameraTurnsY;  // newest first
extern std::vector<float> removalTimes;                // Rush only, play seconds, newest first
extern float dangerTime;        // Survival: ms the mass has stayed at 80% of its limit or more
extern bool redZoneSurvived;    // Survival: ten seconds of that within the current stage

// Earned flags by achievement number (1..27; 0 is none), the numbers waiting to be announced with
// a shown flag each, and the age of the current announcement (ms).
extern bool cheeveEarned[28];
extern std::vector<int> cheeveToasts;
extern std::vector<bool> cheeveToastShown;
extern float cheeveToastTimer;

inline constexpr float redZoneLength = 10000.0f;
// Each recent frame's camera turn, summed over the newest ten; never reached in practice.
inline constexpr float lightheadedTurn = 108000.0f;

// The keys a removed group of n blocks earns: "chainreaction" for 13, "zenmaster" for 16 in
// Meditation, and in Rush "killstreak" once more than five removals are listed and the last five
// came within 10 seconds. In Rush it also lists this removal's time.
std::vector<const char*> groupRemovalAwards(int n);
// A Fusion Pulse bought now, in Normal or Expert with the mass at 90% of its limit or more.
bool quicksaveEarned();
// The end of a Survival stage awards "youvegotredonyou" when the red zone was survived in it.
void awardRedZoneAtStageEnd();
// The per-frame achievement tests of play: "personalgrowth", "survivalist", "lightheaded", and
// the red-zone clock.
void updatePlayAchievements(float dtMs);

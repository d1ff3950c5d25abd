// The rules that belong to one game type: the Rush penalty clock and the Survival spawner.
#pragma once

// One of game/states.h's gm names; gm::Overall before any game.
extern int gameMode;
extern float rushPenaltyTimer;
extern float rushPenaltyLimit;
extern int pendingSpawns;         // Survival: blocks still to be thrown in for cleared ones

inline constexpr int rushPenalty = 250;            // points taken each second
inline constexpr int survivalBlockLimit = 50;      // spawns never fill the board past this
inline constexpr int survivalSpawnTries = 30;
inline constexpr float survivalSpawnReach = 96.0f; // spawns aim only beside blocks this near the origin

// Rush: every second of play while blocks remain the score falls by 250.
void updateRushClock(float dtMs);
// Survival: one attempt to throw a block in beside a settled block near the origin; false when
// every try failed or the pool is full.
bool spawnSurvivalBlock();
// Survival: throws in the pending blocks while the board has room for them.
void updateSurvivalSpawner();

// The game-over explosion and the end of a level.
// Placeholder until the explosion is written.
#pragma once

extern bool deathExplosionActive;
extern float deathExplosionTimers[3];      // phases 0..2
extern float deathExplosionLateTimers[2];  // phases 3..4
extern bool explosionFinished;
extern bool levelEnding;
extern bool restartRequested;
extern bool deathRequestSent;
extern bool meditationGoalReached;
extern float meditationEndTimer;
inline constexpr int meditationGoal = 100;

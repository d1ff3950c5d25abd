#include "game/explosion.h"

// Placeholder until the explosion is written.
bool deathExplosionActive = false;
float deathExplosionTimers[3] = {};
float deathExplosionLateTimers[2] = {};
bool explosionFinished = false;
bool levelEnding = false;
bool restartRequested = false;
bool deathRequestSent = false;
bool meditationGoalReached = false;
float meditationEndTimer = 0.0f;

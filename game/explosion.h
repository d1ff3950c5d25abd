// The explosion that ends a level, and the end-of-level step that follows it.
#pragma once

extern bool deathExplosionActive;
inline constexpr float deathExplosionLengths[5] = {150.0f, 200.0f, 300.0f, 400.0f, 500.0f};
extern float deathExplosionTimers[3];      // phases 0..2
extern float deathExplosionLateTimers[2];  // phases 3..4
extern bool explosionFinished;             // every phase has run its length
extern bool levelEnding;                   // the level is ending through an explosion
extern bool restartRequested;              // the explosion was started by Restart
extern bool deathRequestSent;              // this explosion's death report was handed over
extern bool meditationGoalReached;
extern float meditationEndTimer;           // ms since the goal was reached
inline constexpr float meditationEndDelay = 1000.0f;
inline constexpr int meditationGoal = 100;

// The mass passed its limit: the explosion starts (never in the game-over fade, never twice).
void checkMassTrigger();
// Meditation: once the goal's blocks have landed the level ends, exploding a second later.
void updateMeditationGoal(float dtMs);
// The pause page's Restart: the level explodes and then starts again in every mode.
void startRestartExplosion();
// The five timed phases; the death report is handed over once, after the last.
void updateExplosionPhases(float dtMs);
// Clears the explosion's flags and timers and empties the powerup meter.
void resetExplosion();
// Every frame, paused or not, once no block is active: replays the level after an explosion, or
// hands over to the level-complete or game-over panel.
void updateLevelEnd(float dtMs);

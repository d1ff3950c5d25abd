#include "game/powerups.h"

// Placeholder until the player's powerups are written.
bool multiplierActive = false, timewarpActive = false, fusionPulseActive = false;
float powerupCharge = 0.0f;
float powerupNoticeTimers[3] = {10000.0f, 10000.0f, 10000.0f};
int powerupReadyCounts[3] = {};
int powerupUseCounts[3] = {};

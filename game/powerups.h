// The player's powerups: running flags, notices and per-game counters.
// Placeholder until the player's powerups are written.
#pragma once

extern bool multiplierActive, timewarpActive, fusionPulseActive;
inline constexpr float timewarpFactor = 4.0f;
extern float powerupCharge;             // the meter, 0..300
extern float powerupNoticeTimers[3];    // Multiplier, Timewarp, Fusion Pulse
extern int powerupReadyCounts[3];       // times the meter reached each price in this game
extern int powerupUseCounts[3];         // activations by the player in this game

// The player's powerups: the meter, the Multiplier, Timewarp and the Fusion Pulse, their keys and
// cards, notices and per-game counters.
#pragma once
#include <cstdint>

enum { powerupMultiplier = 0, powerupTimewarp = 1, powerupFusionPulse = 2 };

extern bool multiplierActive, timewarpActive, fusionPulseActive;   // at most one runs
inline constexpr float timewarpFactor = 4.0f;
// What each powerup costs to start and how long a full price lasts once it runs (ms).
inline constexpr float powerupPrices[3] = {50.0f, 150.0f, 300.0f};
inline constexpr float powerupRunLengths[3] = {10000.0f, 20000.0f, 3000.0f};
inline constexpr float powerupChargeMax = 300.0f;

extern float powerupCharge;             // the meter, 0..300
extern float chargeBacklog;             // charge earned by removals, still flowing into the meter
extern float powerupNoticeTimers[3];    // ms since each powerup became affordable
extern bool powerupReadyFlags[3];       // the meter reached the price since it last fell below
extern bool powerupUsedNotices[3];      // the powerup was just started
extern float powerupUsedNoticeTimers[3];
extern uint8_t multiplierNotice, timewarpNotice, fusionPulseNotice;   // the pointer is on its card
extern bool powerupKeyHeld[3];          // keys 1, 2, 3 were down last frame
extern bool fusionPulseStarted;
extern float motionBlurAmount;          // 0..0.8, while Timewarp runs
extern int powerupReadyCounts[3];       // times the meter reached each price in this game
extern int powerupUseCounts[3];         // activations by the player in this game

bool anyPowerupRunning();
// Starts a powerup (stopping any other). byPlayer: by key or card, which counts a use and may
// award "quicksave"; Survival's stage pulse is not by the player.
void startPowerup(int kind, bool byPlayer);
// The blur grows while Timewarp runs and fades out otherwise; real frame time.
void updateMotionBlur(float realDtMs);
// A powerup key that went down this frame buys its powerup (Classic only).
void handlePowerupKey(int kind, bool down);
// Polls the keys 1, 2 and 3.
void updatePowerupKeys();
// Charge earned by removals flows into the meter at one unit per 32 ms.
void transferCharge(float dtMs);
// The meter's frame: charge transfer, drain (at real time), notices, readiness, the empty meter
// stopping everything, and the cards.
void updatePowerupMeter(float dtMs, float realDtMs);

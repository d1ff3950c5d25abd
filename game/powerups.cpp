#include "game/powerups.h"

#include "engine/sound.h"
#include "game/game_types.h"
#include "game/input.h"
#include "game/layout.h"
#include "game/mass.h"
#include "game/play_achievements.h"
#include "game/states.h"
#include "game/tutorials.h"
#include "online/achievements.h"

bool multiplierActive = false, timewarpActive = false, fusionPulseActive = false;
float powerupCharge = 0.0f;
float chargeBacklog = 0.0f;
float powerupNoticeTimers[3] = {10000.0f, 10000.0f, 10000.0f};
bool powerupReadyFlags[3] = {};
bool powerupUsedNotices[3] = {};
float powerupUsedNoticeTimers[3] = {};
uint8_t multiplierNotice = 0, timewarpNotice = 0, fusionPulseNotice = 0;
bool powerupKeyHeld[3] = {};
bool fusionPulseStarted = false;
float motionBlurAmount = 0.0f;
int powerupReadyCounts[3] = {};
int powerupUseCounts[3] = {};

namespace {

constexpr float noticeLength = 3000.0f;
constexpr float motionBlurMax = 0.8f;

bool* runningFlag(int kind)
{
    switch (kind) {
    case powerupMultiplier: return &multiplierActive;
    case powerupTimewarp: return &timewarpActive;
    default: return &fusionPulseActive;
    }
}

// A key press or a card click: only when nothing runs and the meter holds the price.
void buyPowerup(int kind)
{
    if (!anyPowerupRunning() && powerupCharge >= powerupPrices[kind])
        startPowerup(kind, true);
}

void drainRunningPowerup(float realDtMs)
{
    for (int kind = 0; kind < 3; ++kind)
        if (*runningFlag(kind)) {
            powerupCharge -= realDtMs / powerupRunLengths[kind] * powerupPrices[kind];
            return;
        }
}

void updateNotices(float dtMs)
{
    for (int kind = 0; kind < 3; ++kind) {
        if (powerupNoticeTimers[kind] < noticeLength)
            powerupNoticeTimers[kind] += dtMs;
        if (powerupUsedNoticeTimers[kind] < noticeLength)
            powerupUsedNoticeTimers[kind] += dtMs;
        if (powerupUsedNoticeTimers[kind] >= noticeLength)
            powerupUsedNotices[kind] = false;
    }
}

void updateReadiness()
{
    if (powerupCharge > powerupChargeMax)
        powerupCharge = powerupChargeMax;
    const bool playerBuys = gm::isClassic(gameMode);
    for (int kind = 2; kind >= 0; --kind) {
        if (powerupCharge < powerupPrices[kind]) {
            powerupReadyFlags[kind] = false;
            continue;
        }
        if (powerupReadyFlags[kind] || anyPowerupRunning())
            continue;
        powerupReadyFlags[kind] = true;
        powerupNoticeTimers[kind] = 0.0f;
        if (playerBuys) {
            PlaySound("powerupready.ogg", 0.2f, 1.0f);
            ++powerupReadyCounts[kind];
            if (kind == powerupMultiplier)
                checkPowerupTutorial();
        }
    }
}

void stopOnEmptyMeter()
{
    if (powerupCharge > 0.0f)
        return;
    powerupCharge = 0.0f;
    multiplierActive = timewarpActive = fusionPulseActive = false;
}

void updateCards()
{
    multiplierNotice = timewarpNotice = fusionPulseNotice = 0;
    uint8_t* notices[3] = {&multiplierNotice, &timewarpNotice, &fusionPulseNotice};
    for (int kind = 0; kind < 3; ++kind) {
        if (!pointerInside(powerupCardRect(kind)))
            continue;
        *notices[kind] = 1;
        if (leftButtonDown && !anyPowerupRunning()) {
            leftButtonDown = false;
            buyPowerup(kind);
        }
    }
}

} // namespace

bool anyPowerupRunning()
{
    return multiplierActive || timewarpActive || fusionPulseActive;
}

void startPowerup(int kind, bool byPlayer)
{
    if (kind < 0 || kind > 2)
        return;
    multiplierActive = timewarpActive = fusionPulseActive = false;
    *runningFlag(kind) = true;
    powerupUsedNotices[kind] = true;
    powerupUsedNoticeTimers[kind] = 0.0f;
    PlaySound("subdrop.ogg", 0.8f, 1.0f);
    if (kind == powerupFusionPulse) {
        fusionPulseStarted = false;
        massLevelSnapshot = massLevel;
    }
    if (!byPlayer)
        return;
    ++powerupUseCounts[kind];
    if (kind == powerupFusionPulse && quicksaveEarned())
        awardAchievement("quicksave");
}

void updateMotionBlur(float realDtMs)
{
    if (timewarpActive) {
        motionBlurAmount += realDtMs / 1000.0f;
        if (motionBlurAmount > motionBlurMax)
            motionBlurAmount = motionBlurMax;
    } else {
        motionBlurAmount -= realDtMs / 1000.0f;
        if (motionBlurAmount < 0.0f)
            motionBlurAmount = 0.0f;
    }
}

void handlePowerupKey(int kind, bool down)
{
    if (kind < 0 || kind > 2)
        return;
    const bool pressed = down && !powerupKeyHeld[kind];
    powerupKeyHeld[kind] = down;
    if (pressed && gm::isClassic(gameMode))
        buyPowerup(kind);
}

void updatePowerupKeys()
{
    for (int kind = 0; kind < 3; ++kind)
        handlePowerupKey(kind, (getKeyState('1' + kind) & 0x8000) != 0);
}

void transferCharge(float dtMs)
{
    if (chargeBacklog <= 0.0f)
        return;
    float step = dtMs / 32.0f;
    if (step > chargeBacklog)
        step = chargeBacklog;
    powerupCharge += step;
    chargeBacklog -= step;
}

void updatePowerupMeter(float dtMs, float realDtMs)
{
    transferCharge(dtMs);
    drainRunningPowerup(realDtMs);
    updateNotices(dtMs);
    updateReadiness();
    stopOnEmptyMeter();
    if (gm::isClassic(gameMode))
        updateCards();
}

#include "game/effects.h"

#include <cmath>

#include "engine/camera.h"
#include "engine/config.h"
#include "engine/fonts.h"
#include "engine/polyparticles.h"
#include "game/flood_fill.h"
#include "game/game_types.h"
#include "game/input.h"
#include "game/particles.h"
#include "game/play_achievements.h"
#include "game/powerups.h"
#include "game/scoring.h"
#include "game/states.h"

std::vector<Floaty> floatys;
float comboPulse = 1.0f;
float countdownPulse = 1.0f;
float powerupGlowAngle = 0.0f;
float hudSpinAngle = 0.0f;
float blockFlashLevel = 0.0f;

namespace {

constexpr float feedbackLifetime = 3000.0f;

// A drag's momentum runs down by k a frame to a steady drift of half the axis weight, keeping
// its direction.
void settleOrbit(float& momentum, float weight, float k)
{
    if (momentum > 0.0f)
        momentum = std::fabs(momentum) > k ? momentum - k : 0.5f * weight;
    else if (momentum < 0.0f)
        momentum = std::fabs(momentum) > k ? momentum + k : -0.5f * weight;
}

void ageFloatys(float dtMs)
{
    for (Floaty& f : floatys) {
        f.age += dtMs;
        f.position.y -= dtMs / 16.0f;
    }
    for (auto it = floatys.begin(); it != floatys.end(); ++it)
        if (it->age > floatyLifetime) {
            floatys.erase(it);
            break;
        }
}

void ageFeedbackTexts(float dtMs)
{
    for (FeedbackText& slot : feedbackTexts) {
        if (!slot.active)
            continue;
        slot.timer += dtMs;
        if (slot.timer > feedbackLifetime)
            slot.active = 0;
    }
}

// The readout runs towards the score (down at 10 points a ms in Rush, up at 3 elsewhere) and
// never past it. Worked in double: a float would round a large score.
void updateDisplayedScore(float dtMs)
{
    const double score = getScore();
    double shown = displayedScore;
    if (gameMode == gm::Rush) {
        if (shown > score)
            shown = std::trunc(shown - 10.0 * dtMs);
        if (shown < score)
            shown = score;
    } else {
        if (shown < score)
            shown = std::trunc(shown + 3.0 * dtMs);
        if (shown > score)
            shown = score;
    }
    displayedScore = static_cast<int>(shown);
}

void easePulse(float& pulse, float dtMs)
{
    if (pulse > 1.0f)
        pulse -= dtMs / 100.0f;
    if (pulse < 1.0f)
        pulse = 1.0f;
}

// Angles kept within one turn, so a long run never rounds their steps away.
float wrapDegrees(float angle)
{
    return std::fmod(angle, 360.0f);
}

} // namespace

void spawnFloaty(Vector2 position, std::string text, bool emphasised, bool golden, int32_t value)
{
    Floaty f;
    f.position = position;
    f.value = value;
    f.text = std::move(text);
    f.emphasised = emphasised;
    f.golden = golden;
    floatys.push_back(f);
}

Vector2 scoreTextPoint()
{
    const float w = static_cast<float>(screenWidth), h = static_cast<float>(screenHeight);
    return Vector2(0.05f * h, h - 0.025f * w - largeFont.height);
}

std::string particleTextureName(int colour)
{
    static const char* const names[] = {"yellowparticle.tga", "blueparticle.tga", "redparticle.tga",
                                        "orangeparticle.tga", "pinkparticle.tga", "whiteparticle.tga",
                                        "greenparticle.tga"};
    if (colour < 1 || colour > 7)
        return std::string();
    return names[colour - 1];
}

void startBurst(Vector3 position, int colour)
{
    startBurst(position, colour, &cubePolyparticles);
}

void startBurst(Vector3 position, int colour, PolyparticleSystem* prototype)
{
    // A burst without a texture would be an invisible particle system holding a slot.
    const std::string texture = particleTextureName(colour);
    if (texture.empty())
        return;
    int slot = 0;
    for (int i = 0; i < 100; ++i)
        if (!particleSystems[i].active) {
            slot = i;
            break;
        }
    loadPolyparticle(position, prototype, texture, &particleSystems[slot]);
}

void updateIdleTurn(float dtMs)
{
    const float k = dtMs / 16.0f * (timewarpActive ? timewarpFactor : 1.0f);
    if (orbitMomentum.x == 0.0f)
        orbitMomentum.x = -0.05f;
    if (orbitMomentum.y == 0.0f)
        orbitMomentum.y = -0.05f;
    if (orbitAxisWeights.x == 0.0f)
        orbitAxisWeights.x = 1.0f;
    if (orbitAxisWeights.y == 0.0f)
        orbitAxisWeights.y = 1.0f;
    settleOrbit(orbitMomentum.x, orbitAxisWeights.x, k);
    settleOrbit(orbitMomentum.y, orbitAxisWeights.y, k);
}

void updatePlayEffects(float dtMs, float realDtMs)
{
    ageFloatys(dtMs);
    ageFeedbackTexts(dtMs);
    updateDisplayedScore(dtMs);
    easePulse(comboPulse, dtMs);
    easePulse(countdownPulse, dtMs);

    cheeveToastTimer += dtMs;
    powerupGlowAngle = wrapDegrees(powerupGlowAngle + dtMs / 5.0f);
    hudSpinAngle = wrapDegrees(hudSpinAngle + dtMs / 16.0f);
    if (multiplierActive) {
        blockFlashLevel = 1.0f;
    } else {
        blockFlashLevel -= dtMs / 1000.0f;
        if (blockFlashLevel < 0.0f)
            blockFlashLevel = 0.0f;
    }
    // A scheme-1 right drag is held like a left one: both count towards a rotation.
    if (leftButtonDown || rotateDragActive)
        mouseHoldTime += realDtMs;
}

void updateParticleMotion(float dtMs)
{
    const Vector3 fall = Vector3(0.0f, 0.0f, 0.0f) - camera.getUpVector() * 10.0f;
    for (PolyparticleSystem& system : particleSystems) {
        if (!system.active)
            continue;
        system.acceleration = fall;
        updatePolyparticle(dtMs, &system);
    }
}

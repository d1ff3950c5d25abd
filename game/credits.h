// The credits page and the congratulations page with its fireworks.
#pragma once
#include <vector>

#include "engine/vecmath.h"

// One firework of the congratulations page: it rises, turns, and bursts once its age passes its
// lifetime. Its motion is per update, not per millisecond.
struct GratsParticle {
    Vector3 position;
    Vector3 velocity;
    Vector3 acceleration;
    float rotationAngle = 0.0f;   // degrees, +1 an update
    Vector3 rotationAxis;
    int colourIndex = 0;          // 0..6; 0 looks like 1
    float age = 0.0f;             // ms
    float lifetime = 1000.0f;     // ms
};

extern std::vector<GratsParticle> gratsParticles;   // kept between visits of the page
extern float gratsSpawnTimer;   // ms since the last launch
extern float gratsSpawnDelay;   // ms of extra wait before the next one (0..499)
inline constexpr float gratsLaunchInterval = 500.0f;

// The block colour a firework is drawn and bursts in.
int gratsColour(const GratsParticle& particle);

// Escape leaves the credits for the menu (a click does too, through the click dispatcher).
void UpdateCredits(float dtMs);
// The fireworks; a click leads on to the score page.
void UpdateGrats(float dtMs);

#include "game/credits.h"

#include "engine/polyparticles.h"
#include "engine/profiler.h"
#include "engine/random.h"
#include "game/effects.h"
#include "game/game_state.h"
#include "game/input.h"
#include "game/level_end.h"
#include "game/page_state.h"
#include "game/particles.h"
#include "game/states.h"
#include "platform/messages.h"

std::vector<GratsParticle> gratsParticles;
float gratsSpawnTimer = 0.0f;
float gratsSpawnDelay = 0.0f;

namespace {

GratsParticle launchParticle()
{
    // The draws go in this order: colour, position x, sideways speed, upward speed, then the axis.
    GratsParticle p;
    p.colourIndex = gameRandom() % 7;
    p.position = Vector3(static_cast<float>(gameRandom() % 700 - 350), 500.0f, -500.0f);
    const float sideways = static_cast<float>(gameRandom() % 4 - 2);
    const float upwards = static_cast<float>(gameRandom() % 5 + 8);
    p.velocity = Vector3(sideways, 0.0f, upwards);
    const float ax = static_cast<float>(gameRandom() % 100 - 50);
    const float ay = static_cast<float>(gameRandom() % 100 - 50);
    const float az = static_cast<float>(gameRandom() % 100 - 50);
    p.rotationAxis = Vector3(ax, ay, az);
    p.acceleration = Vector3(0.0f, 0.0f, -0.1f);
    return p;
}

} // namespace

int gratsColour(const GratsParticle& particle)
{
    return particle.colourIndex < 1 ? 1 : particle.colourIndex;
}

void UpdateCredits(float)
{
    PROFILE_SCOPE("UpdateCredits");
    advanceFrameTicker();
    if (getKeyState(VK_ESCAPE) & 0x8000)
        gameState = gs::CreditsToMenu;
}

void UpdateGrats(float dtMs)
{
    PROFILE_SCOPE("UpdateGrats");
    levelCompleteTimer = 0.0f;
    for (PolyparticleSystem& system : particleSystems)
        if (system.active)
            updatePolyparticle(dtMs, &system);

    for (std::size_t i = 0; i < gratsParticles.size();) {
        GratsParticle& p = gratsParticles[i];
        p.age += dtMs;
        p.velocity = p.velocity + p.acceleration;
        p.position = p.position + p.velocity;
        p.rotationAngle += 1.0f;
        if (p.age > p.lifetime) {
            startBurst(p.position, gratsColour(p), &geospherePolyparticles);
            gratsParticles.erase(gratsParticles.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        ++i;
    }

    gratsSpawnTimer += dtMs;
    if (gratsSpawnTimer > gratsSpawnDelay + gratsLaunchInterval) {
        gratsSpawnDelay = static_cast<float>(gameRandom() % 500);
        gratsSpawnTimer = 0.0f;
        gratsParticles.push_back(launchParticle());
    }

    if (leftButtonDown) {
        leftButtonDown = false;
        gameState = gs::GratsToScore;
    }
    particleSpritesDrawn = 0;
}

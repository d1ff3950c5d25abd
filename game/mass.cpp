#include "game/mass.h"

#include "engine/util.h"
#include "game/blocks.h"
#include "game/explosion.h"
#include "game/game_types.h"
#include "game/powerups.h"
#include "game/scoring.h"
#include "game/states.h"

float massLevel = 0.0f;
float massLimit = 54.0f;
float pendingMass = 0.0f;
float recentMass = 0.0f;
bool fewColoursLeft = false;
float massLevelSnapshot = 0.0f;
float massReductionFactor = 1.0f;

namespace {

// Survival's factor needs F(25); the recursive Fibonacci is far too slow for every frame, so it
// is worked out once per stage.
float survivalFactor(int stage)
{
    static bool cached = false;
    static int cachedStage = 0;
    static float cachedFactor = 0.0f;
    if (!cached || stage != cachedStage) {
        const float fib = static_cast<float>(fibonacci(25 - (stage - 1)));
        cachedFactor = fib / static_cast<float>(fibonacci(25)) * (1.5f - 0.25f) + 0.25f;
        cachedStage = stage;
        cached = true;
    }
    return cachedFactor;
}

} // namespace

float modeMassReductionFactor(int mode, int survivalStage)
{
    switch (mode) {
    case gm::Casual: return 2.1275f;
    case gm::Normal: return 1.485f;
    case gm::Expert: return 0.8925f;
    case gm::Rush: return 1.5f;
    case gm::Survival: return survivalFactor(survivalStage);
    default: return 1.0f;
    }
}

void updateColourCensus()
{
    bool present[8] = {};
    for (const BlockRecord& b : blocks)
        if (b.active && b.colour >= 1 && b.colour <= 7)
            present[b.colour] = true;
    int colours = 0;
    for (int c = 1; c <= 7; ++c)
        colours += present[c] ? 1 : 0;
    fewColoursLeft = colours <= 2;
}

void cutMassForGroup(int n)
{
    const float floor = massLimit / 10.0f;
    const float cut = n * massLimit / 60.0f * massReductionFactor;
    placementsSinceMatch = 0;
    pendingMass = 0.0f;
    massLevel -= cut;
    if (massLevel < floor)
        massLevel = floor;
    massLevel -= recentMass;
    if (massLevel < floor)
        massLevel = floor;
    recentMass = 0.0f;
}

void updateMass(float dtMs)
{
    float rate = 1.5f;
    if (fewColoursLeft && massLevel < massLimit / 100.0f * 90.0f)
        rate = 3.0f;

    if (fusionPulseActive) {
        float over = massLevel - massLimit;
        if (over < 1.0f)
            over = 1.0f;
        massLevel -= rate * dtMs / 3.0f * (over / 10.0f);
    } else {
        massLevel += rate * dtMs / 1000.0f;
    }

    if (fewColoursLeft)
        pendingMass = 0.0f;
    if (pendingMass > 0.0f) {
        const float step = rate / (30.0f / pendingMass) * dtMs / 100.0f;
        if (step > pendingMass) {
            massLevel += pendingMass;
            recentMass += pendingMass;
            pendingMass = 0.0f;
        } else {
            massLevel += step;
            recentMass += step;
            pendingMass -= step;
        }
    }

    if (massLevel < 0.0f && !deathExplosionActive)
        massLevel = 0.0f;
    if (gameMode == gm::Meditation && !deathExplosionActive)
        massLevel = massLimit / 10.0f;
}

float massRatio()
{
    // A level without a limit has no danger; never divide by it.
    return massLimit > 0.0f ? massLevel / massLimit : 0.0f;
}

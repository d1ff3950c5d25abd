#include "game/mass.h"

// Placeholder until the mass rules are written.
float massLevel = 0.0f;
float massLimit = 54.0f;
float pendingMass = 0.0f;
float massLevelSnapshot = 0.0f;

float massRatio()
{
    // A level without a limit has no danger; never divide by it.
    return massLimit > 0.0f ? massLevel / massLimit : 0.0f;
}

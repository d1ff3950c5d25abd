// The motion of one polyparticle burst.
#pragma once
#include "engine/polyparticles.h"

// Moves every particle along its velocity (a third as fast on the congratulations page) and ages
// the system, which ends once its age passes particleLifetime. The acceleration is not applied:
// bursts fly straight. Call only for active systems.
void updatePolyparticle(float dtMs, PolyparticleSystem* system);

#include "game/particles.h"

#include "engine/profiler.h"
#include "game/game_state.h"
#include "game/states.h"

void updatePolyparticle(float dtMs, PolyparticleSystem* system)
{
    PROFILE_SCOPE("updatePolyparticle");
    const bool slow = gameState == gs::Grats;
    for (Polyparticle& p : system->particles) {
        p.previousPosition = p.position;
        const Vector3 v = slow ? p.velocity / 3.0f : p.velocity;
        p.position = p.position + v * dtMs / 45.0f;
    }
    system->age += dtMs;
    if (system->age > particleLifetime)
        system->active = 0;
}

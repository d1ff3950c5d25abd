// The background starfield: stars born far behind the play area drift towards the viewer.
#pragma once
#include <vector>

#include "engine/vecmath.h"

struct Star {
    Vector3 position;
    Vector3 previousPosition;   // before the last move
    float age = 0.0f;           // ms; the drawing fades a star in with it
    float size = 0.2f;          // drawing scale, 0.2 .. 0.2999
};

extern std::vector<Star> stars;
inline constexpr int starCount = 100;

// Tops the field up to starCount, moves every star 1/20 unit a millisecond along -y, then drops
// the stars that left the game view's frustum and those inside the play area's column (|x| and
// |z| below five block sizes). Dropped stars are replaced on the next call.
void UpdateStarfield(float dtMs);

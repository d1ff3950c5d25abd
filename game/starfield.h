// The background starfield.
#pragma once
#include <vector>

#include "engine/vecmath.h"

struct Star {
    Vector3 position;          // world units
    Vector3 previousPosition;  // before the last move
    float age = 0.0f;          // ms since the star was made; the drawing fades it in
    float size = 0.0f;         // drawing scale, 0.2 .. 0.2999
};

inline constexpr int starCount = 100;
extern std::vector<Star> stars;

void UpdateStarfield(float dtMs);

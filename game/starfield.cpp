#include "game/starfield.h"

std::vector<Star> stars;

// Placeholder until the starfield update is written.
void UpdateStarfield(float) {}

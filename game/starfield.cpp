#include "game/starfield.h"

// Placeholder until the starfield update is written.
void UpdateStarfield(float) {}

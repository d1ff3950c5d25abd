// The mass and its danger level.
// Placeholder until the mass rules are written.
#pragma once

extern float massLevel;
extern float massLimit;
extern float pendingMass;
extern float massLevelSnapshot;

// massLevel over massLimit, the danger that shakes the camera; 0 for a level without a limit.
float massRatio();

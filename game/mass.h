// The mass and its danger level: growth, pending mass from placements, the cut of a removed
// group and the Fusion Pulse drain.
#pragma once

extern float massLevel;
extern float massLimit;           // the level explodes once massLevel passes it
extern float pendingMass;         // still to flow into massLevel
extern float recentMass;          // flowed in from pendingMass since the last removal
extern bool fewColoursLeft;       // at most two colours remain among the active blocks
extern float massLevelSnapshot;   // massLevel when the Fusion Pulse started
extern float massReductionFactor; // the current mode's share of a removal's mass cut

// The mode's factor for the mass a removal takes away (Survival's falls stage by stage).
float modeMassReductionFactor(int mode, int survivalStage);
// Counts the colours 1..7 among the active blocks into fewColoursLeft.
void updateColourCensus();
// A removed group of n blocks takes its share of the mass and everything placements added since
// the last removal; the mass never drops below a tenth of the limit through a removal.
void cutMassForGroup(int n);
// Growth, the Fusion Pulse drain, pending mass, the floor at 0 and Meditation's hold.
void updateMass(float dtMs);

// massLevel over massLimit, the danger that shakes the camera; 0 for a level without a limit.
float massRatio();

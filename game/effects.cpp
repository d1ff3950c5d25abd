#include "game/effects.h"

// Placeholder until the effects of play are written.
std::vector<Floaty> floatys;

#include "game/intro.h"

// Placeholder until the intro and resource loading are written.
void UpdateIntro(float) {}

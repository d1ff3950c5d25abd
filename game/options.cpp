#include "game/options.h"

// Placeholders until the options and restart screens are written.
void UpdateOptions(float) {}
void UpdateRestart(float) {}

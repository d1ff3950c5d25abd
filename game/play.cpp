#include "game/play.h"

// Placeholder until the gameplay update is written; it will run updateBlockPlay (game/pointing.h)
// each frame of play.
void UpdateGame(float) {}

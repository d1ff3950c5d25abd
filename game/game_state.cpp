#include "game/game_state.h"

int gameState = 1;

// Placeholder until the state machine is written.
void Update(float) {}

#include "game/game_types.h"

#include "game/states.h"

// Placeholder until the rules of the game types are written.
int gameMode = gm::Overall;
float rushPenaltyTimer = 0.0f;
float rushPenaltyLimit = 10000.0f;
int pendingSpawns = 0;

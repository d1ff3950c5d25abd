// Rules of the game types.
// Placeholder until the rules of the game types are written.
#pragma once

// One of game/states.h's gm names; gm::Overall before any game.
extern int gameMode;
extern float rushPenaltyTimer;
extern float rushPenaltyLimit;
extern int pendingSpawns;

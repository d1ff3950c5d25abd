// Rules of the game types.
// Placeholder until the rules of the game types are written.
#pragma once

// 1 Casual, 2 Normal, 3 Expert, 4 Rush, 5 Survival, 6 Meditation; 0 before any game.
extern int gameMode;
extern float rushPenaltyTimer;
extern float rushPenaltyLimit;
extern int pendingSpawns;

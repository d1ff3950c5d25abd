// The game-state machine.
#pragma once

extern int gameState;
void Update(float dtMs);

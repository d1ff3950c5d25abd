#include "game/game_setup.h"

// Placeholders until the game-setup page updates are written.
void UpdateGametype(float) {}
void UpdateDifficulty(float) {}
void UpdateClassicModeSelect(float) {}
void UpdateLevelSelect(float) {}

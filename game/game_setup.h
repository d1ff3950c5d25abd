// Updates of the game-setup pages: game type, difficulty, ranked/practice, level select.
#pragma once

void UpdateGametype(float dtMs);
void UpdateDifficulty(float dtMs);
void UpdateClassicModeSelect(float dtMs);
void UpdateLevelSelect(float dtMs);

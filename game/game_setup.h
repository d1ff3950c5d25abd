// Updates of the game-setup pages: game type, difficulty, ranked/practice, level select. Each
// finds the button under the pointer; the click dispatcher acts on it.
#pragma once
#include "game/page_buttons.h"

// The pages' buttons are the column pages of the layout module (gameTypePage, difficultyPage,
// rankedChoicePage). Level select: "Back" (levelSelectBackPage) and the ten levels as buttons
// 11..20 (levelButtonRect).
inline constexpr int firstLevelButton = 11;

void UpdateGametype(float dtMs);
void UpdateDifficulty(float dtMs);
void UpdateClassicModeSelect(float dtMs);
void UpdateLevelSelect(float dtMs);

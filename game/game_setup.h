// Updates of the game-setup pages: game type, difficulty, ranked/practice, level select. Each
// finds the button under the pointer; the click dispatcher acts on it.
#pragma once
#include "game/page_buttons.h"

// The stacked buttons of each page, in the order they are tested.
inline constexpr PageButton gameTypeButtons[] = {{-2, 1}, {-1, 2}, {0, 3}, {1, 4}, {3, 6}};
inline constexpr PageButton difficultyButtons[] = {{-2, 1}, {-1, 2}, {0, 3}, {2, 7}};
inline constexpr PageButton rankedChoiceButtons[] = {{-2, 1}, {-1, 2}, {2, 7}};
// Level select: "Back" on row 4, and the ten levels as buttons 11..20 (levelButtonRect).
inline constexpr PageButton levelSelectBack = {4, 7};
inline constexpr int firstLevelButton = 11;

void UpdateGametype(float dtMs);
void UpdateDifficulty(float dtMs);
void UpdateClassicModeSelect(float dtMs);
void UpdateLevelSelect(float dtMs);

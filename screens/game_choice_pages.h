// The pages from "Start Game" to a game: game type, difficulty, ranked or practice, level select.
#pragma once

void renderGametype();
void renderDifficulty();
void renderClassicModeSelect();
void renderLevelSelect();

#include "game/tutorials.h"

// Placeholder until the tutorial pages in play are written.
bool paused = false;
bool tutorialOpen = false;
bool tutorialShown[9] = {};
bool tutorialResetPrompt = false;

void updatePausePopup(float) {}
void checkRemovalTutorials() {}
void checkPowerupTutorial() {}
void checkComboTutorial() {}

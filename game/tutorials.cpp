#include "game/tutorials.h"

// Placeholder until the tutorial pages in play are written.
bool paused = false;

void updatePausePopup(float) {}
void checkRemovalTutorials() {}
void checkPowerupTutorial() {}
void checkComboTutorial() {}

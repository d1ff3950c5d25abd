// Tutorial pages in play and the pause flag.
#pragma once

extern bool paused;

// Steps of play that the tutorial work fills in; each does nothing yet.
void updatePausePopup(float dtMs);   // the pause popup's and an open page's clicks, every frame
void checkRemovalTutorials();        // pages 3, 4 and 5, after the frame's group removal
void checkPowerupTutorial();         // page 1, when the Multiplier becomes affordable in Classic
void checkComboTutorial();           // page 2, after the removing blocks retire

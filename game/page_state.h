// What every page update writes for the click dispatcher: the button under the pointer, the
// page flags, and the frame ticker.
#pragma once

extern int hoveredButton;      // button under the pointer on the current page, 0 none
extern int hoveredArrow;       // -1 left arrow, 1 right arrow, 0 none
extern bool optionsFromGame;   // the options page was opened from the paused game
extern int frameTicker;        // every page update adds 1, wrapping at 60

// Every page update's first step.
void advanceFrameTicker();

// The main menu's update: its music loops, its spinning backdrop and the button under the pointer.
#pragma once
#include "game/page_buttons.h"

extern float menuSpinAngle;       // degrees, 0..360: turns the menu's news spinner
extern bool musicLoopsStarted;    // the menu's five loops were started (once a run)
extern int trololoSource;         // a loop started silent with the others, -1 none

// The seven stacked buttons are the layout's mainMenuPage (Start Game, Switch Player, Online
// Ranking, Achievements, Options, Credits, Quit); buttons 8 to 10 are the link icons.
inline constexpr int firstSocialButton = 8;

// Advances the spin by dtMs / 2.5 degrees, wrapping below 360 (the menu and the ranking page).
void advanceMenuSpin(float dtMs);
void UpdateMenu(float dtMs);

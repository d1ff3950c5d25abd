// Tutorial pages in play, the pause flag and the pause popup's input.
#pragma once

// The pages, in the order of tutorialShown.
enum {
    tutorialControl = 0,
    tutorialPowerup = 1,
    tutorialCombo = 2,
    tutorialComboNow = 3,
    tutorialColour = 4,
    tutorialCrit = 5,
    tutorialRush = 6,
    tutorialSurvival = 7,
    tutorialMeditation = 8,
};

extern bool paused;
extern bool tutorialOpen;           // a page is shown over the paused game
extern bool tutorialShown[9];       // the page shown; at most one is set
extern bool tutorialResetPrompt;    // the popup asks whether to reset the tutorials
extern float tutorialClickTimer;    // ms a page has been open; a click closes it past 1000
extern bool escapeHeld;             // Escape was down last frame
inline constexpr float tutorialClickGuard = 1000.0f;

// The setting that records a page as seen.
int& tutorialSetting(int page);
// Opens a page over the paused game (replacing any other) and saves it as seen.
void openTutorialPage(int page);

// Escape toggles the pause on the frame it goes down, while no page, reset question or server
// wait is on screen.
void handleEscapeKey(bool down);
// Every frame of the game: the popup's input, topmost form first: an open page, the reset
// question, the server wait, the pause menu.
void updatePausePopup(float dtMs);
// After the frame's group removal: pages 3 and 4 wait for no page to be open; page 5 (Classic,
// the mass past 80%) does not.
void checkRemovalTutorials();
// Page 1, when the Multiplier becomes affordable in Classic.
void checkPowerupTutorial();
// Page 2 (Classic), once the last member of a removed group has vanished.
void checkComboTutorial();

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

// The setting that records a page as seen.
int& tutorialSetting(int page);
// Opens a page over the paused game (replacing any other) and saves it as seen.
void openTutorialPage(int page);

// Steps of play that the tutorial work fills in; each does nothing yet.
void updatePausePopup(float dtMs);   // the pause popup's and an open page's clicks, every frame
void checkRemovalTutorials();        // pages 3, 4 and 5, after the frame's group removal
void checkPowerupTutorial();         // page 1, when the Multiplier becomes affordable in Classic
void checkComboTutorial();           // page 2, after the removing blocks retire

#include "game/tutorials.h"

#include "engine/config.h"

bool paused = false;
bool tutorialOpen = false;
bool tutorialShown[9] = {};
bool tutorialResetPrompt = false;

int& tutorialSetting(int page)
{
    static int none = 1;
    switch (page) {
    case tutorialControl: return tuteControl;
    case tutorialPowerup: return tutePup;
    case tutorialCombo: return tuteCombo;
    case tutorialComboNow: return tuteComboNow;
    case tutorialColour: return tuteColor;
    case tutorialCrit: return tuteCrit;
    case tutorialRush: return tuteRush;
    case tutorialSurvival: return tuteSurvival;
    case tutorialMeditation: return tuteMeditation;
    default: return none;
    }
}

void openTutorialPage(int page)
{
    if (page < 0 || page > 8)
        return;
    for (int i = 0; i < 9; ++i)
        tutorialShown[i] = i == page;
    tutorialOpen = true;
    paused = true;
    tutorialSetting(page) = 1;
    saveConfig();
}

// Placeholders until the tutorial pages in play are written.
void updatePausePopup(float) {}
void checkRemovalTutorials() {}
void checkPowerupTutorial() {}
void checkComboTutorial() {}

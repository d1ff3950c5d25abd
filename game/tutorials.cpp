#include "game/tutorials.h"

#include "engine/config.h"
#include "engine/util.h"
#include "game/explosion.h"
#include "game/game_state.h"
#include "game/game_types.h"
#include "game/input.h"
#include "game/layout.h"
#include "game/mass.h"
#include "game/page_state.h"
#include "game/pointing.h"
#include "game/reports.h"
#include "game/scoring.h"
#include "game/states.h"

bool paused = false;
bool tutorialOpen = false;
bool tutorialShown[9] = {};
bool tutorialResetPrompt = false;
float tutorialClickTimer = 0.0f;
bool escapeHeld = false;

namespace {

constexpr int escapeKey = 27;

// A page that opens while another is up replaces it; only pages that test for no open page wait.
void openUnseen(int page, bool waitsForOpenPage)
{
    if (tutorialSetting(page) != 0 || (waitsForOpenPage && tutorialOpen))
        return;
    openTutorialPage(page);
}

void updateOpenPage(float dtMs)
{
    if (tutorialClickTimer > tutorialClickGuard)
        tutorialClickTimer = tutorialClickGuard;
    tutorialClickTimer += dtMs;
    if (!leftButtonDown || tutorialClickTimer <= tutorialClickGuard)
        return;
    // The closing click is used up here, so it cannot also press a button of the form below.
    leftButtonDown = false;
    tutorialClickTimer = 0.0f;
    paused = serverWaitPause ? true : !paused;
    // A reset question under the page is moot once play goes on: the pages were just shown.
    if (!paused)
        tutorialResetPrompt = false;
    tutorialOpen = false;
    for (bool& shown : tutorialShown)
        shown = false;
}

void updateResetPrompt()
{
    hoveredButton = hitButtons(resetPromptButtonRect, 2);
    if (!leftButtonDown || hoveredButton == 0)
        return;
    leftButtonDown = false;
    tutorialResetPrompt = false;
    if (hoveredButton == 1) {
        resetTutorials();
        openTutorialPage(tutorialControl);
    } else {
        // An overdue reply's popup, hidden by the question, comes up next.
        paused = serverWaitPause;
    }
}

void updatePauseMenu()
{
    hoveredButton = hitButtons(pauseMenuButtonRect, 4);
    if (!leftButtonDown || hoveredButton == 0)
        return;
    leftButtonDown = false;
    switch (hoveredButton) {
    case 1:
        paused = false;
        break;
    case 2:
        startRestartExplosion();
        break;
    case 3:
        paused = false;
        optionsFromGame = true;
        gameState = gs::GameToOptions;
        break;
    default:
        paused = false;
        gameState = gs::GameToMenu;
        break;
    }
}

} // namespace

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

void handleEscapeKey(bool down)
{
    const bool pressed = down && !escapeHeld;
    escapeHeld = down;
    // The reset question and the server wait take only their buttons, but only while on screen.
    const bool questionShown = paused && (tutorialResetPrompt || serverWaitPause);
    if (pressed && !tutorialOpen && !questionShown)
        paused = !paused;
}

void updatePausePopup(float dtMs)
{
    const bool escapeDown = (getKeyState(escapeKey) & 0x8000) != 0;
    // The popup is drawn over play only; nothing of it acts while the game-over fade runs.
    if (gameState != gs::Game) {
        escapeHeld = escapeDown;
        return;
    }
    handleEscapeKey(escapeDown);
    if (tutorialOpen) {
        hoveredButton = 0;
        updateOpenPage(dtMs);
    } else if (!paused) {
        hoveredButton = 0;
    } else if (tutorialResetPrompt) {
        updateResetPrompt();
    } else if (serverWaitPause) {
        updateServerWaitPopup(dtMs);
    } else {
        updatePauseMenu();
    }
}

void checkRemovalTutorials()
{
    if (placementsSinceMatch >= 5)
        openUnseen(tutorialComboNow, true);
    if (cursorColour > 0 && markerAlpha == 255.0f && apmTime > 1.0f)
        openUnseen(tutorialColour, true);
    if (gm::isClassic(gameMode) && massRatio() > 0.8f)
        openUnseen(tutorialCrit, false);
}

void checkPowerupTutorial()
{
    if (gm::isClassic(gameMode))
        openUnseen(tutorialPowerup, false);
}

void checkComboTutorial()
{
    if (gm::isClassic(gameMode) && comboLevel > 0 && comboLevel == lastGroupSize)
        openUnseen(tutorialCombo, false);
}

#include "screens/pause_popup.h"

#include "engine/config.h"
#include "engine/draw2d.h"
#include "engine/fonts.h"
#include "engine/profiler.h"
#include "game/layout.h"
#include "game/page_state.h"
#include "game/reports.h"
#include "game/tutorials.h"
#include "screens/hud_readouts.h"
#include "screens/page_scheme.h"

namespace {

float halfW() { return static_cast<float>(screenWidth / 2); }
float halfH() { return static_cast<float>(screenHeight / 2); }
float popupHeight() { return 0.3f * static_cast<float>(screenHeight); }

void label(const char* text, float x, float y, int anchor, float scale)
{
    freetype::printShadowed(text, x, y, 2.0f, anchor, scale, 255, 255, 255, 255, &mediumFont);
}

void window()
{
    Render2D(halfW(), halfH(), 2.0f * popupHeight(), popupHeight(), 0, "popupwindow.tga", 255.0f);
}

// The highlight is the box the game hit-tests, so what lights up is what reacts to a click.
void highlight(int button, const LayoutRect& box)
{
    if (hoveredButton == button)
        drawHighlight(box);
}

void drawResetPrompt()
{
    const float p = popupHeight(), y = halfH() + 0.1f * p;
    window();
    highlight(1, resetPromptButtonRect(1));
    highlight(2, resetPromptButtonRect(2));
    label("Would you like to reset the tutorials?", halfW(), halfH() - 0.1f * p, 0, 0.75f);
    label("Yes", halfW() - p / 2.0f, y, 5, 0.75f);
    label("No", halfW() + p / 2.0f, y, 6, 0.75f);
}

void drawServerWait(PauseForm form)
{
    const float p = popupHeight(), u = mediumFont.height;
    const float buttonY = halfH() + 0.4f * p;
    window();
    if (form == PauseForm::OfflineConfirm) {
        highlight(1, offlineConfirmButtonRect(1));
        highlight(2, offlineConfirmButtonRect(2));
        const float y0 = halfH() - 0.3f * p;
        label("Playing in offline mode will disable", halfW(), y0, 0, 0.75f);
        label("Achievements, Rankings & Leaderboards.", halfW(), y0 + 1.125f * u, 0, 0.75f);
        label("You will need to restart the game to", halfW(), y0 + 2.25f * u, 0, 0.75f);
        label("re-enable online play.", halfW(), y0 + 3.375f * u, 0, 0.75f);
        label("Back", halfW() - p / 2.0f, buttonY, 5, 0.75f);
        label("Continue", halfW() + p / 2.0f, buttonY, 6, 0.75f);
        return;
    }
    highlight(1, serverWaitButtonRect());
    if (form == PauseForm::ReplyArrived) {
        label("Connected!", halfW(), halfH(), 0, 1.0f);
        label("Resume", halfW(), buttonY, 0, 0.75f);
        return;
    }
    // The word starts where the full "Connecting..." would if centred, so it stays still.
    const std::string status = "Connecting" + connectingDots(connectingDotsTimer);
    label(status.c_str(), halfW() - freetype::getWidth(&mediumFont, "Connecting..."), halfH(), 5, 1.0f);
    label("Continue in offline mode", halfW(), buttonY, 0, 0.75f);
}

void drawPauseMenu()
{
    static const char* const labels[4] = {"Resume", "Restart", "Options", "Quit"};
    const float u = mediumFont.height;
    window();
    for (int i = 1; i <= 4; ++i)
        highlight(i, pauseMenuButtonRect(i));
    for (int i = 1; i <= 4; ++i)
        label(labels[i - 1], halfW(), halfH() + 1.6875f * u * static_cast<float>(i - 2), 0, 0.9f);
    label("Game Paused", halfW(), halfH() - 0.15f * static_cast<float>(screenHeight) + 2.0f * u, 0, 1.0f);
}

} // namespace

PauseForm pauseForm()
{
    if (tutorialOpen)
        return PauseForm::Tutorial;
    if (tutorialResetPrompt)
        return PauseForm::ResetPrompt;
    if (serverWaitPause) {
        if (serverWaitContinued)
            return PauseForm::OfflineConfirm;
        return continueReady ? PauseForm::ReplyArrived : PauseForm::Waiting;
    }
    return PauseForm::Menu;
}

std::string connectingDots(float t)
{
    if (t >= 1000.0f && t < 2000.0f)
        return ".";
    if (t >= 2000.0f && t < 3000.0f)
        return "..";
    if (t >= 3000.0f && t < 4000.0f)
        return "...";
    return "";
}

void renderPause()
{
    PROFILE_SCOPE("renderPause");
    drawColourQuad(halfW(), halfH(), static_cast<float>(screenWidth), static_cast<float>(screenHeight), 0, 0, 0, 0,
                   200);
    const PauseForm form = pauseForm();
    switch (form) {
    case PauseForm::Tutorial:
        renderTutorial();
        freetype::printShadowed("Click to Continue", halfW(), playNoteBaseline("Click to Continue"), 2.0f, 0, 1.0f, 255,
                                255, 255, 255, &smallFont);
        break;
    case PauseForm::ResetPrompt: drawResetPrompt(); break;
    case PauseForm::Waiting:
    case PauseForm::ReplyArrived:
    case PauseForm::OfflineConfirm: drawServerWait(form); break;
    case PauseForm::Menu: drawPauseMenu(); break;
    }
}

std::string tutorialImage(int page, int scheme)
{
    static const char* const fixed[6] = {"", "tute-pup.tga", "tute-combo.tga", "tute-combonow.tga",
                                         "tute-color.tga", "tute-crit.tga"};
    static const char* const stems[4] = {"tute-control", "tute-rush", "tute-surv", "tute-med"};
    if (page >= 1 && page <= 5)
        return fixed[page];
    const int stem = page == tutorialControl ? 0 : page - tutorialRush + 1;
    if (stem < 0 || stem > 3)
        return "";
    const char* variant = scheme == 1 ? "-rev" : scheme == 2 ? "-single" : "";
    return std::string(stems[stem]) + variant + ".tga";
}

void renderTutorial()
{
    PROFILE_SCOPE("renderTutorial");
    // Drawn in this order where more than one is set.
    for (int page : {tutorialPowerup, tutorialCrit, tutorialCombo, tutorialComboNow, tutorialColour, tutorialControl,
                     tutorialRush, tutorialSurvival, tutorialMeditation})
        if (tutorialShown[page])
            drawImage(tutorialCardRect(page), tutorialImage(page, mouseFlip), 255.0f);
}

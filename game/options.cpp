#include "game/options.h"

#include <algorithm>
#include <cstddef>

#include "engine/config.h"
#include "engine/log.h"
#include "engine/main.h"
#include "engine/profiler.h"
#include "engine/sound.h"
#include "game/game_state.h"
#include "game/page_state.h"
#include "game/scoring.h"
#include "game/states.h"
#include "platform/handover.h"

bool displaySettingsChanged = false;
int resetTutorialsPending = 0;
bool restartStarted = false;
int (*programStarter)(const std::string&) = platformLaunchProgram;

namespace {

constexpr float maxVolume = 10.0f;

int toggled(int value) { return value ? 0 : 1; }

// The next or previous display mode, wrapping at both ends. An index outside the list (the
// stored size is not a mode) steps to the first mode on the right and the last on the left; with
// no modes at all there is nothing to step to.
void stepDisplayMode(int arrow)
{
    const int count = static_cast<int>(displayModes.size());
    if (count == 0 || arrow == 0)
        return;
    const bool inList = displayModeIndex >= 0 && displayModeIndex < count;
    if (arrow > 0)
        displayModeIndex = inList && displayModeIndex < count - 1 ? displayModeIndex + 1 : 0;
    else
        displayModeIndex = inList && displayModeIndex > 0 ? displayModeIndex - 1 : count - 1;
}

void stepVolume(float& volume, int arrow)
{
    if (arrow > 0)
        volume = std::min(volume + 1.0f, maxVolume);
    else if (arrow < 0)
        volume = std::max(volume - 1.0f, 0.0f);
}

int leaveState()
{
    return optionsFromGame ? gs::OptionsToGame : gs::OptionsToMenu;
}

void save()
{
    gameState = displaySettingsChanged ? gs::OptionsToRestart : leaveState();
    if (resetTutorialsPending)
        resetTutorials();
    saveConfig();
    lastGroupSize = 0;
}

void leaveOptionsUnsaved()
{
    gameState = leaveState();
    resetTutorialsPending = 0;
    loadConfig();   // the stored settings undo every change made here
}

} // namespace

void UpdateOptions(float)
{
    PROFILE_SCOPE("UpdateOptions");
    advanceFrameTicker();
    for (int row = 0; row < optionsRowCount; ++row)
        for (int side : {-1, 1})
            if (pointerInside(optionsArrowRect(row, side))) {
                hoveredButton = optionsRowButtons[row];
                hoveredArrow = side;
                return;
            }
    hoveredArrow = 0;
    if (pointerInside(optionsBackRect()))
        hoveredButton = optionsBackButton;
    else if (pointerInside(optionsSaveRect()))
        hoveredButton = optionsSaveButton;
    else
        hoveredButton = 0;
}

void clickOptions()
{
    const int arrow = hoveredArrow;
    if (hoveredButton >= 1 && hoveredButton <= optionsWindowRows) {
        if (optionsFromGame)
            return;
        displaySettingsChanged = true;
    }
    switch (hoveredButton) {
    case 1: stepDisplayMode(arrow); break;
    case 2: fullscreen = toggled(fullscreen); break;
    case 3: visualQuality = std::clamp(visualQuality + arrow, 1, 4); break;
    case 4: vSync = toggled(vSync); break;
    case 5: resetTutorialsPending = toggled(resetTutorialsPending); break;
    case 6: stepVolume(musicVol, arrow); break;
    case 7:
        stepVolume(soundVol, arrow);
        PlaySound("stab6.ogg", 0.25f, 1.0f);   // a sample of the new level
        break;
    case 10: mouseFlip = arrow > 0 ? (mouseFlip + 1) % 3 : arrow < 0 ? (mouseFlip + 2) % 3 : mouseFlip; break;
    case 11: colorblind = toggled(colorblind); break;
    case optionsBackButton: leaveOptionsUnsaved(); break;
    case optionsSaveButton: save(); break;
    default: break;
    }
}

void UpdateRestart(float)
{
    PROFILE_SCOPE("UpdateRestart");
    advanceFrameTicker();
    // The page runs until the quit message is taken: one new copy, one logout.
    if (!restartStarted) {
        restartStarted = true;
        if (programStarter(exePath) < 0)
            logMessage("Could not start " + exePath);
    }
    logoutOnce();
}

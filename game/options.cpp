#include "game/options.h"

#include <algorithm>
#include <cstddef>
#include <sstream>

#include "engine/config.h"
#include "engine/fonts.h"
#include "engine/log.h"
#include "engine/main.h"
#include "engine/profiler.h"
#include "engine/sound.h"
#include "game/game_state.h"
#include "game/page_state.h"
#include "game/scoring.h"
#include "game/states.h"
#include "platform/handover.h"

const char* const optionsRowLabels[optionsRowCount] = {"Resolution", "Fullscreen",      "Visual Quality",
                                                       "VSync",      "Reset Tutorials", "Music Vol",
                                                       "Sound Vol",  "Mouse Buttons",   "Colorblind Mode"};

bool displaySettingsChanged = false;
int resetTutorialsPending = 0;
bool restartStarted = false;
int (*programStarter)(const std::string&) = platformLaunchProgram;

namespace {

constexpr float maxVolume = 10.0f;

// The words of the rows that choose among a few, by the setting's value.
const char* const windowWords[2] = {"Windowed", "Fullscreen"};
const char* const qualityWords[5] = {"", "Low", "Medium", "High", "Ultra"};
const char* const onOffWords[2] = {"Off", "On"};
const char* const resetWords[2] = {"Off", "Reset"};
const char* const mouseWords[3] = {"Normal", "Reversed", "Single"};

std::string modeText(Vector2 mode)
{
    return plainNumber(mode.x) + "x" + plainNumber(mode.y);
}

std::string resolutionText()
{
    const int count = static_cast<int>(displayModes.size());
    if (displayModeIndex >= 0 && displayModeIndex < count)
        return modeText(displayModes[static_cast<std::size_t>(displayModeIndex)]);
    return std::to_string(screenWidth) + "x" + std::to_string(screenHeight);
}

float valueWidth(const std::string& text)
{
    return 2.0f * freetype::getWidth(&mediumFont, text) * optionsTextScale;
}

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
    saveConfig(SaveBy::player);
    lastGroupSize = 0;
}

void leaveOptionsUnsaved()
{
    gameState = leaveState();
    resetTutorialsPending = 0;
    loadConfig();   // the stored settings undo every change made here
}

} // namespace

std::string plainNumber(float value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

std::string optionsValueText(int row)
{
    switch (row) {
    case 0: return resolutionText();
    case 1: return windowWords[fullscreen ? 1 : 0];
    case 2: return visualQuality >= 1 && visualQuality <= 4 ? qualityWords[visualQuality] : "";
    case 3: return onOffWords[vSync ? 1 : 0];
    case 4: return resetWords[resetTutorialsPending ? 1 : 0];
    case 5: return plainNumber(musicVol);
    case 6: return plainNumber(soundVol);
    case 7: return mouseWords[mouseFlip == 1 || mouseFlip == 2 ? mouseFlip : 0];
    case 8: return onOffWords[colorblind ? 1 : 0];
    default: return "";
    }
}

float optionsWidestValue()
{
    // The widest a row can become, so that stepping a value never moves the arrow under the pointer.
    float widest = 0.0f;
    for (const auto* words : {windowWords, onOffWords, resetWords})
        for (int i = 0; i < 2; ++i)
            widest = std::max(widest, valueWidth(words[i]));
    for (const char* word : qualityWords)
        widest = std::max(widest, valueWidth(word));
    for (const char* word : mouseWords)
        widest = std::max(widest, valueWidth(word));
    for (const Vector2& mode : displayModes)
        widest = std::max(widest, valueWidth(modeText(mode)));
    for (int row = 0; row < optionsRowCount; ++row)
        widest = std::max(widest, valueWidth(optionsValueText(row)));
    return widest;
}

float optionsWidestLabel()
{
    float widest = 0.0f;
    for (const char* label : optionsRowLabels)
        widest = std::max(widest, valueWidth(label));
    return widest;
}

void UpdateOptions(float)
{
    PROFILE_SCOPE("UpdateOptions");
    advanceFrameTicker();
    const float widest = optionsWidestValue();
    for (int row = 0; row < optionsRowCount; ++row)
        for (int side : {-1, 1})
            if (pointerInside(optionsArrowRect(row, side, widest))) {
                hoveredButton = optionsRowButtons[row];
                hoveredArrow = side;
                return;
            }
    hoveredArrow = 0;
    if (pointerInside(optionsBackRect(optionsLabelX(optionsWidestLabel(), widest))))
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

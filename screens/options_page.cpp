#include "screens/options_page.h"

#include <sstream>

#include "engine/config.h"
#include "engine/fonts.h"
#include "engine/profiler.h"
#include "game/layout.h"
#include "game/options.h"
#include "game/page_state.h"
#include "screens/menu_base.h"
#include "screens/page_scheme.h"

namespace {

const char* const rowLabels[optionsRowCount] = {"Resolution", "Fullscreen", "Visual Quality", "VSync", "Reset Tutorials",
                                                "Music Vol", "Sound Vol", "Mouse Buttons", "Colorblind Mode"};

const char* onOff(int value) { return value ? "On" : "Off"; }

std::string resolutionText()
{
    const int count = static_cast<int>(displayModes.size());
    if (displayModeIndex >= 0 && displayModeIndex < count) {
        const Vector2 mode = displayModes[static_cast<std::size_t>(displayModeIndex)];
        return plainNumber(mode.x) + "x" + plainNumber(mode.y);
    }
    return std::to_string(screenWidth) + "x" + std::to_string(screenHeight);
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
    static const char* const qualities[5] = {"", "Low", "Medium", "High", "Ultra"};
    switch (row) {
    case 0: return resolutionText();
    case 1: return fullscreen ? "Fullscreen" : "Windowed";
    case 2: return visualQuality >= 1 && visualQuality <= 4 ? qualities[visualQuality] : "";
    case 3: return onOff(vSync);
    case 4: return resetTutorialsPending ? "Reset" : "Off";
    case 5: return plainNumber(musicVol);
    case 6: return plainNumber(soundVol);
    case 7: return mouseFlip == 1 ? "Reversed" : mouseFlip == 2 ? "Single" : "Normal";
    case 8: return onOff(colorblind);
    default: return "";
    }
}

void renderOptions()
{
    PROFILE_SCOPE("renderOptions");
    renderMenuBase();
    if (hoveredButton == optionsBackButton)
        drawHighlight(optionsBackHighlightRect());
    if (hoveredButton == optionsSaveButton)
        drawHighlight(optionsSaveHighlightRect());
    pageText("Options Menu", static_cast<float>(screenWidth / 2),
             static_cast<float>(screenHeight / 2) - 8.0f * mediumFont.height, 0, 1.0f);
    const float s = optionsTextScale;
    for (int row = 0; row < optionsRowCount; ++row) {
        // The window's settings cannot change during a game: dimmed then.
        const float alpha = optionsFromGame && row < optionsWindowRows ? 128.0f : 255.0f;
        const float y = optionsRowY(row);
        pageTextColoured(rowLabels[row], optionsLabelX(), y, 5, s, 255, 255, 255, alpha);
        pageTextColoured(optionsValueText(row), optionsValueX(), y, 0, s, 255, 255, 255, alpha);
        pageTextColoured("<", optionsArrowX(-1), y, 0, s, 255, 255, 255, alpha);
        pageTextColoured(">", optionsArrowX(1), y, 0, s, 255, 255, 255, alpha);
    }
    const float y = optionsRowY(optionsRowCount);
    pageText("Back", optionsLabelX(), y, 5, s);
    pageText("Save", optionsValueX(), y, 0, s);
}

#include "screens/options_page.h"

#include "engine/config.h"
#include "engine/fonts.h"
#include "engine/profiler.h"
#include "game/layout.h"
#include "game/options.h"
#include "game/page_state.h"
#include "screens/menu_base.h"
#include "screens/page_scheme.h"

void renderOptions()
{
    PROFILE_SCOPE("renderOptions");
    renderMenuBase();
    const float widest = optionsWidestValue(), labelX = optionsLabelX(optionsWidestLabel(), widest);
    if (hoveredButton == optionsBackButton)
        drawHighlight(optionsBackRect(labelX));
    if (hoveredButton == optionsSaveButton)
        drawHighlight(optionsSaveRect());
    pageText("Options Menu", static_cast<float>(screenWidth / 2),
             static_cast<float>(screenHeight / 2) - 8.0f * mediumFont.height, 0, 1.0f);
    const float s = optionsTextScale;
    const float left = optionsArrowX(-1, widest), right = optionsArrowX(1, widest);
    for (int row = 0; row < optionsRowCount; ++row) {
        // The window's settings cannot change during a game: dimmed then.
        const float alpha = optionsFromGame && row < optionsWindowRows ? 128.0f : 255.0f;
        const float y = optionsRowY(row);
        pageTextColoured(optionsRowLabels[row], labelX, y, 5, s, 255, 255, 255, alpha);
        pageTextColoured(optionsValueText(row), optionsValueX(), y, 0, s, 255, 255, 255, alpha);
        pageTextColoured("<", left, y, 0, s, 255, 255, 255, alpha);
        pageTextColoured(">", right, y, 0, s, 255, 255, 255, alpha);
    }
    const float y = optionsRowY(optionsRowCount);
    pageText("Back", labelX, y, 5, s);
    pageText("Save", optionsValueX(), y, 0, s);
}

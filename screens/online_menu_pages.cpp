#include "screens/online_menu_pages.h"

#include <string>

#include "engine/config.h"
#include "engine/fonts.h"
#include "engine/profiler.h"
#include "game/layout.h"
#include "game/page_state.h"
#include "screens/page_scheme.h"

namespace {

void drawTitle()
{
    freetype::printShadowed("Tessarine", static_cast<float>(screenWidth / 2), menuRowY(menuHeadingRow), 2.0f, 0, 1.0f,
                            230, 255, 255, 255, &largeFont);
}

// Buttons 1..4 stand on rows -2..1; a row of no button (0) carries only its text.
void drawRows(const std::string (&labels)[4], const int (&buttons)[4], bool firstBar)
{
    for (int i = 0; i < 4; ++i)
        if (buttons[i] != 0 && hoveredButton == buttons[i] && (i > 0 || firstBar))
            drawHighlight(menuButtonRect(static_cast<float>(i - 2)));
    for (int i = 0; i < 4; ++i)
        drawRowLabel(labels[i].c_str(), static_cast<float>(i - 2));
}

} // namespace

void renderMultimenu()
{
    PROFILE_SCOPE("renderMultimenu");
    drawTitle();
    const std::string labels[4] = {"Log in as " + username, "Existing Player", "New Player", "Back"};
    const int buttons[4] = {1, 2, 3, 4};
    drawRows(labels, buttons, !username.empty());
}

void renderMultilobby()
{
    PROFILE_SCOPE("renderMultilobby");
    drawTitle();
    const std::string labels[4] = {"Create Game", "Join Game", "Connecting to server...", "Back"};
    const int buttons[4] = {1, 2, 0, 3};
    drawRows(labels, buttons, true);
}

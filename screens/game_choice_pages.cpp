#include "screens/game_choice_pages.h"

#include <string>

#include "engine/profiler.h"
#include "game/game_setup.h"
#include "game/layout.h"
#include "screens/menu_base.h"
#include "screens/page_scheme.h"

void renderGametype()
{
    PROFILE_SCOPE("renderGametype");
    drawColumnPage(gameTypePage);
}

void renderDifficulty()
{
    PROFILE_SCOPE("renderDifficulty");
    drawColumnPage(difficultyPage);
}

void renderClassicModeSelect()
{
    PROFILE_SCOPE("renderClassicModeSelect");
    drawColumnPage(rankedChoicePage);
}

void renderLevelSelect()
{
    PROFILE_SCOPE("renderLevelSelect");
    renderMenuBase();
    // A level has a narrow bar and no description.
    const int level = hoveredButton - firstLevelButton + 1;
    if (level >= 1 && level <= 10)
        drawHighlight(levelButtonRect(level));
    drawColumnHover(levelSelectBackPage);
    drawHeading(levelSelectBackPage.heading);
    for (int n = 1; n <= 10; ++n)
        pageText("Level " + std::to_string(n), levelColumnX(n), menuRowY(levelRow(n)), 0, 1.0f);
    drawColumnLabels(levelSelectBackPage);
}

#include "game/game_setup.h"

#include "engine/profiler.h"
#include "game/layout.h"

void UpdateGametype(float)
{
    PROFILE_SCOPE("UpdateGametype");
    advanceFrameTicker();
    hoveredButton = hitColumnPage(gameTypePage);
}

void UpdateDifficulty(float)
{
    PROFILE_SCOPE("UpdateDifficulty");
    advanceFrameTicker();
    hoveredButton = hitColumnPage(difficultyPage);
}

void UpdateClassicModeSelect(float)
{
    PROFILE_SCOPE("UpdateClassicModeSelect");
    advanceFrameTicker();
    hoveredButton = hitColumnPage(rankedChoicePage);
}

void UpdateLevelSelect(float)
{
    PROFILE_SCOPE("UpdateLevelSelect");
    advanceFrameTicker();
    hoveredButton = hitColumnPage(levelSelectBackPage);
    if (int level = hitButtons(levelButtonRect, 10))
        hoveredButton = firstLevelButton - 1 + level;
}

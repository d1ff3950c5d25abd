#include "game/game_setup.h"

#include <iterator>

#include "engine/profiler.h"
#include "game/layout.h"

void UpdateGametype(float)
{
    PROFILE_SCOPE("UpdateGametype");
    advanceFrameTicker();
    hoveredButton = hitPageButtons(gameTypeButtons, static_cast<int>(std::size(gameTypeButtons)));
}

void UpdateDifficulty(float)
{
    PROFILE_SCOPE("UpdateDifficulty");
    advanceFrameTicker();
    hoveredButton = hitPageButtons(difficultyButtons, static_cast<int>(std::size(difficultyButtons)));
}

void UpdateClassicModeSelect(float)
{
    PROFILE_SCOPE("UpdateClassicModeSelect");
    advanceFrameTicker();
    hoveredButton = hitPageButtons(rankedChoiceButtons, static_cast<int>(std::size(rankedChoiceButtons)));
}

void UpdateLevelSelect(float)
{
    PROFILE_SCOPE("UpdateLevelSelect");
    advanceFrameTicker();
    hoveredButton = hitPageButtons(&levelSelectBack, 1);
    // The boxes do not overlap; the last hit would win if they did.
    for (int level = 1; level <= 10; ++level)
        if (pointerInside(levelButtonRect(level)))
            hoveredButton = firstLevelButton - 1 + level;
}

#include "game/achievements_page.h"

#include "engine/profiler.h"
#include "game/achieve_carousel.h"
#include "game/game_state.h"
#include "game/layout.h"
#include "game/page_state.h"
#include "game/states.h"

void UpdateAchieves(float dtMs)
{
    PROFILE_SCOPE("UpdateAchieves");
    advanceFrameTicker();
    if (pointerInside(achievementArrowRect(-1)))
        hoveredButton = 1;
    else if (pointerInside(achievementArrowRect(1)))
        hoveredButton = 2;
    else if (pointerInside(menuButtonRect(achievementsBackRow)))
        hoveredButton = 7;
    else
        hoveredButton = 0;
    moveAchievementCarousel(dtMs);
}

void clickAchievements()
{
    switch (hoveredButton) {
    case 1: stepAchievementCarousel(-1); break;
    case 2: stepAchievementCarousel(1); break;
    case 7: gameState = gs::AchievementsToMenu; break;
    default: break;
    }
}

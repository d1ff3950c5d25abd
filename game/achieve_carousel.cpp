#include "game/achieve_carousel.h"

// Placeholder until the achievements page is written: it owns these and moves the slots.
int achievementPage = 1;
CarouselSlot achieveCarousel[10];

void scrollAchievementCarousel(int steps, int screenWidth, int screenHeight)
{
    if (steps == 0 || achievementPage < 1 || achievementPage > 9)
        return;
    CarouselSlot* slot = achieveCarousel;
    if (slot[achievementPage].x != slot[achievementPage].targetX)
        return;
    float centre = screenWidth * 0.5f;
    float offset = screenHeight * 0.375f;
    if (steps > 0) {
        if (achievementPage > 1)
            --achievementPage;
        int p = achievementPage;
        slot[p].targetX = centre;
        slot[p].targetScale = 1.0f;
        if (p > 1)
            slot[p - 1].targetScale = 0.75f;
        if (p < 9) {
            slot[p + 1].targetX = centre + offset;
            slot[p + 1].targetScale = 0.75f;
        }
        if (p < 8)
            slot[p + 2].targetScale = 0.0f;
    } else {
        if (achievementPage < 9)
            ++achievementPage;
        int p = achievementPage;
        slot[p].targetX = centre;
        slot[p].targetScale = 1.0f;
        if (p < 9)
            slot[p + 1].targetScale = 0.75f;
        if (p > 1) {
            slot[p - 1].targetX = centre - offset;
            slot[p - 1].targetScale = 0.75f;
        }
        if (p > 2)
            slot[p - 2].targetScale = 0.0f;
    }
}

#include "game/achieve_carousel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/config.h"
#include "game/layout.h"

int achievementPage = 1;
CarouselSlot achieveCarousel[10];

namespace {

// The menu pages' integer half of the width, and a neighbour's distance from it.
float centreX() { return static_cast<float>(screenWidth / 2); }
float sideOffset() { return achievementsUnit() * 0.375f; }

constexpr float neighbourScale = 0.75f;
constexpr float shrinkPerSecond = 3.5f;
constexpr float growPerSecond = 1.5f;

} // namespace

void resetAchievementCarousel()
{
    for (int s = 1; s <= carouselSlots; ++s) {
        CarouselSlot& slot = achieveCarousel[s];
        slot.x = slot.targetX = centreX() + sideOffset();
        slot.scale = slot.targetScale = 0.0f;
    }
    achieveCarousel[1].x = achieveCarousel[1].targetX = centreX();
    achieveCarousel[1].scale = achieveCarousel[1].targetScale = 1.0f;
    achieveCarousel[2].scale = achieveCarousel[2].targetScale = neighbourScale;
    achievementPage = 1;
}

void stepAchievementCarousel(int direction)
{
    if (direction == 0 || achievementPage < 1 || achievementPage > carouselSlots)
        return;
    CarouselSlot* slot = achieveCarousel;
    if (slot[achievementPage].x != slot[achievementPage].targetX)
        return;
    const int p = achievementPage = std::clamp(achievementPage + (direction < 0 ? -1 : 1), 1, carouselSlots);
    slot[p].targetX = centreX();
    slot[p].targetScale = 1.0f;
    // The slot we came from moves out to its side as a neighbour, the one beyond it shrinks away,
    // and the neighbour on the other side only grows.
    const int from = direction < 0 ? 1 : -1;
    auto inRange = [](int s) { return s >= 1 && s <= carouselSlots; };
    if (inRange(p - from))
        slot[p - from].targetScale = neighbourScale;
    if (inRange(p + from)) {
        slot[p + from].targetX = centreX() + static_cast<float>(from) * sideOffset();
        slot[p + from].targetScale = neighbourScale;
    }
    if (inRange(p + 2 * from))
        slot[p + 2 * from].targetScale = 0.0f;
}

void moveAchievementCarousel(float dtMs)
{
    if (!(dtMs > 0.0f))
        return;
    const float step = static_cast<float>(screenHeight) * dtMs / 1200.0f;
    for (int s = 1; s <= carouselSlots; ++s) {
        CarouselSlot& slot = achieveCarousel[s];
        const float distance = std::fabs(slot.targetX - slot.x);
        // The share of the remaining way covered this frame; a slot already in place has none
        // to offer, and its scale takes its target outright.
        float covered = 1.0f;
        if (distance > 0.0f) {
            covered = step / distance;
            if (distance <= step)
                slot.x = slot.targetX;
            else
                slot.x += slot.targetX > slot.x ? step : -step;
        }

        const int k = std::abs(s - achievementPage);
        const float remaining = slot.targetScale - slot.scale;
        if (k > 1 || (k == 1 && remaining > 0.0f)) {
            const float rate = (remaining < 0.0f ? shrinkPerSecond : growPerSecond) * dtMs / 1000.0f;
            slot.scale = std::fabs(remaining) <= rate ? slot.targetScale : slot.scale + (remaining < 0.0f ? -rate : rate);
        } else {
            slot.scale = covered >= 1.0f ? slot.targetScale : slot.scale + covered * remaining;
        }
    }
}

// The achievements page's carousel: the page shown and each slot's position and scale.
#pragma once

struct CarouselSlot {
    float x = 0.0f, scale = 0.0f;              // current
    float targetX = 0.0f, targetScale = 0.0f;  // where the page's update moves it
};

inline constexpr int carouselSlots = 9;
extern int achievementPage;                    // 1..9
extern CarouselSlot achieveCarousel[10];       // slots 1..9; entry 0 unused

// Opening the page: slot 1 in the middle at full size, slot 2 beside it at 0.75, the others
// shrunk to nothing at the right; every slot at rest.
void resetAchievementCarousel();
// One step of the page's arrows and of the wheel: direction < 0 shows the previous slot, > 0 the
// next. Ignored while the slot in front is still moving; at either end the same targets are set
// again.
void stepAchievementCarousel(int direction);
// Moves every slot's position and scale towards its targets for dtMs.
void moveAchievementCarousel(float dtMs);

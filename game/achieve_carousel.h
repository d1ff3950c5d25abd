// The achievements page's carousel: the page shown and each slot's position and scale.
#pragma once

struct CarouselSlot {
    float x = 0.0f, scale = 0.0f;              // current
    float targetX = 0.0f, targetScale = 0.0f;  // where the page's update moves it
};

extern int achievementPage;                    // 1..9
extern CarouselSlot achieveCarousel[10];       // slots 1..9; entry 0 unused

// The wheel on the achievements page: steps > 0 shows the previous page, < 0 the next; ignored
// while the current page's slot is still moving.
void scrollAchievementCarousel(int steps, int screenWidth, int screenHeight);

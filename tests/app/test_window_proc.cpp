#include "app/window_proc.h"
#include "engine/config.h"
#include "engine/main.h"
#include "engine/window.h"
#include "game/achieve_carousel.h"
#include "game/achievements_page.h"
#include "game/layout.h"
#include "game/page_buttons.h"
#include "game/game_state.h"
#include "game/states.h"
#include "online/rankings.h"
#include "platform/messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

// Feeds one message to the window procedure as the main loop would.
long send(unsigned message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0)
{
    return windowProc(message, wParam, lParam);
}

TEST(WindowProcedure, PointerReachesTheWindowAndTheWheelScrollsThePage)
{
    const int savedState = gameState;
    send(WM_MOUSEMOVE, 0, makeLParam(640, 480));   // the window's own share comes first
    EXPECT_EQ(mouseX, 640);
    EXPECT_EQ(mouseY, 480);

    gameState = gs::Ranking;
    rankingList.assign(25, "row");
    rankingScroll = 0;
    send(WM_MOUSEWHEEL, std::uintptr_t(std::uint16_t(std::int16_t(-119))) << 16);
    EXPECT_EQ(rankingScroll, 0);   // less than a notch does nothing
    send(WM_MOUSEWHEEL, std::uintptr_t(std::uint16_t(std::int16_t(-240))) << 16);
    EXPECT_EQ(rankingScroll, 1);   // two notches in one message still move one row
    for (int i = 0; i < 30; ++i)
        send(WM_MOUSEWHEEL, std::uintptr_t(std::uint16_t(std::int16_t(-120))) << 16);
    EXPECT_EQ(rankingScroll, 15);  // the last ten rows stay visible
    send(WM_MOUSEWHEEL, std::uintptr_t(120) << 16);
    EXPECT_EQ(rankingScroll, 14);

    rankingList.assign(10, "row");
    rankingScroll = 0;
    send(WM_MOUSEWHEEL, std::uintptr_t(std::uint16_t(std::int16_t(-120))) << 16);
    EXPECT_EQ(rankingScroll, 0);   // ten rows or fewer never scroll

    gameState = gs::Achievements;
    screenWidth = 1024;
    screenHeight = 768;
    achievementPage = 3;
    for (auto& slot : achieveCarousel)
        slot = CarouselSlot();
    send(WM_MOUSEWHEEL, std::uintptr_t(std::uint16_t(std::int16_t(-120))) << 16);
    EXPECT_EQ(achievementPage, 4);
    EXPECT_FLOAT_EQ(achieveCarousel[4].targetX, screenWidth * 0.5f);
    EXPECT_FLOAT_EQ(achieveCarousel[3].targetX, screenWidth * 0.5f - screenHeight * 0.375f);
    EXPECT_FLOAT_EQ(achieveCarousel[2].targetScale, 0.0f);
    // Page 4's slot is now moving: the wheel waits for it.
    send(WM_MOUSEWHEEL, std::uintptr_t(std::uint16_t(std::int16_t(-120))) << 16);
    EXPECT_EQ(achievementPage, 4);
    achieveCarousel[4].x = achieveCarousel[4].targetX;
    send(WM_MOUSEWHEEL, std::uintptr_t(120) << 16);
    EXPECT_EQ(achievementPage, 3);
    gameState = savedState;
}

// The page's arrows and the wheel take the same step, on the pages' integer half of the width.
TEST(WindowProcedure, ArrowsAndWheelStepTheCarouselAlike)
{
    const int savedState = gameState;
    gameState = gs::Achievements;
    screenWidth = 1025;
    screenHeight = 768;
    CarouselSlot byArrow[10];
    for (bool wheel : {false, true}) {
        resetAchievementCarousel();
        if (wheel) {
            send(WM_MOUSEWHEEL, std::uintptr_t(std::uint16_t(std::int16_t(-120))) << 16);
        } else {
            const LayoutRect arrow = achievementArrowRect(1);
            send(WM_MOUSEMOVE, 0, makeLParam(unsigned(arrow.left + 2), unsigned(arrow.top + 2)));
            UpdateAchieves(0.0f);
            send(WM_LBUTTONDOWN);
            std::copy(std::begin(achieveCarousel), std::end(achieveCarousel), byArrow);
        }
        EXPECT_EQ(achievementPage, 2);
        EXPECT_FLOAT_EQ(achieveCarousel[2].targetX, 512.0f);
        for (int s = 1; s <= 9; ++s)
            EXPECT_TRUE(achieveCarousel[s].targetX == byArrow[s].targetX &&
                        achieveCarousel[s].targetScale == byArrow[s].targetScale) << s;
    }
    gameState = savedState;
}

TEST(WindowProcedure, CloseEndsTheProgram)
{
    platformClearMessages();
    programRunning = true;
    send(WM_CLOSE);
    EXPECT_FALSE(programRunning);
    WindowMessage message;
    ASSERT_TRUE(platformPeekMessage(message));
    EXPECT_EQ(message.message, unsigned(WM_QUIT));
}

} // namespace

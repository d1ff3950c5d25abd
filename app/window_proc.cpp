#include "app/window_proc.h"

#include "engine/window.h"
#include "game/achieve_carousel.h"
#include "game/game_state.h"
#include "game/input.h"
#include "game/states.h"
#include "online/login.h"
#include "online/rankings.h"
#include "online/requests.h"
#include "platform/messages.h"

long windowProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)
{
    handleWindowMessage(message, wParam, lParam);
    switch (message) {
    case WM_CLOSE:
        logout();
        return 0;
    case WM_KEYDOWN:
        handleKeyDown(int(wParam));
        return 0;
    case WM_LBUTTONDOWN:
        handleLeftButtonDown();
        return 0;
    case WM_LBUTTONUP:
        handleLeftButtonUp();
        return 0;
    case WM_RBUTTONDOWN:
        handleRightButtonDown();
        return 0;
    case WM_RBUTTONUP:
        handleRightButtonUp();
        return 0;
    case WM_MOUSEWHEEL: {
        // Whole notches only; each message moves by one whatever its size.
        int steps = int(std::int16_t(hiWord(wParam))) / 120;
        if (steps == 0)
            return 0;
        if (gameState == gs::Ranking)
            scrollRankings(steps);
        else if (gameState == gs::Achievements)
            stepAchievementCarousel(steps > 0 ? -1 : 1);   // up shows the previous slot
        return 0;
    }
    default:
        return 0;
    }
}

#include "game/score_screen.h"

#include "engine/profiler.h"
#include "game/game_state.h"
#include "game/game_types.h"
#include "game/input.h"
#include "game/layout.h"
#include "game/level_end.h"
#include "game/levels.h"
#include "game/page_state.h"
#include "game/powerups.h"
#include "game/states.h"

float scoreScreenSlide = 0.0f;
bool scoreScreenSlideIn = false;
bool retryPending = false;

void UpdateScoreScreen(float)
{
    PROFILE_SCOPE("UpdateScoreScreen");
    advanceFrameTicker();
    levelCompleteTimer = 0.0f;
    scoreScreenSlide = 0.0f;

    hoveredButton = hitButtons(scorePageButtonRect, 3);
    if (!leftButtonDown)
        return;

    const bool classic = gm::isClassic(gameMode);
    if (hoveredButton == 1) {
        leftButtonDown = false;
        gameState = gs::ScoreToGame;
        retryPending = true;
        powerupCharge = 0.0f;
    } else if (hoveredButton == 2 && classic) {
        leftButtonDown = false;
        gameState = levelNumber < lastClassicLevel ? gs::ScoreToGame : gs::ScoreToMenu;
    } else if (hoveredButton == 3) {
        leftButtonDown = false;
        gameState = gs::ScoreToMenu;
    }
}

#include "game/page_buttons.h"

#include <algorithm>
#include <ctime>

#include "crypto/digest.h"
#include "engine/camera.h"
#include "engine/config.h"
#include "engine/log.h"
#include "engine/random.h"
#include "engine/window.h"
#include "game/achieve_carousel.h"
#include "game/achievements_page.h"
#include "game/game_setup.h"
#include "game/game_state.h"
#include "game/game_types.h"
#include "game/input.h"
#include "game/layout.h"
#include "game/level_end.h"
#include "game/levels.h"
#include "game/options.h"
#include "game/powerups.h"
#include "game/reports.h"
#include "game/states.h"
#include "game/tutorials.h"
#include "online/create_account.h"
#include "online/login.h"
#include "online/rankings.h"
#include "online/replies.h"
#include "online/requests.h"
#include "online/sealing.h"
#include "platform/system.h"

namespace {

// CI and headless runs never open a browser.
bool openUnlessHeadless(const std::string& url)
{
    if (platformHeadless()) {
        logMessage("Not opening " + url + " without a display");
        return false;
    }
    return platformOpenUrl(url);
}

// A start button's first look at its tutorial page: an unseen page opens over the paused game
// that the button starts, and counts as seen from then on.
void tutorialCheck(int page)
{
    if (tutorialSetting(page) == 0)
        openTutorialPage(page);
}

void clearAccountFields()
{
    username.clear();
    playerPassword.clear();
    retypedPassword.clear();
}

void clickMenu()
{
    switch (hoveredButton) {
    case 1: gameState = gs::MenuToGameType; break;
    case 2:
        gameState = gs::MenuToLogin;
        popupId = 1;
        break;
    case 3:
        // The page opens on a fresh list, as a change of mode does: its rows are fetched again.
        gameState = gs::MenuToRanking;
        restartRankingList();
        break;
    case 7:
        gameState = gs::MenuToAchievements;
        resetAchievementCarousel();
        break;
    case 4:
        loadConfig();
        gameState = gs::MenuToOptions;
        break;
    case 5: gameState = gs::MenuToCredits; break;
    case 6: gameState = gs::MenuQuit; break;
    case 8: openWebPage("twitter.html"); break;
    case 9: openWebPage("facebook.html"); break;
    case 10: openWebPage("contact.html"); break;
    default: break;
    }
}

// Every click on the game-type page readies the bookkeeping of the next game.
void startNextGameBookkeeping()
{
    highscoreReplyReceived = highscoreRequestSent = false;
    powerupCharge = 0.0f;
    levelSelectPlay = false;
    char stamp[512] = "";
    const std::time_t now = std::time(nullptr);
    if (const std::tm* local = std::localtime(&now))
        std::strftime(stamp, sizeof stamp, "%Y%m%d%H%M%S", local);
    sessionHash = std::string(stamp) + hashString(std::to_string(gameRandom() % 99999));
}

void startGameType(int page, int mode)
{
    tutorialCheck(page);
    gameMode = mode;
    gameState = gs::GameTypeToGame;
}

void clickGameType()
{
    startNextGameBookkeeping();
    switch (hoveredButton) {
    case 1: gameState = gs::GameTypeToDifficulty; break;
    case 2: startGameType(tutorialSurvival, gm::Survival); break;
    case 3: startGameType(tutorialMeditation, gm::Meditation); break;
    case 4: startGameType(tutorialRush, gm::Rush); break;
    case 6: gameState = gs::GameTypeToMenu; break;
    default: break;
    }
}

void clickDifficulty()
{
    levelSelectPlay = false;
    const int modes[] = {gm::Casual, gm::Normal, gm::Expert};
    if (hoveredButton >= 1 && hoveredButton <= 3) {
        tutorialCheck(tutorialControl);
        gameMode = modes[hoveredButton - 1];
        gameState = gs::DifficultyToRankedChoice;
    } else if (hoveredButton == 7) {
        gameState = gs::DifficultyToGameType;
    }
}

void clickRankedChoice()
{
    levelSelectPlay = false;
    switch (hoveredButton) {
    case 1: gameState = gs::RankedChoiceToGame; break;
    case 2:
        levelSelectPlay = true;
        gameState = gs::RankedChoiceToLevelSelect;
        break;
    case 7: gameState = gs::RankedChoiceToDifficulty; break;
    default: break;
    }
}

void clickLevelSelect()
{
    if (hoveredButton == 7) {
        gameState = gs::LevelSelectToRankedChoice;
        return;
    }
    if (hoveredButton < firstLevelButton || hoveredButton > firstLevelButton + 9)
        return;
    // A player who has seen the controls is asked whether to see the tutorials again.
    if (tuteControl == 0)
        tutorialCheck(tutorialControl);
    else
        tutorialResetPrompt = true;
    paused = true;
    levelNumber = hoveredButton - firstLevelButton;
    gameState = gs::LevelSelectToGame;
}

void clickRanking()
{
    leftButtonDown = true;
    mouseHoldTime = 0.0f;
    switch (hoveredButton) {
    case 1:
        if (hoveredArrow == 0)
            break;
        gameMode = std::clamp(gameMode + hoveredArrow, static_cast<int>(gm::Overall), static_cast<int>(gm::Meditation));
        restartRankingList();
        break;
    case 2: scrollRankings(1); break;
    case 3: scrollRankings(-1); break;
    case 4: {
        dragStart = lastMousePos = Vector2(static_cast<float>(mouseX), static_cast<float>(mouseY));
        const int rows = static_cast<int>(rankingList.size());
        if (rows <= 10)
            break;
        const RankingScrollBar bar = rankingScrollBar(rows, rankingScroll);
        if (pointerInside(bar.thumb))
            rankingDragOffset = (dragStart.y - bar.trackTop) - bar.thumbOffset;
        break;
    }
    case 6: findingPlayer = true; break;
    case 5: gameState = gs::RankingToMenu; break;
    default: break;
    }
}

void clickNewProfile()
{
    if (hoveredButton != 1)
        return;
    switch (popupId) {
    case 11:
        // The service may have refused the e-mail: back where it can be mended, or the player
        // would go round the name and password steps for ever.
        popupId = 20;
        clearAccountFields();
        break;
    case 4:
    case 5:
        popupId = 1;
        clearAccountFields();
        break;
    case 6: gameState = gs::NewProfileToMenu; break;
    case 20:
        // "Use an Existing Profile": straight to the login page, no fade.
        gameState = gs::Login;
        popupId = 1;
        break;
    default: break;
    }
}

void clickLogin()
{
    if (hoveredButton == 1) {
        switch (popupId) {
        case 14:
        case 4:
        case 5:
            popupId = 1;
            clearAccountFields();
            break;
        case 6:
        case 11: gameState = gs::LoginToMenu; break;
        case 1:
            popupId = 20;
            gameState = gs::LoginToNewProfile;
            break;
        default: break;
        }
    } else if (hoveredButton == 2) {
        if (popupId == 11) {
            loginRetries = 0;
            offlineMode = 0;
            if (username.empty()) {
                // Nothing to log in with: the new-profile start, where a first start goes.
                popupId = 20;
                gameState = gs::LoginToNewProfile;
            } else {
                popupId = 13;
                loginRequestSent = false;
            }
        } else if (popupId == 1 || popupId == 2) {
            openWebPage("retrieve.html");
        }
    }
}

} // namespace

bool (*webPageOpener)(const std::string&) = openUnlessHeadless;

std::string webPageUrl(const std::string& page)
{
    return "http://" + serviceHost() + "/" + page;
}

void openWebPage(const std::string& page)
{
    webPageOpener(webPageUrl(page));
}

void dispatchPageClick()
{
    switch (gameState) {
    case gs::Menu: clickMenu(); break;
    case gs::GameType: clickGameType(); break;
    case gs::Difficulty: clickDifficulty(); break;
    case gs::RankedChoice: clickRankedChoice(); break;
    case gs::LevelSelect: clickLevelSelect(); break;
    case gs::Ranking: clickRanking(); break;
    case gs::NewProfile: clickNewProfile(); break;
    case gs::Login: clickLogin(); break;
    // These pages keep their hovered button after a click.
    case gs::Options: clickOptions(); return;
    case gs::Achievements: clickAchievements(); return;
    case gs::Credits: gameState = gs::CreditsToMenu; return;
    case gs::Restart:
        if (hoveredButton == 1)
            logoutOnce();
        return;
    default: return;
    }
    hoveredButton = 0;
}

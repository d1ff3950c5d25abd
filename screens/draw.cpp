#include "screens/draw.h"

#include <initializer_list>

#include "engine/console.h"
#include "engine/dev_overlays.h"
#include "engine/draw2d.h"
#include "engine/profiler.h"
#include "game/game_state.h"
#include "game/input.h"
#include "game/mass.h"
#include "game/states.h"
#include "game/tutorials.h"
#include "screens/achievement_tile.h"
#include "screens/backdrop.h"
#include "screens/console_overlay.h"
#include "screens/create_account_page.h"
#include "screens/credits_pages.h"
#include "screens/game_choice_pages.h"
#include "screens/game_field.h"
#include "screens/login_page.h"
#include "screens/main_menu_page.h"
#include "screens/menu_base.h"
#include "screens/online_menu_pages.h"
#include "screens/options_page.h"
#include "screens/patching_page.h"
#include "screens/pause_popup.h"
#include "screens/ranking_page.h"
#include "screens/score_pages.h"

namespace {

struct PageStates {
    PageEntry page;
    std::initializer_list<int> states;   // the page's own states, then the transitions that leave it
};

// Tested in this order, first match wins (no state belongs to two pages).
const PageStates pages[] = {
    {{"renderEndgame", renderEndgame}, {gs::Endgame, gs::EndgameToScore}},
    {{"renderCredits", renderCredits}, {gs::Credits, gs::CreditsToMenu}},
    {{"renderGame", renderGame},
     {gs::Game, gs::GameToMenu, gs::GameOver, gs::GameToEndgame, gs::GameToGrats, gs::GameToOptions}},
    {{"renderScoreScreen", renderScoreScreen}, {gs::Score, gs::ScoreToGame, gs::ScoreToMenu, gs::ScoreToCredits}},
    {{"renderGrats", renderGrats}, {gs::Grats, gs::GratsToScore}},
    {{"renderPatching", renderPatching}, {gs::Patching}},
    {{"renderOptions", renderOptions}, {gs::Options, gs::OptionsToMenu, gs::OptionsToRestart, gs::OptionsToGame}},
    {{"renderMenu", renderMenu},
     {gs::Menu, gs::MenuToGame, gs::MenuToOptions, gs::MenuToMultiplayer, gs::MenuToGameType, gs::MenuToLogin,
      gs::MenuToGameTypeAlt, gs::MenuToCredits, gs::MenuQuit, gs::MenuToRanking, gs::MenuToAchievements}},
    {{"renderGametype", renderGametype},
     {gs::GameType, gs::GameTypeAlt, gs::GameTypeToGame, gs::GameTypeToMenu, gs::GameTypeWait,
      gs::GameTypeAltToMenu, gs::GameTypeToDifficulty}},
    {{"renderDifficulty", renderDifficulty},
     {gs::Difficulty, gs::DifficultyToGame, gs::DifficultyToGameType, gs::DifficultyToLevelSelect,
      gs::DifficultyToRankedChoice}},
    {{"renderLevelSelect", renderLevelSelect},
     {gs::LevelSelect, gs::LevelSelectToDifficulty, gs::LevelSelectToGame, gs::LevelSelectToRankedChoice}},
    {{"renderClassicModeSelect", renderClassicModeSelect},
     {gs::RankedChoice, gs::RankedChoiceToLevelSelect, gs::RankedChoiceToDifficulty, gs::RankedChoiceToGame}},
    {{"renderMultimenu", renderMultimenu},
     {gs::Multiplayer, gs::MultiplayerToMenu, gs::MultiplayerToLobby, gs::MultiplayerToNewProfile}},
    {{"renderMultilobby", renderMultilobby}, {gs::Lobby, gs::LobbyToMultiplayer}},
    {{"renderCreateAcc", renderCreateAcc},
     {gs::NewProfile, gs::NewProfileWait, gs::NewProfileToLobby, gs::NewProfileToMenu, gs::NewProfileToLogin}},
    {{"renderLogin", renderLogin}, {gs::Login, gs::LoginToMenu, gs::LoginToNewProfile}},
    {{"renderRanking", renderRanking}, {gs::Ranking, gs::RankingWait, gs::RankingToMenu}},
    {{"renderAchieves", renderAchieves}, {gs::Achievements, gs::AchievementsToMenu}},
    {{"renderRestart", renderRestart}, {gs::Restart}},
    {{"renderIntro", renderIntro}, {gs::Intro, gs::IntroToMenu, gs::IntroToNewProfile, gs::IntroToLogin}},
};

bool among(int state, std::initializer_list<int> states)
{
    for (int s : states)
        if (s == state)
            return true;
    return false;
}

} // namespace

const PageEntry* pageFor(int state)
{
    for (const PageStates& entry : pages)
        if (among(state, entry.states))
            return &entry.page;
    return nullptr;
}

bool isBackdropLessState(int state)
{
    return among(state, {gs::Intro, gs::IntroToMenu, gs::IntroToNewProfile, gs::IntroToLogin, gs::Credits,
                         gs::CreditsToMenu});
}

bool isFieldState(int state)
{
    return among(state, {gs::Game, gs::GameToMenu, gs::GameOver, gs::GameToEndgame, gs::GameToGrats,
                         gs::GameToOptions});
}

void Draw()
{
    beginProfile("Draw");
    clearScreen(0.0f, 0.0f, 0.0f, 0.0f);
    applyCamera(massRatio());
    pushOrtho();

    const int state = gameState;
    const bool backdrop = !isBackdropLessState(state);
    if (backdrop) {
        // The backdrop pops the first projection for the 3D stars; the page needs one again, but
        // the field draws in 3D first and pushes its own.
        renderBackground();
        if (!isFieldState(state))
            pushOrtho();
    }
    if (const PageEntry* page = pageFor(state))
        page->draw();
    if (paused && (state == gs::Game || state == gs::GameToOptions))
        renderPause();
    const bool loggingIn = state == gs::Login && (popupId == 12 || popupId == 13);
    if (backdrop && !loggingIn)
        renderCursor();
    renderFadeIn();
    endProfile();

    if (showProfiling)
        renderProfiler(frameTimes);
    if (showFps)
        renderFpsReadout();
    if (showParticleCount)
        renderParticleReadout();
    if (showCurlConsole)
        renderCurlConsole();
    if (showAtlas)
        renderAtlasViewer();
    if (consoleVisible)
        renderConsole();
    popOrtho();
}

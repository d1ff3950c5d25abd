#include "game/game_state.h"

#include <algorithm>

#include "engine/config.h"
#include "engine/polyparticles.h"
#include "engine/profiler.h"
#include "engine/sound.h"
#include "engine/textures.h"
#include "game/achievements_page.h"
#include "game/backdrops.h"
#include "game/credits.h"
#include "game/game_setup.h"
#include "game/game_types.h"
#include "game/input.h"
#include "game/intro.h"
#include "game/level_end.h"
#include "game/levels.h"
#include "game/main_menu.h"
#include "game/mass.h"
#include "game/options.h"
#include "game/page_state.h"
#include "game/play.h"
#include "game/powerups.h"
#include "game/reports.h"
#include "game/score_screen.h"
#include "game/starfield.h"
#include "game/states.h"
#include "game/tutorials.h"
#include "online/create_account.h"
#include "online/login.h"
#include "online/patching.h"
#include "online/rankings.h"
#include "online/replies.h"
#include "online/requests.h"

int gameState = gs::Intro;
int popupId = 1;
float fadeLevel = 0.0f;
std::vector<float> frameTimes;
float averageFrameTime = 0.0f;
float framesPerSecond = 0.0f;
int caretBlinkTime = 0;
bool caretBlink = true;
int lastHoveredButton = -1;
float musicDelayTime = 0.0f;
int massIncreaseSource = -1;
int etherealSource = -1;
int quitLogoutsSent = 0;

namespace {

constexpr int maxFrameTimes = 100;

const int stableStates[] = {
    gs::Intro, gs::Menu,     gs::Game,     gs::Options,      gs::Credits,  gs::NewProfile,
    gs::Login, gs::Score,    gs::GameType, gs::Ranking,      gs::Grats,    gs::Difficulty,
    gs::Achievements,        gs::Patching, gs::LevelSelect,  gs::RankedChoice,
};

enum class SideAction {
    None,
    PopupEmail,           // popupId = 20
    PopupAfterRegister,   // popupId = 1 unless it is 13
    ScoreSlideIn,         // the score page slides in from the left
    NextOrRetry,          // next level (or the same on Retry), rebuilt board
    NewGame,              // loadLevel(true)
    ChosenLevel,          // loadLevel(false)
    ForgetPassword,       // the typed password emptied
    BackToPausedGame,     // optionsFromGame cleared
};

struct Transition {
    int from;
    int to;
    SideAction action;
};

const Transition transitions[] = {
    {gs::MenuToCredits, gs::Credits, SideAction::None},
    {gs::CreditsToMenu, gs::Menu, SideAction::None},
    {gs::IntroToNewProfile, gs::NewProfile, SideAction::None},
    {gs::RankingToMenu, gs::Menu, SideAction::None},
    {gs::AchievementsToMenu, gs::Menu, SideAction::None},
    {gs::MenuToRanking, gs::Ranking, SideAction::None},
    {gs::MenuToAchievements, gs::Achievements, SideAction::None},
    {gs::IntroToLogin, gs::Login, SideAction::None},
    {gs::LoginToNewProfile, gs::NewProfile, SideAction::PopupEmail},
    {gs::LoginToMenu, gs::Menu, SideAction::None},
    {gs::NewProfileToLogin, gs::Login, SideAction::PopupAfterRegister},
    {gs::GameToMenu, gs::Menu, SideAction::None},
    {gs::GameOver, gs::Score, SideAction::ScoreSlideIn},
    {gs::ScoreToGame, gs::Game, SideAction::NextOrRetry},
    {gs::ScoreToMenu, gs::Menu, SideAction::None},
    {gs::GameToGrats, gs::Grats, SideAction::None},
    {gs::GratsToScore, gs::Score, SideAction::ScoreSlideIn},
    {gs::NewProfileToMenu, gs::Menu, SideAction::None},
    {gs::GameTypeToGame, gs::Game, SideAction::NewGame},
    {gs::GameTypeToDifficulty, gs::Difficulty, SideAction::None},
    {gs::DifficultyToGameType, gs::GameType, SideAction::None},
    {gs::RankedChoiceToGame, gs::Game, SideAction::NewGame},
    {gs::DifficultyToRankedChoice, gs::RankedChoice, SideAction::None},
    {gs::RankedChoiceToDifficulty, gs::Difficulty, SideAction::None},
    {gs::RankedChoiceToLevelSelect, gs::LevelSelect, SideAction::None},
    {gs::LevelSelectToRankedChoice, gs::RankedChoice, SideAction::None},
    {gs::LevelSelectToGame, gs::Game, SideAction::ChosenLevel},
    {gs::MenuToGameType, gs::GameType, SideAction::None},
    {gs::MenuToLogin, gs::Login, SideAction::ForgetPassword},
    {gs::GameTypeToMenu, gs::Menu, SideAction::None},
    {gs::MenuToOptions, gs::Options, SideAction::None},
    {gs::OptionsToMenu, gs::Menu, SideAction::None},
    {gs::OptionsToGame, gs::Game, SideAction::BackToPausedGame},
    {gs::GameToOptions, gs::Options, SideAction::None},
    {gs::OptionsToRestart, gs::Restart, SideAction::None},
};

const Transition* findTransition(int state)
{
    for (const Transition& t : transitions)
        if (t.from == state)
            return &t;
    return nullptr;
}

void runSideAction(SideAction action)
{
    switch (action) {
    case SideAction::None:
        break;
    case SideAction::PopupEmail:
        popupId = 20;
        break;
    case SideAction::PopupAfterRegister:
        if (popupId != 13)
            popupId = 1;
        break;
    case SideAction::ScoreSlideIn:
        scoreScreenSlideIn = true;
        scoreScreenSlide = -static_cast<float>(screenWidth);
        break;
    case SideAction::NextOrRetry:
        if (levelNumber < 20 && gameMode != gm::Survival && !retryPending)
            ++levelNumber;
        retryPending = false;
        loadLevel(false);
        startHighscoreReport();
        break;
    case SideAction::NewGame:
        loadLevel(true);
        break;
    case SideAction::ChosenLevel:
        loadLevel(false);
        break;
    case SideAction::ForgetPassword:
        playerPassword.clear();
        break;
    case SideAction::BackToPausedGame:
        optionsFromGame = false;
        break;
    }
}

// The per-state updates in the order they are tried; the state is read afresh before each test.
// Play and the congratulations page keep updating through the transition that leaves them.
constexpr int noState = 0;
struct StateUpdate {
    int state;
    void (*update)(float);
    int alsoState = noState;
};

const StateUpdate stateUpdates[] = {
    {gs::Intro, UpdateIntro},
    {gs::Menu, UpdateMenu},
    {gs::GameType, UpdateGametype},
    {gs::Difficulty, UpdateDifficulty},
    {gs::LevelSelect, UpdateLevelSelect},
    {gs::RankedChoice, UpdateClassicModeSelect},
    {gs::Ranking, UpdateRanking},
    {gs::Achievements, UpdateAchieves},
    {gs::Patching, UpdatePatching},
    {gs::NewProfile, [](float) { UpdateCreateAcc(); }},
    {gs::Options, UpdateOptions},
    {gs::Game, UpdateGame, gs::GameOver},
    {gs::Score, UpdateScoreScreen},
    {gs::Grats, UpdateGrats, gs::GratsToScore},
    {gs::Restart, UpdateRestart},
    {gs::Login, UpdateLogin},
    {gs::Credits, UpdateCredits},
};

// A backdrop the pack does not hold can never load; the page then fades in without it rather
// than staying dark for the rest of the run.
bool backdropReady()
{
    return isTextureReady(getBackgroundTexture());
}

// A music handle may have gone stale (its source stopped); nothing is written through one.
bool sourceValid(int handle)
{
    return isSoundHandleLive(handle) && static_cast<std::size_t>(handle) < sourceVolumes.size() &&
           static_cast<std::size_t>(handle) < sourcePitches.size();
}

float volumeOf(int handle)
{
    return sourceValid(handle) ? getSourceVolume(handle) : 0.0f;
}

void setVolume(int handle, float volume)
{
    if (sourceValid(handle))
        setSourceVolume(handle, volume);
}

void setPitch(int handle, float pitch)
{
    if (sourceValid(handle))
        sourcePitches[handle] = pitch;
}

bool stateIn(std::initializer_list<int> states)
{
    return std::find(states.begin(), states.end(), gameState) != states.end();
}

// Loops started elsewhere are forgotten once their source has gone, so a slot that a later
// sound takes over is never mixed as the loop.
void forgetStaleLoop(int& handle)
{
    if (handle != -1 && !sourceValid(handle))
        handle = -1;
}

void mixMassWarning()
{
    forgetStaleLoop(massIncreaseSource);
    if (massIncreaseSource == -1)
        return;
    float volume = 0.0f;
    if (gameState == gs::Game) {
        const float p = massRatio() * 100.0f;
        if (p > 75.0f) {
            const int percent = std::min(100, static_cast<int>((p - 75.0f) / 25.0f * 100.0f));
            volume = percent / 100.0f * soundVol / 10.0f;
        }
    }
    setVolume(massIncreaseSource, volume);
}

void mixEthereal(float dtMs)
{
    forgetStaleLoop(etherealSource);
    if (etherealSource == -1)
        return;
    float volume = 0.0f;
    if (gameState == gs::Game) {
        volume = volumeOf(etherealSource) + (timewarpActive ? dtMs : -dtMs) / 1000.0f;
        volume = std::clamp(volume, 0.0f, 0.15f * soundVol / 10.0f);
    }
    setVolume(etherealSource, volume);
}

void mixMelody(float dtMs)
{
    const bool followsFade = stateIn({gs::MenuQuit, gs::OptionsToRestart}) ||
                             (stateIn({gs::GameTypeToGame, gs::ScoreToMenu, gs::GameToMenu}) &&
                              gameMode == gm::Meditation);
    if (followsFade) {
        if (sourceValid(menuMelodySource)) {
            float volume = volumeOf(menuMelodySource);
            const float ratio = fadeLevel / fadeDuration;
            if (volume > 0.0f && volume > ratio)
                volume = ratio;
            if (volume < 0.0f)
                volume = 0.0f;
            setVolume(menuMelodySource, volume);
        }
        return;
    }
    if (musicDelayTime < musicDelay) {
        musicDelayTime += dtMs;
        return;
    }
    const float cap = 0.45f * (paused ? musicVol / 4.0f : musicVol) / 10.0f;
    if (levelCompleteTimer != 0.0f) {
        if (sourceValid(menuMelodySource))
            setVolume(menuMelodySource, std::max(0.0f, volumeOf(menuMelodySource) - dtMs / 2000.0f));
        setVolume(menuDrumsSource, 0.0f);
        return;
    }
    if (!sourceValid(menuMelodySource))
        return;
    float volume = volumeOf(menuMelodySource);
    if (volume < cap) {
        float k = 30000.0f;
        if (gameState == gs::Game && gameMode == gm::Meditation)
            k = 10000.0f;
        else if (gameState == gs::Score)
            k = 3000.0f;
        volume += dtMs / k;
    }
    setVolume(menuMelodySource, std::min(volume, cap));
}

void mixPitch(float dtMs)
{
    const bool slowMusic =
        gameMode == gm::Meditation &&
        (stateIn({gs::Game, gs::GameToMenu, gs::GameOver, gs::ScoreToGame, gs::ScoreToMenu, gs::Score}) ||
         (stateIn({gs::Options, gs::GameToOptions, gs::OptionsToGame}) && optionsFromGame));
    const int sources[2] = {menuMelodySource, menuDrumsSource};
    for (int handle : sources) {
        if (!sourceValid(handle))
            continue;
        float pitch = slowMusic ? 0.6f : sourcePitches[handle];
        if (timewarpActive) {
            if (pitch > 0.6f)
                pitch = std::max(0.6f, pitch - dtMs / 2000.0f);
        } else if (!multiplierActive && !slowMusic) {
            if (pitch < 1.0f)
                pitch = std::min(1.0f, pitch + dtMs / 500.0f);
        }
        if (gameState == gs::Menu)
            pitch = 1.0f;
        setPitch(handle, pitch);
    }
    if (gameState == gs::Menu)
        setVolume(menuDrumsSource, 0.0f);
}

void mixDrums(float dtMs)
{
    if (!sourceValid(menuDrumsSource))
        return;
    float volume = volumeOf(menuDrumsSource);
    if (gameState == gs::Game && levelCompleteTimer == 0.0f) {
        const float cap = 0.45f * (paused ? musicVol / 4.0f : musicVol) / 10.0f;
        if (volume < cap)
            volume += dtMs / (gameMode == gm::Meditation ? 30000.0f : 10000.0f);
        volume = std::min(volume, cap);
    } else {
        volume = std::max(0.0f, volume - dtMs / 2000.0f);
    }
    setVolume(menuDrumsSource, volume);
}

void updateFrameRate()
{
    frameTimes.insert(frameTimes.begin(), frameTime);
    if (frameTimes.size() > static_cast<std::size_t>(maxFrameTimes))
        frameTimes.resize(maxFrameTimes);
    float sum = 0.0f;
    for (float t : frameTimes)
        sum += t;
    averageFrameTime = sum / static_cast<float>(frameTimes.size());
    framesPerSecond = averageFrameTime > 0.0f ? 1000.0f / averageFrameTime : 1000000.0f;

    const bool slow = framesPerSecond < 50.0f;
    if (particleSpritesDrawn > 0 && slow && !timewarpActive)
        particleDeg += 0.01f;
    // Only for this run: writing 0 into motionBlur would be saved with the next settings save.
    if (slow && (timewarpActive || gameState == gs::Grats))
        motionBlurSuspended = true;
    particleSpritesDrawn = 0;
}

} // namespace

bool isStableState(int state)
{
    return std::find(std::begin(stableStates), std::end(stableStates), state) != std::end(stableStates);
}

bool isTransitionState(int state)
{
    return state == gs::MenuQuit || findTransition(state) != nullptr;
}

int transitionTarget(int state)
{
    const Transition* t = findTransition(state);
    return t ? t->to : -1;
}

void logoutOnce()
{
    // Once is enough: the quit message follows the logout.
    if (quitLogoutsSent == 0) {
        ++quitLogoutsSent;
        logout();
    }
}

void updateMusicMix(float dtMs)
{
    mixMassWarning();
    mixEthereal(dtMs);
    mixMelody(dtMs);
    mixPitch(dtMs);
    mixDrums(dtMs);
}

void UpdateFadeIn(float dtMs)
{
    PROFILE_SCOPE("UpdateFadeIn");

    if (hoveredButton != lastHoveredButton) {
        lastHoveredButton = hoveredButton;
        if (hoveredButton > 0 && fadeLevel >= fadeDuration)
            PlaySound("tick.ogg", 0.5f, 1.0f);
    }

    updateMusicMix(dtMs);
    UpdateSound();

    // The score page stays dark until its score has been sent.
    if (gameState == gs::Score && !scoreRequestSent && offlineMode != 99 && !levelSelectPlay)
        return;

    if (isStableState(gameState)) {
        if (backdropReady() && fadeLevel < fadeDuration)
            fadeLevel += dtMs;
        return;
    }

    if (!isTransitionState(gameState))
        return;   // the restart prompt keeps the fade where it is
    if (fadeLevel > 0.0f) {
        fadeLevel -= (gameState == gs::GameTypeToGame && gameMode == gm::Meditation) ? dtMs / 2.0f : dtMs;
        return;
    }
    if (gameState == gs::MenuQuit) {
        logoutOnce();
        return;
    }
    const Transition* t = findTransition(gameState);
    gameState = t->to;
    runSideAction(t->action);
}

void Update(float dtMs)
{
    PROFILE_SCOPE("Update");
    curlprocess();
    UpdateSound();
    unloadUnusedBackgrounds();
    updateFrameRate();

    // A stall of a second or more advances nothing else.
    if (dtMs >= 1000.0f)
        return;

    caretBlinkTime = static_cast<int>(caretBlinkTime + dtMs);
    if (caretBlinkTime > 500) {
        caretBlinkTime = 0;
        caretBlink = !caretBlink;
    }

    if (leftButtonDown)
        leftHoldTime = static_cast<int>(leftHoldTime + dtMs);
    if (rotateDragActive)
        rotateDragTime = static_cast<int>(rotateDragTime + dtMs);
    if (rotateDragTime > rotateDragLimit && mouseFlip == 2)
        rotateDragActive = false;

    UpdateStarfield(dtMs);
    UpdateFadeIn(dtMs);

    for (const StateUpdate& entry : stateUpdates)
        if (gameState == entry.state || (entry.alsoState != noState && gameState == entry.alsoState))
            entry.update(dtMs);
}

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
#include "game/page_buttons.h"
#include "game/play.h"
#include "game/powerups.h"
#include "game/reports.h"
#include "game/score_screen.h"
#include "game/starfield.h"
#include "game/tutorials.h"
#include "online/requests.h"

int gameState = 1;
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

constexpr int quitState = 60;
constexpr int maxFrameTimes = 100;

const int stableStates[] = {1, 2, 3, 4, 6, 22, 27, 32, 39, 49, 56, 68, 69, 72, 78, 81};

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
    {51, 6, SideAction::None},
    {52, 2, SideAction::None},
    {34, 22, SideAction::None},
    {62, 2, SideAction::None},
    {71, 2, SideAction::None},
    {61, 49, SideAction::None},
    {70, 69, SideAction::None},
    {44, 27, SideAction::None},
    {38, 22, SideAction::PopupEmail},
    {37, 2, SideAction::None},
    {36, 27, SideAction::PopupAfterRegister},
    {10, 2, SideAction::None},
    {29, 32, SideAction::ScoreSlideIn},
    {30, 3, SideAction::NextOrRetry},
    {31, 2, SideAction::None},
    {57, 56, SideAction::None},
    {58, 32, SideAction::ScoreSlideIn},
    {35, 2, SideAction::None},
    {41, 3, SideAction::NewGame},
    {65, 68, SideAction::None},
    {67, 39, SideAction::None},
    {85, 3, SideAction::NewGame},
    {80, 81, SideAction::None},
    {83, 68, SideAction::None},
    {82, 78, SideAction::None},
    {84, 81, SideAction::None},
    {79, 3, SideAction::ChosenLevel},
    {40, 39, SideAction::None},
    {43, 27, SideAction::ForgetPassword},
    {42, 2, SideAction::None},
    {11, 4, SideAction::None},
    {12, 2, SideAction::None},
    {64, 3, SideAction::BackToPausedGame},
    {63, 4, SideAction::None},
    {13, 8, SideAction::None},
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
        if (levelNumber < 20 && gameMode != 5 && !retryPending)
            ++levelNumber;
        retryPending = false;
        loadLevel(false);
        highscoreReplyReceived = highscoreRequestSent = false;
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
struct StateUpdate {
    int state;
    int alsoState;
    void (*update)(float);
};

const StateUpdate stateUpdates[] = {
    {1, 0, UpdateIntro},
    {2, 0, UpdateMenu},
    {39, 0, UpdateGametype},
    {68, 0, UpdateDifficulty},
    {78, 0, UpdateLevelSelect},
    {81, 0, UpdateClassicModeSelect},
    {49, 0, UpdateRanking},
    {69, 0, UpdateAchieves},
    {72, 0, UpdatePatching},
    {22, 0, UpdateCreateAcc},
    {4, 0, UpdateOptions},
    {3, 29, UpdateGame},          // play keeps running while game over fades out
    {32, 0, UpdateScoreScreen},
    {56, 58, UpdateGrats},        // so does the congratulations page
    {8, 0, UpdateRestart},
    {27, 0, UpdateLogin},
    {6, 0, UpdateCredits},
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
    if (gameState == 3 && massLimit > 0.0f) {
        const float p = massLevel / massLimit * 100.0f;
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
    if (gameState == 3) {
        volume = volumeOf(etherealSource) + (timewarpActive ? dtMs : -dtMs) / 1000.0f;
        volume = std::clamp(volume, 0.0f, 0.15f * soundVol / 10.0f);
    }
    setVolume(etherealSource, volume);
}

void mixMelody(float dtMs)
{
    const bool followsFade = stateIn({quitState, 13}) || (stateIn({41, 31, 10}) && gameMode == 6);
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
        if (gameState == 3 && gameMode == 6)
            k = 10000.0f;
        else if (gameState == 32)
            k = 3000.0f;
        volume += dtMs / k;
    }
    setVolume(menuMelodySource, std::min(volume, cap));
}

void mixPitch(float dtMs)
{
    const bool slowMusic = gameMode == 6 && (stateIn({3, 10, 29, 30, 31, 32}) ||
                                             (stateIn({4, 63, 64}) && optionsFromGame));
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
        if (gameState == 2)
            pitch = 1.0f;
        setPitch(handle, pitch);
    }
    if (gameState == 2)
        setVolume(menuDrumsSource, 0.0f);
}

void mixDrums(float dtMs)
{
    if (!sourceValid(menuDrumsSource))
        return;
    float volume = volumeOf(menuDrumsSource);
    if (gameState == 3 && levelCompleteTimer == 0.0f) {
        const float cap = 0.45f * (paused ? musicVol / 4.0f : musicVol) / 10.0f;
        if (volume < cap)
            volume += dtMs / (gameMode == 6 ? 30000.0f : 10000.0f);
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
    if (slow && (timewarpActive || gameState == 56))
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
    return state == quitState || findTransition(state) != nullptr;
}

int transitionTarget(int state)
{
    const Transition* t = findTransition(state);
    return t ? t->to : -1;
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
    if (gameState == 32 && !scoreRequestSent && offlineMode != 99 && !levelSelectPlay)
        return;

    if (isStableState(gameState)) {
        if (backdropReady() && fadeLevel < fadeDuration)
            fadeLevel += dtMs;
        return;
    }

    if (!isTransitionState(gameState))
        return;   // the restart prompt keeps the fade where it is
    if (fadeLevel > 0.0f) {
        fadeLevel -= (gameState == 41 && gameMode == 6) ? dtMs / 2.0f : dtMs;
        return;
    }
    if (gameState == quitState) {
        // logout blocks on the network; once is enough, the quit message ends the program.
        if (quitLogoutsSent == 0) {
            ++quitLogoutsSent;
            logout();
        }
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
        if (gameState == entry.state || (entry.alsoState != 0 && gameState == entry.alsoState))
            entry.update(dtMs);
}

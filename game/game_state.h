// The game-state machine: the per-frame update, the screen fade and the transitions between pages.
#pragma once
#include <vector>

// The current page or transition (gs::Intro at start; game/states.h names them all).
extern int gameState;
extern int popupId;                    // the panel shown over the current page

extern float fadeLevel;                // ms faded in: 0 or less dark, fadeDuration or more fully shown
inline constexpr float fadeDuration = 500.0f;

extern std::vector<float> frameTimes;  // last frame durations, newest first, at most 100
extern float averageFrameTime;         // ms, over frameTimes
extern float framesPerSecond;

extern int caretBlinkTime;             // whole ms
extern bool caretBlink;
extern int lastHoveredButton;

extern float musicDelayTime;           // ms of music handling so far, up to musicDelay
inline constexpr float musicDelay = 300.0f;
// Looping sources started by the main menu, -1 none (the menu's melody and drums are kept by the
// sound engine).
extern int massIncreaseSource;
extern int etherealSource;

// Logout requests sent to end the run; the quit fade and the restart send exactly one.
extern int quitLogoutsSent;
// Logs out (which posts the quit message) unless this run already has: the program then ends
// after the frame.
void logoutOnce();

// Kinds of state.
bool isStableState(int state);
bool isTransitionState(int state);
// Target of a transition state; -1 when the state is no transition (and for the quit, gs::MenuQuit).
int transitionTarget(int state);

// Once a frame from the main loop.
void Update(float dtMs);
// The fade, the transitions and the music mix; once a frame from Update.
void UpdateFadeIn(float dtMs);
// The music mix step of UpdateFadeIn.
void updateMusicMix(float dtMs);

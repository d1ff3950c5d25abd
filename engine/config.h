// The player's settings (kept in the settings file) and the game's fixed tuning values.
#pragma once
#include <string>
#include <vector>

#include "engine/vecmath.h"

// Screen size in pixels; defined with the main loop, which puts the desktop size in first.
extern int screenWidth, screenHeight;

extern int AAlevel;               // highest multisample count tried for the window
extern int vSync;                 // 0/1
extern int visualQuality;         // preset 1..4
extern int motionBlur;            // 0/1
// Motion blur switched off for the rest of the run because frames were slow; the saved setting is
// untouched. Loading the settings again or the console's "set motionblur" lifts it.
extern bool motionBlurSuspended;
// Whether the motion-blur pass runs this frame.
bool motionBlurEnabled();
extern int mouseFlip;             // control scheme 0..2
extern int fullscreen;            // 0/1
extern int buffer;                // read and forced to 0 on every load
extern float musicVol;            // 0..10
extern float soundVol;            // 0..10
// 1 once that tutorial page has been shown.
extern int tuteControl, tutePup, tuteCombo, tuteComboNow, tuteColor, tuteCrit, tuteRush, tuteSurvival,
    tuteMeditation;
extern int colorblind;            // colour-blind block textures
extern std::string password;      // the stored password in the web service's sealed form

// Derived on every load.
extern int anisotropicFiltering;  // 0/1, from the preset
extern int displayModeIndex;      // index of the screen size in displayModes, or -1

// The display modes (width, height), filled once at start-up before the settings load.
extern std::vector<Vector2> displayModes;
// Index of the mode with this width and height in displayModes, or -1.
int findDisplayMode(int width, int height);

// Reads the settings file into the globals above; a missing file changes nothing but the derived values.
void loadConfig();
// Writes the settings back, creating the file on the first run.
void saveConfig();
// Applies the visual-quality preset to anisotropicFiltering, AAlevel and motionBlur.
void applyVisualQuality();

// Screen sizes accepted from the settings file; anything else falls back to the defaults.
constexpr int defaultScreenWidth = 1024;
constexpr int defaultScreenHeight = 768;
constexpr int maxScreenSide = 16384;

// Tuning values: fixed for the program, never changed at run time.
inline constexpr int columnCount = 9;            // slots per row of the grid
inline constexpr int rowCount = 15;              // rows of the grid
inline constexpr float blockSize = 32.0f;        // edge of one block in world units
inline constexpr float playerSpeed = 1.5f;       // piece movement rate and slot tolerance
inline constexpr int levelStartDelay = 2000;     // ms
inline constexpr int powerupCooldown = 10000;    // ms
inline constexpr int levelObjectiveBase = 5;     // objective of level i: i * increase + base
inline constexpr int levelObjectiveIncrease = 3;
inline constexpr int biasProbability = 50;       // percent
inline constexpr int formCompletion = 0;         // score for completing a five-block shape
inline constexpr int blockBonus = 0;             // added at block allocation

// The player's settings (kept in the settings file) and the world's scale.
#pragma once
#include <string>
#include <vector>

#include "engine/vecmath.h"

// Screen size in pixels: the program's entry puts the desktop size in before the settings load.
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
// The profile's credentials as the settings give them; the online pages type over them.
extern std::string username;        // the profile's user name
extern std::string playerPassword;  // the plain password, opened from the stored one

// Derived on every load.
extern int anisotropicFiltering;  // 0/1, from the preset
extern int displayModeIndex;      // index of the screen size in displayModes, or -1

// The display modes (width, height), filled once at start-up before the settings load.
extern std::vector<Vector2> displayModes;
// Index of the mode with this width and height in displayModes, or -1.
int findDisplayMode(int width, int height);

// atoi's reading (blanks, an optional sign, leading digits, 0 when there are none), but saturating
// at the int range instead of overflowing: the numbers of the settings file and of the console.
int parseWhole(const std::string& text);

// Reads the settings file into the globals above; a missing file changes nothing but the derived
// values, and so does one that cannot be read, which is logged (settingsUnreadNote).
void loadConfig();
// The line loadConfig logged when the settings file exists but could not be read (its mode, an
// I/O error), naming the file and why; empty when the last load read it, or found none. While it
// is set the settings in memory are not the file's, and only the player's own save replaces it.
extern std::string settingsUnreadNote;
// Who asks for a save: the game on its own (start-up, a tutorial page seen, a login), or the player
// (the Options page's Save, the console's "config save").
enum class SaveBy { game, player };
// Writes the settings back, creating the file on the first run. False when the file cannot keep
// one of the values (the password's stored form too long; nothing is written then) or cannot be
// written at all (the old file stays). A file that could not be read is left as it is, unless the
// player saves.
bool saveConfig(SaveBy by = SaveBy::game);
// Applies the visual-quality preset to anisotropicFiltering, AAlevel and motionBlur.
void applyVisualQuality();

// Set by loadConfig when the settings held no VisualQuality (a first run): the window's query
// pass may then choose one for the renderer it finds. False until a load says so.
extern bool visualQualityUnstored;
// Why the visual quality was chosen for the renderer, for the start-up report; empty otherwise.
extern std::string visualQualityNote;
// True when the GL renderer's name is one of the software rasterisers (llvmpipe, softpipe, swrast).
bool isSoftwareRenderer(const std::string& renderer);
// On a first run on a software rasteriser VisualQuality becomes 1 (no anisotropy, multisampling or
// motion blur) with its preset, and the start-up save keeps it; true when it chose. A stored
// VisualQuality is never overridden, and the choice is made once.
bool chooseVisualQualityForRenderer(const std::string& renderer);
// Marks every tutorial page unseen and saves the settings.
void resetTutorials();

// Screen sizes accepted from the settings file; anything else falls back to the defaults.
constexpr int defaultScreenWidth = 1024;
constexpr int defaultScreenHeight = 768;
constexpr int maxScreenSide = 16384;

// Edge of one block in world units: the scale of the game's world, fixed for the program (the
// rules' own tuning values are the game's, game/tuning.h).
inline constexpr float blockSize = 32.0f;

// Engine start-up initialisation (after the window and its GL context exist) and shut-down
// (after the main loop, before the window goes).
#pragma once
#include <string>
#include <vector>

// Machine facts for the system report and the login request.
extern std::string osName;     // OS name and version
extern std::string cpuName;    // processor name; empty when unknown
extern std::string ramText;    // installed memory in whole megabytes, decimal
extern std::string glVersion, videoCard, glVendor;
extern int startupPhase;       // 2 once initialize has finished; the intro waits for it
// Whether the screen-sized "motionblur" chunk could be reserved; the motion-blur pass stays
// off without it (a screen larger than an atlas page).
extern bool motionBlurReserved;
extern float powerupBlockSpin;   // degrees the powerup blocks have turned; 0 at start-up
// One entry per game mode 0..6 for the rankings page.
extern std::vector<bool> rankingFlagsByMode;
extern std::vector<std::vector<std::string>> rankingRowsByMode;

// Always true: problems are logged and the program carries on.
bool initialize();
// Releases what lives outside the process: HTTP handles, the pack stream, fonts, vertex buffers,
// mesh data and atlas textures. Safe when the media were never loaded.
void deinitialize();

// Text helpers of the system report.
std::string describeOs(const std::string& name, const std::string& version);
std::string megabytesText(unsigned long long bytes);

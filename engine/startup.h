// The engine's share of start-up (after the window and its GL context exist) and of shut-down
// (after the main loop, before the window goes); the program's order around it is the app's
// (app/startup.h).
#pragma once
#include <string>

// Machine facts for the system report and the login request.
extern std::string osName;     // OS name and version
extern std::string cpuName;    // processor name; empty when unknown
extern std::string ramText;    // installed memory in whole megabytes, decimal
extern std::string glVersion, videoCard, glVendor;
extern int startupPhase;       // 2 once initialize has finished; the intro waits for it
extern float powerupBlockSpin;   // degrees the powerup blocks have turned; 0 at start-up

// The system report, the fixed GL state, the console's words, the game view, the pack index, the
// motion-blur chunk (while motion blur is on), the sound device and the settings written back. Problems are logged and the
// program carries on.
void initializeEngine();
// Releases what lives outside the process: the pack stream, fonts, vertex buffers, mesh data and
// atlas textures. Safe when the media were never loaded.
void deinitializeEngine();

// Text helpers of the system report.
std::string describeOs(const std::string& name, const std::string& version);
std::string megabytesText(unsigned long long bytes);

// Program entry and the main loop.
#pragma once
#include <string>

extern std::string exeName;
extern std::string gameVersion;
extern std::string macAddress;
extern int screenWidth, screenHeight;
extern bool programRunning;
extern bool fullscreenChoice;
extern float masterGain;

// The game's entry: start-up, window passes, shut-down. Returns the process exit code.
int gameMain(int argc, char** argv);

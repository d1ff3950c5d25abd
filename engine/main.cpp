#include "engine/main.h"

std::string exeName;
std::string gameVersion;
std::string macAddress;
int screenWidth = 0, screenHeight = 0;
bool programRunning = false;
bool fullscreenChoice = false;
float masterGain = 1.0f;

int gameMain(int, char**)
{
    return 0;
}

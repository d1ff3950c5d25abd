// The program's own facts and run flags, and the wait for an older copy at start-up. The program's
// entry and its main loop are the app's (app/main_loop.h).
#pragma once
#include <string>

extern std::string exeName;       // the program's path relative to the working directory
// The program's full path, resolved once at start-up: the restart starts this file again, even
// after a patch has replaced the running one.
extern std::string exePath;
extern std::string gameVersion;   // "Version " + the build's version text
extern std::string macAddress;
extern bool programRunning;
extern bool fullscreenChoice;
extern float masterGain;          // 1 while the window is active, 0 while it is not

// "Version " + text with blanks removed and "," turned into ".".
std::string makeGameVersion(const std::string& versionText);

// The wait for an older copy of the program at start-up. Each sighting of another copy of the
// program at exePath (platformFindProcesses: renamed ones too, none from other folders) logs
// "Waiting for old process to die" and sleeps; from the seventh sighting on it is also terminated
// ("Killing old process"). Bounded: after giveUpAfter sightings start-up goes on.
struct OldCopyWait {
    unsigned sightingSleepMs = 1000;
    unsigned rescanSleepMs = 100;
    int killAfter = 5;        // termination starts once more sightings than this have passed
    int giveUpAfter = 15;     // sightings before start-up goes on regardless
    bool (*terminate)(int pid) = nullptr;   // null: the platform's termination
};
// True when no other copy is left; false when the wait gave up.
bool waitForOldCopies(const std::string& exePath, const OldCopyWait& wait);

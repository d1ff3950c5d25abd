#include "engine/main.h"

#include "engine/log.h"
#include "platform/system.h"

std::string exeName;
std::string exePath;
std::string gameVersion;
std::string macAddress;
bool programRunning = false;
bool fullscreenChoice = false;
float masterGain = 1.0f;

std::string makeGameVersion(const std::string& versionText)
{
    std::string text;
    for (char c : versionText) {
        if (c == ' ')
            continue;
        text += c == ',' ? '.' : c;
    }
    return "Version " + text;
}

bool waitForOldCopies(const std::string& exePath, const OldCopyWait& wait)
{
    bool (*terminate)(int) = wait.terminate ? wait.terminate : platformTerminateProcess;
    int attempts = 0;
    for (;;) {
        std::vector<int> others = platformFindProcesses(exePath);
        if (others.empty())
            return true;
        for (int pid : others) {
            if (attempts >= wait.giveUpAfter) {
                // An older copy that survives termination must not keep this one from starting.
                logMessage("Old process did not end, starting anyway");
                return false;
            }
            logMessage("Waiting for old process to die");
            if (attempts > wait.killAfter) {
                logMessage("Killing old process");
                terminate(pid);
            }
            platformSleep(wait.sightingSleepMs);
            ++attempts;
        }
        platformSleep(wait.rescanSleepMs);
    }
}

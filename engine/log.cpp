#include "engine/log.h"

#include <cstdio>
#include <cstring>

std::vector<std::string> consoleLines;

namespace {
const char* const logPath = "console.log";
std::FILE* logFile = nullptr;
}

void logMessage(std::string message)
{
    consoleLines.push_back(message);
    if (consoleLines.size() > consoleLineLimit)
        consoleLines.erase(consoleLines.begin());

    if (!logFile)
        logFile = std::fopen(logPath, "a");
    if (!logFile)
        return;
    message += "\r\n";
    std::fwrite(message.data(), 1, message.size(), logFile);
    std::fflush(logFile);
}

void clearLogFile(const char* path)
{
    if (std::strcmp(path, logPath) == 0)
        closeLogFile();
    if (std::FILE* f = std::fopen(path, "w"))
        std::fclose(f);
}

void closeLogFile()
{
    if (logFile)
        std::fclose(logFile);
    logFile = nullptr;
}

#include "engine/console.h"

#include <cstdio>

std::vector<std::string> consoleLines;

void logMessage(std::string message)
{
    consoleLines.push_back(message);
    if (consoleLines.size() > 20)
        consoleLines.erase(consoleLines.begin());

    FILE* f = std::fopen("console.log", "a");
    if (!f)
        return;
    message += "\r\n";
    std::fwrite(message.data(), 1, message.size(), f);
    std::fclose(f);
}

void runConsoleCommand(std::string)
{
}

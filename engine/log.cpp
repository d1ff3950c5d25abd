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

std::string printableText(const std::string& text)
{
    static const char digits[] = "0123456789abcdef";
    std::string shown;
    shown.reserve(text.size());
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f && byte != '\\') {
            shown += c;
            continue;
        }
        shown += "\\x";
        shown += digits[byte >> 4];
        shown += digits[byte & 15];
    }
    return shown;
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

#include "engine/log.h"

#include <cstdio>
#include <cstring>

std::vector<std::string> consoleLines;

namespace {
const char* const logPath = "console.log";
std::FILE* logFile = nullptr;
bool holding = false;
std::vector<std::string> heldLines;

void writeLine(std::string line)
{
    if (!logFile)
        logFile = std::fopen(logPath, "a");
    if (!logFile)
        return;
    line += "\r\n";
    std::fwrite(line.data(), 1, line.size(), logFile);
    std::fflush(logFile);
}
}

void logMessage(std::string message)
{
    consoleLines.push_back(message);
    if (consoleLines.size() > consoleLineLimit)
        consoleLines.erase(consoleLines.begin());
    if (holding)
        heldLines.push_back(std::move(message));
    else
        writeLine(std::move(message));
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
    const bool console = std::strcmp(path, logPath) == 0;
    if (console)
        closeLogFile();
    if (std::FILE* f = std::fopen(path, "w"))
        std::fclose(f);
    if (!console || !holding)
        return;
    holding = false;
    for (std::string& line : heldLines)
        writeLine(std::move(line));
    heldLines.clear();
}

void holdLogLines()
{
    holding = true;
}

void closeLogFile()
{
    if (logFile)
        std::fclose(logFile);
    logFile = nullptr;
}

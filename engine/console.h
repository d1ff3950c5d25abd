// Logs and the developer console.
#pragma once
#include <string>
#include <vector>

// The last 20 logged lines, oldest first, for the on-screen console.
extern std::vector<std::string> consoleLines;

// Appends one line to "console.log" (ending "\r\n") and to consoleLines.
void logMessage(std::string message);
// Runs one typed console line ("set atlassize 2048", "show profiling", ...).
void runConsoleCommand(std::string line);

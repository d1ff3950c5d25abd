// The program's log ("console.log" and the last 20 lines on screen) and the developer console's words.
#pragma once
#include <string>
#include <vector>

// The last 20 logged lines, oldest first, for the on-screen console.
extern std::vector<std::string> consoleLines;
constexpr std::size_t consoleLineLimit = 20;

// One word of the console's completion tree and the words that may follow it
// (a leaf may hold a hint such as "power of two [4096]").
struct ConsoleCommand {
    std::string word;
    std::vector<ConsoleCommand> arguments;
};
extern std::vector<ConsoleCommand> consoleCommands;
extern std::string consoleSuggestion;   // the completion the Tab key takes

// Overlay switches, all off at start ("show"/"hide"; showProfiling lives with the profiler).
extern bool showAtlas;
extern bool showCurlConsole;
extern int showFps;
extern int showParticleCount;

// Engine settings the "set" words change at run time (motionBlur is a saved setting, in config.h).
extern int smallTextures;   // stream the reduced images
extern int atlasSize;       // edge of an atlas page in texels; a power of two
constexpr int maxAtlasSize = 16384;

// Appends one line to "console.log" (ending "\r\n") and to consoleLines.
void logMessage(std::string message);
// Empties "console.log" (start-up does this before anything is logged).
void clearLogFile(const char* path);
// Builds consoleCommands (once, at start-up).
void buildConsoleCommands();
// Runs one typed console line ("set atlassize 2048", "show profiling", ...).
void runConsoleCommand(std::string line);

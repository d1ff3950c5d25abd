// The developer console: its words, the overlay switches they flip and the settings they change.
#pragma once
#include <string>
#include <vector>

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

// Builds consoleCommands (once, at start-up).
void buildConsoleCommands();
// Runs one typed console line ("set atlassize 2048", "show profiling", ...).
void runConsoleCommand(std::string line);

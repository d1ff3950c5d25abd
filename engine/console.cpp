#include "engine/console.h"

#include "engine/atlas.h"
#include "engine/config.h"
#include "engine/fonts.h"
#include "engine/polyparticles.h"
#include "engine/profiler.h"
#include "engine/textures.h"
#include "engine/util.h"
#include "engine/vecmath.h"

std::vector<ConsoleCommand> consoleCommands;
std::string consoleSuggestion;

bool showAtlas = false;
bool showCurlConsole = false;
int showFps = 0;
int showParticleCount = 0;

void buildConsoleCommands()
{
    auto words = [](std::initializer_list<const char*> list) {
        std::vector<ConsoleCommand> result;
        for (const char* word : list)
            result.push_back(ConsoleCommand{word, {}});
        return result;
    };
    const std::vector<ConsoleCommand> overlays =
        words({"fps", "particlecount", "profiling", "atlas", "curl", "debug"});

    consoleCommands.clear();
    consoleCommands.push_back(ConsoleCommand{"set", {
        ConsoleCommand{"smalltextures", words({"0", "1"})},
        ConsoleCommand{"motionblur", words({"0", "1"})},
        ConsoleCommand{"atlassize", words({"power of two [4096]"})},
        ConsoleCommand{"particledeg", words({"1"})},
    }});
    consoleCommands.push_back(ConsoleCommand{"show", overlays});
    consoleCommands.push_back(ConsoleCommand{"hide", overlays});
    consoleCommands.push_back(ConsoleCommand{"flush", words({"atlas"})});
    consoleCommands.push_back(ConsoleCommand{"reload", words({"textures", "fonts"})});
    consoleCommands.push_back(ConsoleCommand{"config", words({"load", "save"})});
}

namespace {

void setCommand(const std::string& name, const std::string& word)
{
    int value = parseWhole(word);
    if (name == "smalltextures") {
        smallTextures = value;
    } else if (name == "motionblur") {
        motionBlur = value;
        motionBlurSuspended = false;
    } else if (name == "atlassize") {
        // Pages are allocated at this edge: a zero, negative or odd size would break the atlas.
        // Like every malformed line, a refused size is dropped without a word.
        if (!isPowerOfTwo(value) || value > maxAtlasSize)
            return;
        atlasSize = value;
    } else if (name == "particledeg") {
        // The streak sprites are spaced by this many units: zero or less would never end a streak.
        if (value < 1)
            return;
        particleDeg = static_cast<float>(value);
    }
}

// "show" (on) and "hide" (off).
void overlayCommand(const std::string& name, bool on)
{
    if (name == "atlas") {
        showAtlas = on;
    } else if (name == "profiling") {
        showProfiling = on;
    } else if (name == "curlconsole") {
        showCurlConsole = on;
    } else if (name == "fps") {
        showFps = on;
    } else if (name == "particlecount") {
        showParticleCount = on;
    } else if (name == "debug") {
        showParticleCount = on;
        showFps = on;
        showProfiling = on;
    }
}

} // namespace

void runConsoleCommand(std::string line)
{
    std::vector<std::string> words;
    split(line, " ", &words);
    if (words.empty())
        return;
    const std::string& command = words[0];

    if (command == "set") {
        if (words.size() == 3)
            setCommand(words[1], words[2]);
        return;
    }
    if (words.size() != 2)
        return;
    const std::string& argument = words[1];
    if (command == "show") {
        overlayCommand(argument, true);
    } else if (command == "hide") {
        overlayCommand(argument, false);
    } else if (command == "flush") {
        // "flush atlas" is accepted and does nothing.
    } else if (command == "reload") {
        if (argument == "textures")
            queueAllTextures();
        else if (argument == "fonts")
            reloadFonts();
    } else if (command == "config") {
        if (argument == "load")
            loadConfig();
        else if (argument == "save")
            saveConfig(SaveBy::player);
    }
    // "force offline" and "force pups" are accepted and do nothing.
}

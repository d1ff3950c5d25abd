#include "engine/console.h"

#include "engine/config.h"
#include "engine/fonts.h"
#include "engine/polyparticles.h"
#include "engine/profiler.h"
#include "engine/textures.h"
#include "engine/util.h"
#include "engine/vecmath.h"

#include <cstdio>

std::vector<std::string> consoleLines;
std::vector<ConsoleCommand> consoleCommands;
std::string consoleSuggestion;

bool showAtlas = false;
bool showCurlConsole = false;
int showFps = 0;
int showParticleCount = 0;

int smallTextures = 0;
int atlasSize = 4096;

void logMessage(std::string message)
{
    consoleLines.push_back(message);
    if (consoleLines.size() > consoleLineLimit)
        consoleLines.erase(consoleLines.begin());

    FILE* f = std::fopen("console.log", "a");
    if (!f)
        return;
    message += "\r\n";
    std::fwrite(message.data(), 1, message.size(), f);
    std::fclose(f);
}

void clearLogFile(const char* path)
{
    FILE* f = std::fopen(path, "w");
    if (f)
        std::fclose(f);
}

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

// atoi's reading without its overflow: blanks, an optional sign, leading digits, 0 when there are none.
int wordToInt(const std::string& word)
{
    std::size_t i = 0;
    while (i < word.size() && (word[i] == ' ' || (word[i] >= '\t' && word[i] <= '\r')))
        i++;
    bool negative = false;
    if (i < word.size() && (word[i] == '+' || word[i] == '-'))
        negative = word[i++] == '-';
    long long value = 0;
    for (; i < word.size() && word[i] >= '0' && word[i] <= '9'; i++)
        if (value <= 2147483648LL)
            value = value * 10 + (word[i] - '0');
    if (negative)
        value = -value;
    if (value > 2147483647LL)
        value = 2147483647LL;
    if (value < -2147483647LL - 1)
        value = -2147483647LL - 1;
    return static_cast<int>(value);
}

void setCommand(const std::string& name, const std::string& word)
{
    int value = wordToInt(word);
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
            saveConfig();
    }
    // "force offline" and "force pups" are accepted and do nothing.
}

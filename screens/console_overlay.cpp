#include "screens/console_overlay.h"

#include <cstdio>

#include "engine/config.h"
#include "engine/console.h"
#include "engine/draw2d.h"
#include "engine/fonts.h"
#include "engine/polyparticles.h"
#include "engine/profiler.h"
#include "engine/util.h"
#include "game/game_state.h"
#include "game/input.h"
#include "online/requests.h"
#include "online/sealing.h"

namespace {

bool isPrefix(const std::string& prefix, const std::string& word)
{
    return prefix.size() <= word.size() && word.compare(0, prefix.size(), prefix) == 0;
}

std::string formatFloat(double value)
{
    char text[64];
    std::snprintf(text, sizeof(text), "%f", value);
    return text;
}

void readoutLine(const std::string& text, float line)
{
    const float h = smallFont.height;
    freetype::printShadowed(text.c_str(), static_cast<float>(screenWidth) - 32.0f, line * h + 32.0f, 2.0f, 6,
                            1.0f, 255, 255, 255, 255, &smallFont);
}

} // namespace

ConsoleCompletion completeConsoleLine(const std::string& input, const std::vector<ConsoleCommand>& commands)
{
    std::vector<std::string> words;
    split(input, " ", &words);
    ConsoleCompletion out;
    bool done = false;
    auto offer = [&out](const std::string& word) { out.hints += word + ", "; };

    if (words.size() >= 2) {
        for (const ConsoleCommand& first : commands) {
            if (first.word != words[0])
                continue;
            const ConsoleCommand* second = nullptr;
            for (const ConsoleCommand& argument : first.arguments)
                if (argument.word == words[1]) {
                    second = &argument;
                    break;
                }
            if (!second)
                continue;
            for (const ConsoleCommand& third : second->arguments) {
                if (words.size() >= 3 && isPrefix(words[2], third.word))
                    out.suggestion = words[0] + " " + words[1] + " " + third.word + " ";
                offer(third.word);
            }
            if (!second->arguments.empty())
                done = true;
        }
    }
    if (!done && !words.empty()) {
        for (const ConsoleCommand& first : commands) {
            if (first.word != words[0])
                continue;
            for (const ConsoleCommand& second : first.arguments) {
                if (words.size() >= 2 && isPrefix(words[1], second.word))
                    out.suggestion = words[0] + " " + second.word + " ";
                offer(second.word);
            }
            if (!first.arguments.empty())
                done = true;
            break;
        }
    }
    if (!done) {
        for (const ConsoleCommand& first : commands) {
            if (!words.empty() && isPrefix(words[0], first.word))
                out.suggestion = first.word + " ";
            offer(first.word);
        }
    }
    // An empty list has no trailing separator to take off.
    if (out.hints.size() >= 2 && out.hints.compare(out.hints.size() - 2, 2, ", ") == 0)
        out.hints.erase(out.hints.size() - 2);
    return out;
}

void renderConsole()
{
    PROFILE_SCOPE("renderConsole");
    const float w = static_cast<float>(screenWidth), hScreen = static_cast<float>(screenHeight);
    const float h = smallFont.height;
    const std::string line = ">>" + consoleInput + (caretBlink ? "_" : "");
    drawColourQuad(w / 2.0f, hScreen - 2.0f * h, w, 4.0f * h, 0, 0, 0, 0, 128);

    const ConsoleCompletion completion = completeConsoleLine(consoleInput, consoleCommands);
    consoleSuggestion = completion.suggestion;
    const std::string suggested = ">>" + consoleSuggestion;
    freetype::printShadowed(completion.hints.c_str(), 2.0f * h, hScreen - 2.5f * h, 2.0f, 5, 0.75f, 255, 255, 255,
                            128, &smallFont);
    freetype::printShadowed(suggested.c_str(), 2.0f * h, hScreen - h, 2.0f, 5, 0.75f, 255, 255, 255, 128,
                            &smallFont);
    freetype::printShadowed(line.c_str(), 2.0f * h, hScreen - h, 2.0f, 5, 0.75f, 255, 255, 255, 255, &smallFont);
}

std::string fpsText(const std::vector<float>& times)
{
    double sum = 0.0;
    for (float t : times)
        sum += t;
    if (times.empty() || sum <= 0.0)
        return formatFloat(0.0);
    return formatFloat(1000.0 / (sum / static_cast<double>(times.size())));
}

void renderFpsReadout()
{
    PROFILE_SCOPE("renderFpsReadout");
    readoutLine(fpsText(frameTimes), 1.0f);
}

void renderParticleReadout()
{
    PROFILE_SCOPE("renderParticleReadout");
    readoutLine(std::to_string(particleSpritesDrawn) + "/" + std::to_string(peakParticleSprites), 2.0f);
    readoutLine(formatFloat(particleDeg), 3.0f);
}

std::string maskSecrets(std::string url)
{
    for (const char* key : {"password=", "passwordHash="}) {
        const std::string k = key;
        std::size_t at = 0;
        while ((at = url.find(k, at)) != std::string::npos) {
            const bool fieldStart = at == 0 || url[at - 1] == '&' || url[at - 1] == '?';
            const std::size_t value = at + k.size();
            if (!fieldStart) {
                at = value;
                continue;
            }
            const std::size_t end = url.find('&', value);
            const std::size_t length = (end == std::string::npos ? url.size() : end) - value;
            url.replace(value, length, "***");
            at = value + 3;
        }
    }
    return url;
}

void renderCurlConsole()
{
    PROFILE_SCOPE("renderCurlConsole");
    const float w = static_cast<float>(screenWidth), h = static_cast<float>(screenHeight);
    int line = 0;
    // Finished records stay in the list until it is cut back; only those in flight are shown.
    for (const CurlRequest& request : requests) {
        if (request.done)
            continue;
        enableCapability(GL_TEXTURE_2D);
        freetype::print(secureUrl + maskSecrets(request.url), 0.01f * w, 0.03f * h + 4.0f * smallFont.height * line,
                        1, 0.75f, 255, 255, 255, 230, &smallFont);
        ++line;
    }
}

// The developer overlays drawn over the fade: the text console with its completion, the frame
// rate, the particle counts and the requests in flight.
#pragma once
#include <string>
#include <vector>

struct ConsoleCommand;

void renderConsole();
void renderFpsReadout();
void renderParticleReadout();
void renderCurlConsole();

// The console's completion of a typed line: the line it would become and the words offered.
struct ConsoleCompletion {
    std::string suggestion;   // "" when nothing completes
    std::string hints;        // the offered words, ", " between them
};
ConsoleCompletion completeConsoleLine(const std::string& input, const std::vector<ConsoleCommand>& commands);
// 1000 / the mean frame time, "%f"; 0 without frame times.
std::string fpsText(const std::vector<float>& frameTimes);
// The request text with the values of "password" and "passwordHash" shown as "***".
std::string maskSecrets(std::string url);

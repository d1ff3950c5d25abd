// The developer overlays: the profiler's bars and figures, and the atlas viewer.
#pragma once
#include <vector>

// Each section's recent own times as bars and numbers, the frame time, "FPS" and "VRAM";
// frameTimes are the recent frame durations in ms.
void renderProfiler(const std::vector<float>& frameTimes);
// The atlas pages, two a row from the bottom of the screen, and the page size.
void renderAtlasViewer();

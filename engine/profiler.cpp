#include "engine/profiler.h"

float frameTime = 0.0f;
bool showProfiling = false;

// Placeholder bodies: the section tree comes with the profiler module.
void startFrameTimer() {}
void endFrameTimer() {}
void beginProfile(std::string) {}
void endProfile() {}

#include "engine/textures.h"

// Placeholder until texture streaming is written.
void updateStreamingTextures(float) {}

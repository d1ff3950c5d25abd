// Textures and texture streaming.
#pragma once

void updateStreamingTextures(float dtMs);

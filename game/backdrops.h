// Which backdrop image the background shows and which face image a block colour uses.
#pragma once
#include <string>

// The backdrop's asset name for the current level, game mode and state; "" for none.
std::string getBackgroundTexture();
// The block face image: colour 1..7, "H" for the highlighted variant, "CB" in colour-blind mode;
// grey (6) has no variants; "" for any other colour.
std::string getBlockTextureName(int colour, int hVariant);
// Called once a frame; backdrops stay loaded until a newer one takes over their atlas rectangle.
void unloadUnusedBackgrounds();

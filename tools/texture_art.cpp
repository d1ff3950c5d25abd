#include "tools/pack_assets.h"

// Placeholder until the texture art is written.
void generateTextures(std::vector<PackAsset>&) {}

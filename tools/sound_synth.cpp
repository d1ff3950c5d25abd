#include "tools/pack_assets.h"

// Placeholder until the sound synthesis is written.
void generateSounds(std::vector<PackAsset>&) {}

// What the asset-pack builder puts in the pack: each generator appends named assets.
#pragma once
#include <string>
#include <vector>

struct PackAsset {
    std::string name;                 // pack path, "\" separated: "textures\yellow.tga"
    std::vector<unsigned char> data;  // the file's bytes
};

// Every texture: all "textures\NAME" in streaming order, then all "textures\small\NAME".
void generateTextures(std::vector<PackAsset>& out);
// Every sound: "sounds\NAME.ogg".
void generateSounds(std::vector<PackAsset>& out);

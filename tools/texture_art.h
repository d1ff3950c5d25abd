// The pack's textures: the generator behind each name of engine/texture_names.h.
#pragma once
#include <string>
#include <vector>

#include "tools/raster.h"

// Every name the generators can draw (without folder), in no particular order.
std::vector<std::string> drawnTextureNames();
// Draws the named texture at full size; false for a name that is not ours.
bool renderTexture(const std::string& name, Image& out);
// The reduced copy for small atlases: half size (at least 4 texels a side), at most 1024 a side.
Image smallCopy(const Image& full);
// The Targa file of an image: 32 bits when any pixel is not opaque, else 24.
std::vector<unsigned char> textureFile(const Image& img);

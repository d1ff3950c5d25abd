// Targa writer for the pack builder: uncompressed true colour (image type 2), rows bottom-up.
#pragma once
#include <vector>

#include "tools/raster.h"

// 32 bits with an alpha channel when withAlpha, else 24 bits; channels rounded from 0..1.
std::vector<unsigned char> encodeTga(const Image& img, bool withAlpha);

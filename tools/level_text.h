// Levels are written by hand as layered text maps (data/levels/N.txt) and packed as .blvl files.
//
// Text form: "layer Z" starts a horizontal layer Z blocks above the origin; the rows that follow
// run from the back (+y) to the front (-y), columns from left (-x) to right (+x); 'o' is a block,
// '.' an empty cell. Rows and columns come in odd numbers so the middle cell sits on the axis.
// '#' starts a comment line.
#pragma once
#include "tools/pack_assets.h"

#include <array>
#include <string>
#include <vector>

constexpr int maxLevelBlocks = 512;
constexpr int levelCount = 10;

// Block centres in world units (multiples of the 32-unit block size).
using LevelPoint = std::array<float, 3>;

// False with a reason (and its line) when the text is not a valid level.
bool parseLevelText(const std::string& text, std::vector<LevelPoint>& points, std::string& error);

// The .blvl bytes: i32 count, then x, y, z as floats per block, little-endian.
std::vector<unsigned char> encodeLevel(const std::vector<LevelPoint>& points);

// "levels\1.blvl" .. "levels\10.blvl" from <sourceDir>/data/levels/1.txt .. 10.txt.
bool generateLevels(const std::string& sourceDir, std::vector<PackAsset>& out, std::string& error);

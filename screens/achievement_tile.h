// The achievement tile (icon, title, description, earned or not) and the achievements page, a
// carousel of nine columns of three tiles.
#pragma once
#include <string>
#include <vector>

#include "game/layout.h"

// The tile centred at (x, y): 0.125 H x scale high, in its image's 474 : 142 proportion.
LayoutRect achievementTileBox(float x, float y, float scale);
// x, y: the tile's centre; scale 1 is full size; alpha 0..1; number 1..27 (any other draws nothing).
void drawAchievementTile(float x, float y, float scale, float alpha, int number);
void renderAchieves();

// The y offsets of a description's lines, in lines: an empty or blank line steps 0.75, others 1.
std::vector<float> descriptionLineSteps(const std::vector<std::string>& lines);
// The status line ("Achievement Unlocked!") of a tile centred at y, th tall, under a description
// whose lines step `line` pixels: at th x 42/142 below the centre, or one line below a longer
// description. Its scale is statusScale x the tile's (smallFont; legible at 720 lines).
inline constexpr float statusScale = 0.75f;
float statusLineY(float y, float th, float line, const std::vector<float>& steps);
// The columns in drawing order for front column p: the far ones rising, then p - 1, p + 1, p.
std::vector<int> carouselColumnOrder(int p);

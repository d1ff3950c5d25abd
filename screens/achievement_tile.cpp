#include "screens/achievement_tile.h"

#include <algorithm>
#include <string>

#include "engine/config.h"
#include "engine/draw2d.h"
#include "engine/fonts.h"
#include "engine/profiler.h"
#include "game/achieve_carousel.h"
#include "game/intro.h"
#include "game/layout.h"
#include "game/page_state.h"
#include "game/play_achievements.h"
#include "screens/menu_base.h"
#include "screens/page_scheme.h"

std::vector<float> descriptionLineSteps(const std::vector<std::string>& lines)
{
    std::vector<float> at;
    float k = 0.0f;
    for (const std::string& line : lines) {
        at.push_back(k);
        k += (line.empty() || line == " ") ? 0.75f : 1.0f;
    }
    return at;
}

float statusLineY(float y, float th, float line, const std::vector<float>& steps)
{
    // A third line of description would run into the status line: it then moves a line lower,
    // still inside the tile.
    const float below = steps.empty() ? 0.0f : y + line * (steps.back() + 1.0f);
    return std::max(y + th * 42.0f / 142.0f, below);
}

namespace {

float tileHeight(float scale) { return 0.125f * static_cast<float>(screenHeight) * scale; }
float tileWidth(float th) { return th * 474.0f / 142.0f; }

} // namespace

LayoutRect achievementTileBox(float x, float y, float scale)
{
    const float th = tileHeight(scale);
    return centredRect(x, y, tileWidth(th), th);
}

void drawAchievementTile(float x, float y, float scale, float alpha, int number)
{
    if (number < 1 || number > 27)
        return;
    const float th = tileHeight(scale);
    const float tw = tileWidth(th);
    const float a = std::clamp(alpha, 0.0f, 1.0f) * 255.0f;
    const bool earned = cheeveEarned[number];
    const float textX = x - tw * 107.0f / 474.0f;

    Render2D(x, y, tw, th, 0, "achi-bg.tga", a);
    Render2D(x - tw * 206.0f / 474.0f, y - th * 42.0f / 142.0f, tw * 86.0f / 474.0f, th * 85.0f / 142.0f, 1,
             earned ? cheeveIcons[number] : "achi-locked.tga", a);
    freetype::print(cheeveTitles[number], textX, y - th * 21.0f / 142.0f, 5, 0.7f * scale, 255, 255, 255, a,
                    &mediumFont);
    const float d = 0.375f * scale;
    const std::vector<std::string> lines = wrapText(cheeveDescriptions[number], mediumFont, d, tw * 316.0f / 474.0f, 0.0f);
    const std::vector<float> steps = descriptionLineSteps(lines);
    const float line = 1.75f * mediumFont.height * d;
    for (std::size_t i = 0; i < lines.size(); ++i)
        freetype::print(lines[i], textX, y + line * steps[i], 5, d, 255, 255, 255, a, &mediumFont);
    freetype::print(earned ? "Achievement Unlocked!" : "Achievement Locked", textX, statusLineY(y, th, line, steps),
                    5, statusScale * scale, 255, 255, 255, a, &smallFont);
}

std::vector<int> carouselColumnOrder(int p)
{
    std::vector<int> order;
    for (int i = 1; i <= 9; ++i)
        if (i < p - 1 || i > p + 1)
            order.push_back(i);
    if (p >= 2)
        order.push_back(p - 1);
    if (p <= 8)
        order.push_back(p + 1);
    order.push_back(p);
    return order;
}

void renderAchieves()
{
    PROFILE_SCOPE("renderAchieves");
    const float w = static_cast<float>(screenWidth / 2), h = static_cast<float>(screenHeight);
    const float cy = static_cast<float>(screenHeight / 2), u = mediumFont.height;
    // The tiles follow the page's unit, which below 4:3 is less than the height the tile measures by.
    const float fit = achievementsUnit() / h;
    renderMenuBase();
    freetype::printShadowed("Achievements", w, cy - 8.0f * u, 2.0f, 0, 1.0f, 255, 255, 255, 255, &mediumFont);
    for (int arrow = 1; arrow <= 2; ++arrow)
        drawImage(achievementsButtonRect(arrow), arrow == 1 ? "arrowleft.tga" : "arrowright.tga", 255.0f);
    for (int column : carouselColumnOrder(std::clamp(achievementPage, 1, 9))) {
        const CarouselSlot& slot = achieveCarousel[column];
        // A shrunken column keeps three quarters of its size and fades out instead (the tile holds
        // its alpha to 0..1).
        const float size = std::max(slot.scale, 0.75f) * fit;
        const float th = 0.125f * h * size;
        for (int row = 0; row < 3; ++row)
            drawAchievementTile(slot.x, cy + (static_cast<float>(row) - 1.0f) * 0.95f * th, size, slot.scale,
                                3 * (column - 1) + row + 1);
    }
    if (hoveredButton == 7) {
        drawHighlight(achievementsButtonRect(7));
        freetype::printShadowed("Back To Previous Menu", w, h - 2.0f * u, 2.0f, 0, 1.0f, 255, 255, 255, 255,
                                &smallFont);
    }
    freetype::printShadowed("Back", w, cy + 9.0f * u, 2.0f, 0, 1.0f, 255, 255, 255, 255, &mediumFont);
}

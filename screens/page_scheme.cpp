#include "screens/page_scheme.h"

#include <algorithm>
#include <vector>

#include "engine/config.h"
#include "engine/draw2d.h"
#include "engine/fonts.h"
#include "game/page_state.h"
#include "screens/menu_base.h"

void pageTextColoured(const std::string& text, float x, float y, int anchor, float scale, float r, float g, float b,
                      float alpha)
{
    freetype::printShadowed(text.c_str(), x, y, 2.0f, anchor, scale, r, g, b, alpha, &mediumFont);
}

void pageText(const std::string& text, float x, float y, int anchor, float scale)
{
    pageTextColoured(text, x, y, anchor, scale, 255, 255, 255, 255);
}

namespace {

std::vector<std::string> sentenceLines(const std::string& text, float scale)
{
    const float room = static_cast<float>(screenWidth) - 2.0f * mediumFont.height;
    const float width = 2.0f * freetype::getWidth(&mediumFont, text) * scale;
    if (width < room || room <= 0.0f)
        return {text};
    // The fewest lines the room allows, evened out: the narrowest box that still takes no more.
    const std::size_t fewest = wrapText(text, mediumFont, scale, room, 0.0f).size();
    const float step = 2.0f * freetype::getWidth(&mediumFont, " ") * scale + 1.0f;
    std::vector<std::string> lines;
    for (float box = width / static_cast<float>(fewest); lines.empty() || lines.size() > fewest; box += step)
        lines = wrapText(text, mediumFont, scale, std::min(box, room), 0.0f);
    for (std::string& line : lines)
        line.erase(line.find_last_not_of(' ') + 1);
    return lines;
}

} // namespace

void drawSentence(const std::string& text, float x, float y, float scale)
{
    const std::vector<std::string> lines = sentenceLines(text, scale);
    for (std::size_t i = 0; i < lines.size(); ++i)
        pageText(lines[i], x, y + 1.5f * mediumFont.height * scale * static_cast<float>(i), 0, scale);
}

void drawImage(const LayoutRect& box, const std::string& texture, float alpha)
{
    Render2D((box.left + box.right) / 2.0f, (box.top + box.bottom) / 2.0f, box.right - box.left, box.bottom - box.top,
             0, texture, alpha);
}

void drawHighlight(const LayoutRect& box)
{
    drawImage(box, "menuonoff.tga", 80.0f);
}

void drawDescription(const char* text)
{
    pageText(text, static_cast<float>(screenWidth / 2), menuDescriptionY(), 0, 0.5f);
}

void drawHeading(const char* text)
{
    drawRowLabel(text, menuHeadingRow);
}

void drawRowLabel(const char* text, float row)
{
    pageText(text, static_cast<float>(screenWidth / 2), menuRowY(row), 0, 1.0f);
}

void drawColumnHover(const ColumnPage& page)
{
    if (const ColumnButton* hovered = findColumnButton(page, hoveredButton)) {
        drawHighlight(menuButtonRect(hovered->row));
        drawDescription(hovered->description);
    }
}

void drawColumnLabels(const ColumnPage& page)
{
    for (int i = 0; i < page.count; ++i)
        drawRowLabel(page.buttons[i].label, page.buttons[i].row);
}

void drawColumnPage(const ColumnPage& page)
{
    renderMenuBase();
    drawColumnHover(page);
    if (page.heading)
        drawHeading(page.heading);
    drawColumnLabels(page);
}

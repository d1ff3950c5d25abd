#include "screens/page_scheme.h"

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

#include "screens/ranking_page.h"

#include "engine/config.h"
#include "engine/draw2d.h"
#include "engine/fonts.h"
#include "engine/profiler.h"
#include "game/game_types.h"
#include "game/layout.h"
#include "game/main_menu.h"
#include "game/page_state.h"
#include "game/states.h"
#include "online/rankings.h"
#include "online/requests.h"
#include "screens/menu_base.h"
#include "screens/page_scheme.h"

#include <string>

namespace {

float halfW() { return static_cast<float>(screenWidth / 2); }
float halfH() { return static_cast<float>(screenHeight / 2); }
constexpr float rowScale = 0.5f;
float rowTextWidth(const std::string& text) { return 2.0f * freetype::getWidth(&mediumFont, text) * rowScale; }

// A name or number wider than the room its column leaves is cut to fit, ending in "...".
std::string fitText(const std::string& text, float room)
{
    if (rowTextWidth(text) <= room)
        return text;
    const float keep = room - rowTextWidth("...");
    std::string cut;
    float used = 0.0f;
    for (char ch : text) {
        used += rowTextWidth(std::string(1, ch));
        if (used > keep)
            break;
        cut += ch;
    }
    return cut + "...";
}

void heading()
{
    const float s = rankingModeScale, y = rankingModeY();
    pageText("Online Ranking", halfW(), halfH() - 8.0f * mediumFont.height, 0, 1.0f);
    pageText(rankingModeName(gameMode), halfW(), y, 0, s);
    pageText("<", rankingModeArrowX(-1), y, 0, s);
    pageText(">", rankingModeArrowX(1), y, 0, s);
}

void table(const RankingScrollBar& bar)
{
    const float T = bar.tableWidth, S = bar.tableHeight, r = bar.rowHeight, yc = bar.centreY;
    drawColourQuad(halfW(), bar.rowY(0), T, r, 0, 255, 255, 255, 5);
    for (int i = 1; i <= 10; ++i) {
        const float alpha = rankingList.empty() || i % 2 == 1 ? 15.0f : 30.0f;
        drawColourQuad(halfW() - r / 2.0f, bar.rowY(i), T - r, r, 0, 255, 255, 255, alpha);
    }
    drawLineLoop(halfW(), yc - r / 2.0f, T, S, 0, 255, 255, 255, 50, 2.0f);
    // The line under the header and the scroll column's left edge, as outlines of no width.
    drawLineLoop(halfW(), yc - S / 2.0f + r / 2.0f, T, 0.0f, 0, 255, 255, 255, 50, 2.0f);
    drawLineLoop(halfW() + T / 2.0f - r, yc, 0.0f, S - r, 0, 255, 255, 255, 50, 2.0f);
}

void rowTexts(const RankingScrollBar& bar, int first)
{
    const float T = bar.tableWidth, u = mediumFont.height;
    const float rankX = halfW() - 0.4f * T, nameX = halfW() - 0.25f * T, pointsX = halfW() + 0.3f * T;
    // A name ends a twentieth of the table short of the skill points, the skill points half a row
    // short of the scroll column.
    const float nameRoom = pointsX - nameX - 0.05f * T;
    const float pointsRoom = halfW() + T / 2.0f - bar.rowHeight * 1.5f - pointsX;
    enableCapability(GL_TEXTURE_2D);
    const float headerY = bar.rowY(0) + u / 4.0f;
    freetype::print("Rank", rankX, headerY, 6, rowScale, 255, 255, 255, 255, &mediumFont);
    freetype::print("Name", nameX, headerY, 5, rowScale, 255, 255, 255, 255, &mediumFont);
    freetype::print("Skillpoints", pointsX, headerY, 5, rowScale, 255, 255, 255, 255, &mediumFont);
    for (int i = 1; i <= 10; ++i) {
        const std::size_t index = static_cast<std::size_t>(first + i - 1);
        if (index >= rankingList.size())
            break;
        const RankingRowView view = rankingRowView(rankingList[index]);
        const float y = bar.rowY(i) + u / 4.0f;
        freetype::print(std::to_string(index + 1), rankX, y, 6, rowScale, 255, 255, 255, 255, &mediumFont);
        freetype::print(fitText(view.name, nameRoom), nameX, y, 5, rowScale, 255, 255, view.player ? 0 : 255, 255,
                        &mediumFont);
        freetype::print(fitText(view.points, pointsRoom), pointsX, y, 5, rowScale, 255, 255, 255, 255, &mediumFont);
    }
}

void scrollColumn(const RankingScrollBar& bar, int rows)
{
    const float r = bar.rowHeight, x = bar.columnX;
    drawColourQuad(x, bar.rowY(1), r, r, 0, 255, 255, 255, 30);
    Render2D(x, bar.rowY(1), r, r, 0, "arrowup.tga", 255.0f);
    drawColourQuad(x, bar.rowY(10), r, r, 0, 255, 255, 255, 30);
    Render2D(x, bar.rowY(10), r, r, 0, "arrowdown.tga", 255.0f);
    if (rows > 10)
        drawColourQuad(x, bar.trackTop + bar.thumbOffset, r, bar.thumbLength, 7, 255, 255, 255, 60);
}

void buttons()
{
    enableCapability(GL_TEXTURE_2D);
    if (hoveredButton == 5 || hoveredButton == 6)
        drawHighlight(rankingButtonRect(hoveredButton));
    pageText("Back", rankingButtonX(5), rankingButtonsY(), 5, 0.75f);
    pageText("Find Me", rankingButtonX(6), rankingButtonsY(), 6, 0.75f);
}

void spinner(const RankingScrollBar& bar)
{
    const float side = static_cast<float>(screenHeight) * 64.0f / 1050.0f;
    glPushMatrix();
    glTranslatef(halfW(), bar.centreY, 0.0f);
    glRotatef(menuSpinAngle, 0.0f, 0.0f, 1.0f);
    Render2D(0.0f, 0.0f, side, side, 0, "loadingbar.tga", 175.0f);
    glPopMatrix();
}

} // namespace

void renderRanking()
{
    PROFILE_SCOPE("renderRanking");
    renderMenuBase();
    const int rows = static_cast<int>(rankingList.size());
    const RankingScrollBar bar = rankingScrollBar(rows, rankingScroll);
    heading();
    table(bar);
    rowTexts(bar, rankingScroll);
    scrollColumn(bar, rows);
    buttons();
    if (offlineMode == 99)
        pageText("Online Ranking is unavailable in Offline Mode.", halfW(), bar.centreY, 0, 0.5f);
    else if (!rankingAtEnd)
        spinner(bar);
    if (findingPlayer)
        pageText("Finding...", halfW(), bar.centreY, 0, 0.5f);
}

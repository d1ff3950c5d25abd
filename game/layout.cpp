#include "game/layout.h"

#include <algorithm>
#include <cmath>

#include "engine/config.h"
#include "engine/fonts.h"
#include "engine/window.h"
#include "game/score_screen.h"
#include "game/states.h"
#include "game/tutorials.h"
#include "online/rankings.h"

namespace {

// The integer halves of the screen, as the pages centre on them.
float halfWidth() { return static_cast<float>(screenWidth / 2); }
float halfHeight() { return static_cast<float>(screenHeight / 2); }
float width() { return static_cast<float>(screenWidth); }
float height() { return static_cast<float>(screenHeight); }

// The width the menu bars are sized by (the window's, or w). Their words follow the height: below
// 4:3 a bar keeps the size it has on a 4:3 window of that height, or a long word would outgrow it.
float barBasis(float w = width()) { return std::max(w, 4.0f / 3.0f * height()); }

// The height of a stacked bar and of a level button: 55/1680 of the bar basis, but never more
// than the rows' spacing (2u), so that on a wide window a bar stays on its own row.
float barHeight() { return std::min(barBasis() / 1680.0f * 55.0f, 2.0f * mediumFont.height); }

// The pause popup's units: the window height P, the width unit B and the text unit u.
// The window and its labels follow the height: below 16:10 B keeps the size it has on a 16:10
// window of that height, or a long label would outgrow its box.
float popupHeight() { return 0.3f * static_cast<float>(screenHeight); }
float popupWidthUnit() { return 0.03f * std::max(basisWidth(), 1.6f * height()); }

// Half the width of a popup label (drawn at scale 0.75): the label's middle from its edge.
float labelHalf(const char* text) { return freetype::getWidth(&mediumFont, text) * 0.75f; }

// A pair of buttons at the popup window's left and right edges, each box centred on its label.
LayoutRect edgeButton(int button, float y, const char* left, const char* right)
{
    const float u = mediumFont.height;
    const float p = popupHeight();
    const float x = button == 1 ? halfWidth() - p / 2.0f + labelHalf(left)
                                : halfWidth() + p / 2.0f - labelHalf(right);
    return centredRect(x, y, 4.0f * popupWidthUnit(), 1.4f * u);
}

// The distance of a step arrow's centre from the middle of the value it steps (centred, widest
// wide at most, the arrow drawn at scale): `least`, or further out where the value would come
// within gap x scale of the arrow.
float stepArrowOffset(float least, float widest, float scale, float gap)
{
    return std::max(least, widest / 2.0f + scale * (gap + freetype::getWidth(&mediumFont, "<")));
}

LayoutRect fromScreenRect(const ScreenRect& box)
{
    LayoutRect r;
    r.left = static_cast<float>(box.left);
    r.top = static_cast<float>(box.top);
    r.right = static_cast<float>(box.right);
    r.bottom = static_cast<float>(box.bottom);
    return r;
}

} // namespace

float basisWidth()
{
    return std::min(width(), height() * 16.0f / 9.0f);
}

LayoutRect centredRect(float cx, float cy, float w, float h)
{
    LayoutRect r;
    r.left = cx - w / 2.0f;
    r.right = cx + w / 2.0f;
    r.top = cy - h / 2.0f;
    r.bottom = cy + h / 2.0f;
    return r;
}

float powerupSlotSide()
{
    return 0.05f * basisWidth();
}

LayoutRect powerupCardRect(int kind)
{
    static const float centres[3] = {1.0f, 2.25f, 3.5f};
    const float s = powerupSlotSide();
    const float cx = s * centres[kind < 0 ? 0 : kind > 2 ? 2 : kind];
    return centredRect(cx, height() - s, s, s);
}

LayoutRect powerupNoticeRect()
{
    const float w = 0.6f * basisWidth();
    return centredRect(halfWidth(), halfHeight(), w, w / 700.0f * 143.0f);
}

float powerupCardTextX()
{
    return 4.25f * powerupSlotSide();
}

float hudInset()
{
    return 0.05f * height();
}

float hudTopLine()
{
    return 0.1f * height();
}

float hudBottomLine()
{
    return height() - 0.025f * basisWidth();
}

float carriedCubeEdge()
{
    return 0.075f * height();
}

LayoutRect carriedCubeRect()
{
    // Half an edge turned about the upright axis reaches out by up to a half diagonal, and the
    // 25 degree tilt adds part of that depth to the height.
    const float e = carriedCubeEdge(), tilt = 25.0f * 3.1415927f / 180.0f;
    const float diagonal = std::sqrt(2.0f);
    return centredRect(width() - 0.1f * height(), height() - 0.2f * height(), e * diagonal,
                       e * (std::cos(tilt) + diagonal * std::sin(tilt)));
}

LayoutRect tutorialCardRect(int page)
{
    // One scale for every picture: 482 of its pixels are a quarter of the basis width.
    const float unit = 0.25f * basisWidth() / 482.0f;
    const float w = width(), h = height(), cx = halfWidth(), cy = halfHeight();
    switch (page) {
    case tutorialPowerup: {
        // Its bottom edge on the powerup slots' top.
        const float pw = 482.0f * unit, ph = pw * 231.0f / 482.0f, bottom = powerupCardRect(0).top;
        return centredRect(0.4f * powerupSlotSide() + pw / 2.0f, bottom - ph / 2.0f, pw, ph);
    }
    case tutorialCrit: return centredRect(cx, 0.12f * h, 482.0f * unit, 231.0f * unit);
    case tutorialCombo:
    case tutorialComboNow: {
        // Mirrored about the middle, with a gap of 0.15 basis widths between them.
        const float mw = 498.0f * unit, offset = 0.075f * basisWidth() + mw / 2.0f;
        return centredRect(page == tutorialCombo ? cx + offset : cx - offset, cy, mw, 214.0f * unit);
    }
    case tutorialColour: return centredRect(w - 0.4f * h, 0.8f * h, 498.0f * unit, 214.0f * unit);
    default: return centredRect(cx, cy, 628.0f * unit, 272.0f * unit);
    }
}

float pointerSide()
{
    return 0.04f * basisWidth();
}

LayoutRect pauseMenuButtonRect(int button)
{
    const float k = 0.9f;
    const float u = mediumFont.height;
    const float row = 1.875f * k * u * static_cast<float>(button - 2);
    return centredRect(halfWidth(), halfHeight() - 0.45f * u + row, 6.0f * popupWidthUnit(), 1.75f * k * u);
}

LayoutRect resetPromptButtonRect(int button)
{
    const float y = halfHeight() + 0.1f * popupHeight() - 0.4f * mediumFont.height;
    return edgeButton(button, y, "Yes", "No");
}

LayoutRect serverWaitButtonRect()
{
    const float u = mediumFont.height;
    return centredRect(halfWidth(), halfHeight() + 0.4f * popupHeight() - 0.4f * u, 8.0f * popupWidthUnit(),
                       1.4f * u);
}

LayoutRect offlineConfirmButtonRect(int button)
{
    const float y = halfHeight() + 0.4f * popupHeight() - 0.4f * mediumFont.height;
    return edgeButton(button, y, "Back", "Continue");
}

float scoreColumnX(int column)
{
    // The text follows the height: on a window narrower than 16:10 the columns keep the spacing
    // they would have on a 16:10 window of that height, so labels and values stay apart.
    const float span = 0.15f * std::max(width(), 1.6f * height());
    return halfWidth() + scoreScreenSlide + span * static_cast<float>(column);
}

LayoutRect scorePageButtonRect(int button)
{
    // Its columns' rule: the boxes keep their 16:10 size below 16:10, as their words do.
    const float b = 0.035f * std::max(basisWidth(), 1.6f * height());
    const float y = menuRowY(scoreButtonRow) - mediumFont.height / 2.0f;
    const float middle = scoreColumnX(0);
    const float retry = scoreColumnX(-1) + freetype::getWidth(&mediumFont, "Retry");
    const float quit = scoreColumnX(1) - freetype::getWidth(&mediumFont, "Quit");
    // A box is no wider than the distance to its neighbour's centre, so no two overlap.
    float x = middle, room = std::min(middle - retry, quit - middle);
    if (button == 1)
        x = retry, room = middle - retry;
    else if (button == 3)
        x = quit, room = quit - middle;
    return centredRect(x, y, std::min(4.0f * b, room), 0.8f * b);
}

LayoutRect achievementsButtonRect(int button)
{
    switch (button) {
    case 1: return achievementArrowRect(-1);
    case 2: return achievementArrowRect(1);
    case 7: return menuButtonRect(4.5f);
    default: return LayoutRect();
    }
}

bool pointerInside(const LayoutRect& rect)
{
    const float x = static_cast<float>(mouseX), y = static_cast<float>(mouseY);
    return x > rect.left && x < rect.right && y > rect.top && y < rect.bottom;
}

float menuRowY(float k)
{
    return halfHeight() + mediumFont.height * 2.0f * k;
}

LayoutRect menuButtonRect(float k)
{
    return centredRect(halfWidth(), menuRowY(k) - mediumFont.height / 2.75f, barBasis() / 1680.0f * 525.0f, barHeight());
}

float menuDescriptionY()
{
    return height() - 0.04f * height();
}

float levelColumnX(int level)
{
    return halfWidth() + (level <= 5 ? -0.1f : 0.1f) * height();
}

float levelRow(int level)
{
    return static_cast<float>(level <= 5 ? level - 3 : level - 8);
}

LayoutRect levelButtonRect(int level)
{
    // No wider than the columns' spacing (0.2 H), which a wide window would otherwise exceed.
    const float w = std::min(barBasis() / 1680.0f * 200.0f, 0.2f * height());
    return centredRect(levelColumnX(level), menuRowY(levelRow(level)) - mediumFont.height / 2.75f, w, barHeight());
}

namespace {

const char* const backDescription = "Back To Previous Menu";

const ColumnButton mainMenuButtons[] = {
    {1, -3, "Start Game", "Start A New Game"},
    {2, -2, "Switch Player", "Create/Switch Profiles"},
    {3, -1, "Online Ranking", "View Player Statistics and Leaderboards"},
    {7, 0, "Achievements", "View Player Achievements"},
    {4, 1, "Options", "Customize Visual and Audio Settings"},
    {5, 2, "Credits", "View Developer Credits"},
    {6, 3, "Quit", "Exit the Game"},
};
const ColumnButton gameTypeButtons[] = {
    {1, -2, "Classic", "Standard Game Type, Level Progression"},
    {2, -1, "Survival", "Survival Game Type, Survive Multiple Stages, Earn The Highest Score!"},
    {3, 0, "Meditation", "Meditation Game Type, Relax and Stratergize, Build The Biggest Combos You Can"},
    {4, 1, "Rush", "Rush Game Type, Save Your Score! Destroy The Mass As Quickly As Possible!"},
    {6, 3, "Back", backDescription},
};
const ColumnButton difficultyButtons[] = {
    {1, -2, "Casual", "For Casual Gamers."},
    {2, -1, "Normal", "For Normal Gamers."},
    {3, 0, "Expert", "For Experienced Gamers."},
    {7, 2, "Back", backDescription},
};
const ColumnButton rankedChoiceButtons[] = {
    {1, -2, "Ranked", "Ranked Mode: Play On The Leaderboards. Earn Ranks, Skillpoints & Achievements."},
    {2, -1, "Practice", "Practice Mode: Increase Your Skill In This Unranked Training Mode."},
    {7, 2, "Back", backDescription},
};
const ColumnButton levelSelectBackButton[] = {{7, 4, "Back", backDescription}};

template <int N>
constexpr ColumnPage columnPage(const char* heading, const ColumnButton (&buttons)[N])
{
    return ColumnPage{heading, buttons, N};
}

} // namespace

const ColumnPage mainMenuPage = columnPage(nullptr, mainMenuButtons);
const ColumnPage gameTypePage = columnPage("Game Mode", gameTypeButtons);
const ColumnPage difficultyPage = columnPage("Difficulty", difficultyButtons);
const ColumnPage rankedChoicePage = columnPage("Play Mode", rankedChoiceButtons);
const ColumnPage levelSelectBackPage = columnPage("Level Select", levelSelectBackButton);

const ColumnButton* findColumnButton(const ColumnPage& page, int button)
{
    for (int i = 0; i < page.count; ++i)
        if (page.buttons[i].button == button)
            return &page.buttons[i];
    return nullptr;
}

int hitColumnPage(const ColumnPage& page)
{
    for (int i = 0; i < page.count; ++i)
        if (pointerInside(menuButtonRect(page.buttons[i].row)))
            return page.buttons[i].button;
    return 0;
}

int hitButtons(LayoutRect (*buttonRect)(int), int count)
{
    int hit = 0;
    for (int button = 1; button <= count; ++button)
        if (pointerInside(buttonRect(button)))
            hit = button;
    return hit;
}

LayoutRect socialIconRect(int icon)
{
    static const float fromRight[3] = {3.5f, 2.25f, 1.0f};
    const float u = 0.04f * height();
    const float cx = width() - fromRight[icon < 0 ? 0 : icon > 2 ? 2 : icon] * u;
    return centredRect(cx, height() - u, u, u);
}

float achievementsUnit()
{
    return std::min(height(), 0.75f * width());
}

LayoutRect achievementArrowRect(int side)
{
    const float h = achievementsUnit();
    const float cx = side < 0 ? 0.1f * h : width() - 0.1f * h;
    return centredRect(cx, halfHeight(), 0.05f * h, 0.05f * h);
}

float optionsRowY(int row)
{
    return 0.4f * height() + mediumFont.height * optionsTextScale * 2.0f * static_cast<float>(row - 1);
}

float optionsLabelX(float widestLabel, float widestValue)
{
    // 0.3 W, or further left where the widest label would come within a text height of the left
    // arrows: twice the room an arrow keeps from its value, so that the arrow reads with the value.
    // Never nearer the edge than half a text height (a window far taller than wide).
    const float s = optionsTextScale, u = s * mediumFont.height;
    const float arrow = optionsArrowX(-1, widestValue) - s * freetype::getWidth(&mediumFont, "<");
    return std::max(0.5f * u, std::min(0.3f * width(), arrow - u - widestLabel));
}

float optionsValueX()
{
    const float w = width();
    return w - 0.06f * w - 0.3f * w;
}

float optionsArrowX(int side, float widestValue)
{
    // 0.06 W from the value column, or as far as keeps a text height's half between the widest
    // value and the arrow.
    const float s = optionsTextScale;
    const float offset = stepArrowOffset(0.06f * width(), widestValue, s, 0.5f * mediumFont.height);
    return optionsValueX() + (side < 0 ? -1.0f : 1.0f) * offset;
}

LayoutRect optionsArrowRect(int row, int side, float widestValue)
{
    return fromScreenRect(freetype::bbox(side < 0 ? "<" : ">", optionsArrowX(side, widestValue), optionsRowY(row), &mediumFont, 0,
                                         optionsTextScale));
}

namespace {

// On the middle of the text line the words are drawn on (the unscaled half width of "Back" puts
// the first a little right of the word's middle).
LayoutRect optionsButton(float x)
{
    // The words follow the height: below 4:3 the boxes keep the size of a 4:3 window's.
    const float b = 0.03f * barBasis(basisWidth());
    const float y = optionsRowY(optionsRowCount) - optionsTextScale * mediumFont.height / 2.0f;
    return centredRect(x, y, 4.0f * b, 0.8f * b);
}

} // namespace

LayoutRect optionsBackRect(float labelX)
{
    return optionsButton(labelX + freetype::getWidth(&mediumFont, "Back"));
}

LayoutRect optionsSaveRect()
{
    return optionsButton(optionsValueX());
}

bool entryTextFits(const std::string& shown, float boxShare, float scale)
{
    return freetype::getWidth(&mediumFont, shown) * 2.0f * scale < height() * boxShare * 0.875f;
}

LayoutRect entryButtonRect(float k)
{
    return centredRect(halfWidth(), menuRowY(k) - smallFont.height / 2.75f, barBasis() / 1680.0f * 525.0f, barHeight());
}

RankingScrollBar rankingScrollBar(int rows, int scroll)
{
    const float h = height();
    RankingScrollBar bar;
    bar.centreY = halfHeight() + 0.03f * h;
    bar.tableWidth = h / 1.4f;
    bar.tableHeight = h / 3.4f;
    bar.rowHeight = bar.tableHeight / 11.0f;
    bar.columnX = halfWidth() + bar.tableWidth / 2.0f - bar.rowHeight / 2.0f;

    bar.trackTop = bar.centreY - bar.tableHeight / 2.0f + bar.rowHeight * 1.5f;
    bar.trackLength = 8.0f * bar.rowHeight;
    bar.naturalThumb = rows > 0 ? 10.0f / static_cast<float>(rows) * bar.trackLength : bar.trackLength;
    bar.thumbLength = bar.naturalThumb;
    bar.usableLength = bar.trackLength;
    // A long list would make the thumb a sliver: it keeps half a row, and the track it runs on
    // shortens by what that adds, so its bottom still meets the track's at the last row.
    if (bar.thumbLength < bar.rowHeight / 2.0f) {
        bar.usableLength = bar.trackLength - (bar.rowHeight / 2.0f - bar.thumbLength);
        bar.thumbLength = bar.rowHeight / 2.0f;
    }
    bar.thumbOffset = rows > 0 ? static_cast<float>(scroll) / static_cast<float>(rows) * bar.usableLength : 0.0f;
    bar.track = centredRect(bar.columnX, bar.trackTop + bar.trackLength / 2.0f, bar.rowHeight, bar.trackLength);
    bar.thumb = centredRect(bar.columnX, bar.trackTop + bar.thumbOffset + bar.thumbLength / 2.0f, bar.rowHeight,
                            bar.thumbLength);
    return bar;
}

float rankingButtonsY()
{
    return halfHeight() + 8.0f * mediumFont.height;
}

float rankingButtonX(int button)
{
    const float offset = height() / 1.4f / 2.25f;
    return button == 5 ? halfWidth() - offset : halfWidth() + offset;
}

LayoutRect rankingButtonRect(int button)
{
    const RankingScrollBar bar = rankingScrollBar(0, 0);
    const float r = bar.rowHeight;
    const float top = bar.centreY - bar.tableHeight / 2.0f;
    switch (button) {
    case 2: return centredRect(bar.columnX, top + r, r, r);
    case 3: return centredRect(bar.columnX, top + 10.0f * r, r, r);
    case 5:
    case 6: {
        // Centred on the unscaled label, which starts ("Back") or ends ("Find Me") at its x.
        const float half = freetype::getWidth(&mediumFont, button == 5 ? "Back" : "Find Me");
        const float x = button == 5 ? rankingButtonX(5) + half : rankingButtonX(6) - half;
        // Past 16:9 a wider bar would reach up over the scroll column's down arrow.
        const float w = barBasis(basisWidth());
        return centredRect(x, rankingButtonsY() - 0.375f * mediumFont.height, 0.12f * w, 0.024f * w);
    }
    default: return LayoutRect();
    }
}

float rankingModeY()
{
    return halfHeight() - 6.5f * mediumFont.height;
}

float rankingModeArrowX(int side)
{
    // 0.05 W from the middle, or as far out as keeps a blank's width between the widest mode name
    // and the arrow, so that stepping never moves the arrow under the pointer.
    const float s = rankingModeScale;
    float widest = 0.0f;
    for (int mode = gm::Overall; mode <= gm::Meditation; ++mode)
        widest = std::max(widest, 2.0f * s * freetype::getWidth(&mediumFont, rankingModeName(mode)));
    const float offset = stepArrowOffset(0.05f * width(), widest, s, 2.0f * freetype::getWidth(&mediumFont, " "));
    return halfWidth() + (side < 0 ? -offset : offset);
}

LayoutRect rankingModeArrowRect(int side)
{
    return fromScreenRect(
        freetype::bbox(side < 0 ? "<" : ">", rankingModeArrowX(side), rankingModeY(), &mediumFont, 0, rankingModeScale));
}

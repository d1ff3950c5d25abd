#include "game/layout.h"

#include "engine/config.h"
#include "engine/fonts.h"
#include "engine/window.h"
#include "game/input.h"

namespace {

// The integer halves of the screen, as the pages centre on them.
float halfWidth() { return static_cast<float>(screenWidth / 2); }
float halfHeight() { return static_cast<float>(screenHeight / 2); }
float width() { return static_cast<float>(screenWidth); }
float height() { return static_cast<float>(screenHeight); }

// The pause popup's units: the window height P, the width unit B and the text unit u.
float popupHeight() { return 0.3f * static_cast<float>(screenHeight); }
float popupWidthUnit() { return 0.03f * static_cast<float>(screenWidth); }

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

LayoutRect fromScreenRect(const ScreenRect& box)
{
    LayoutRect r;
    r.left = static_cast<float>(box.left);
    r.top = static_cast<float>(box.top);
    r.right = static_cast<float>(box.right);
    r.bottom = static_cast<float>(box.bottom);
    return r;
}

// The hit boxes of "Back" and "Save" sit half a text height below the baseline they are drawn on.
float optionsButtonHitY()
{
    const float su = mediumFont.height * optionsTextScale;
    return optionsRowY(optionsRowCount) + su / 2.0f;
}

} // namespace

LayoutRect centredRect(float cx, float cy, float w, float h)
{
    LayoutRect r;
    r.left = cx - w / 2.0f;
    r.right = cx + w / 2.0f;
    r.top = cy - h / 2.0f;
    r.bottom = cy + h / 2.0f;
    return r;
}

LayoutRect powerupCardRect(int kind)
{
    static const float centres[3] = {1.0f, 2.25f, 3.5f};
    const float s = 0.05f * static_cast<float>(screenWidth);
    const float h = static_cast<float>(screenHeight);
    const float cx = s * centres[kind < 0 ? 0 : kind > 2 ? 2 : kind];
    LayoutRect r;
    r.left = cx - s / 2.0f;
    r.right = cx + s / 2.0f;
    r.top = h - 1.5f * s;
    r.bottom = h - 0.5f * s;
    return r;
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

LayoutRect scorePageButtonRect(int button)
{
    const float w = static_cast<float>(screenWidth);
    const float m = mediumFont.height;
    const float b = 0.035f * w;
    const float y = halfHeight() + m * 2.0f * 4.2f - m / 2.0f;
    float x = halfWidth();
    if (button == 1)
        x = halfWidth() - 0.15f * w + freetype::getWidth(&mediumFont, "Retry");
    else if (button == 3)
        x = halfWidth() + 0.15f * w - freetype::getWidth(&mediumFont, "Quit");
    return centredRect(x, y, 4.0f * b, 0.8f * b);
}

LayoutRect achievementsButtonRect(int button)
{
    const float w = static_cast<float>(screenWidth), h = static_cast<float>(screenHeight);
    const float u = mediumFont.height;
    switch (button) {
    case 1: return centredRect(0.1f * h, halfHeight(), 0.05f * h, 0.05f * h);
    case 2: return centredRect(w - 0.1f * h, halfHeight(), 0.05f * h, 0.05f * h);
    case 7: return centredRect(halfWidth(), halfHeight() + u * 2.0f * 4.5f - u / 2.75f, w / 1680.0f * 525.0f,
                               w / 1680.0f * 55.0f);
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
    const float scale = width() / 1680.0f;
    return centredRect(halfWidth(), menuRowY(k) - mediumFont.height / 2.75f, scale * 525.0f, scale * 55.0f);
}

LayoutRect levelButtonRect(int level)
{
    const bool left = level <= 5;
    const float x = halfWidth() + (left ? -0.1f : 0.1f) * height();
    const float row = static_cast<float>(left ? level - 3 : level - 8);
    const float scale = width() / 1680.0f;
    return centredRect(x, menuRowY(row) - mediumFont.height / 2.75f, scale * 200.0f, scale * 55.0f);
}

LayoutRect socialIconRect(int icon)
{
    static const float fromRight[3] = {3.5f, 2.25f, 1.0f};
    const float u = 0.04f * height();
    const float cx = width() - fromRight[icon < 0 ? 0 : icon > 2 ? 2 : icon] * u;
    return centredRect(cx, height() - u, u, u);
}

LayoutRect achievementArrowRect(int side)
{
    const float h = height();
    const float cx = side < 0 ? 0.1f * h : width() - 0.1f * h;
    return centredRect(cx, halfHeight(), 0.05f * h, 0.05f * h);
}

float optionsRowY(int row)
{
    return 0.4f * height() + mediumFont.height * optionsTextScale * 2.0f * static_cast<float>(row - 1);
}

LayoutRect optionsArrowRect(int row, int side)
{
    const float w = width();
    const float x = side < 0 ? w - 0.3f * w - 0.06f * w - 0.06f * w : w - 0.3f * w - 0.06f * w + 0.06f * w;
    return fromScreenRect(
        freetype::bbox(side < 0 ? "<" : ">", x, optionsRowY(row), &mediumFont, 0, optionsTextScale));
}

LayoutRect optionsBackRect()
{
    return fromScreenRect(
        freetype::bbox("Back", 0.3f * width(), optionsButtonHitY(), &mediumFont, 5, optionsTextScale));
}

LayoutRect optionsSaveRect()
{
    const float w = width();
    return fromScreenRect(
        freetype::bbox("Save", w - 0.06f * w - 0.3f * w, optionsButtonHitY(), &mediumFont, 0, optionsTextScale));
}

LayoutRect entryButtonRect(float k)
{
    const float scale = width() / 1680.0f;
    return centredRect(halfWidth(), menuRowY(k) - smallFont.height / 2.75f, scale * 525.0f, scale * 55.0f);
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
        const float w = width();
        return centredRect(x, rankingButtonsY() - 0.375f * mediumFont.height, 0.12f * w, 0.024f * w);
    }
    default: return LayoutRect();
    }
}

LayoutRect rankingModeArrowRect(int side)
{
    const float x = halfWidth() + (side < 0 ? -0.05f : 0.05f) * width();
    return fromScreenRect(freetype::bbox(side < 0 ? "<" : ">", x, halfHeight() - 6.5f * mediumFont.height, &mediumFont,
                                         0, 0.75f));
}

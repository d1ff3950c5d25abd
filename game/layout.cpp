#include "game/layout.h"

#include "engine/config.h"
#include "engine/fonts.h"
#include "engine/window.h"
#include "game/input.h"

namespace {

// The integer halves of the screen, as the pages centre on them.
float halfWidth() { return static_cast<float>(screenWidth / 2); }
float halfHeight() { return static_cast<float>(screenHeight / 2); }

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

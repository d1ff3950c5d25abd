#include "game/layout.h"

#include "engine/config.h"
#include "engine/window.h"

ScreenRect powerupCardRect(int kind)
{
    static const float centres[3] = {1.0f, 2.25f, 3.5f};
    const float s = 0.05f * static_cast<float>(screenWidth);
    const float h = static_cast<float>(screenHeight);
    const float cx = s * centres[kind < 0 ? 0 : kind > 2 ? 2 : kind];
    ScreenRect r;
    r.left = cx - s / 2.0f;
    r.right = cx + s / 2.0f;
    r.top = h - 1.5f * s;
    r.bottom = h - 0.5f * s;
    return r;
}

bool pointerInside(const ScreenRect& rect)
{
    const float x = static_cast<float>(mouseX), y = static_cast<float>(mouseY);
    return x > rect.left && x < rect.right && y > rect.top && y < rect.bottom;
}

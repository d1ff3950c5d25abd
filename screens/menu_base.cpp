#include "screens/menu_base.h"

#include <algorithm>

#include "engine/config.h"
#include "engine/draw2d.h"
#include "engine/fonts.h"
#include "engine/main.h"
#include "engine/profiler.h"
#include "game/intro.h"
#include "game/layout.h"
#include "online/login.h"
#include "online/requests.h"
#include "screens/backdrop.h"

LogoPlace logoPlace()
{
    const float w = basisWidth(), h = static_cast<float>(screenHeight);
    // A little wider than the image's 629 : 101 proportion.
    return {static_cast<float>(screenWidth / 2), 0.12f * h, w / 2.75f, w / 3.0f / 629.0f * 101.0f};
}

void renderMenuBase()
{
    PROFILE_SCOPE("renderMenuBase");
    const float w = static_cast<float>(screenWidth), h = static_cast<float>(screenHeight);
    Render2D(static_cast<float>(screenWidth / 2), static_cast<float>(screenHeight / 2), w, h / 1050.0f * 542.0f, 0,
             "titlegrid.tga", 255.0f);
    const LogoPlace logo = logoPlace();
    Render2D(logo.x, logo.y, logo.w, logo.h, 0, "tessarinelogo.tga", 255.0f);

    // Both corner lines take their height from the width, as their inset does, but on a window
    // taller than wide no less than their text's height, which follows the window's height.
    const float inset = 0.01f * w, y = std::max(inset, 0.75f * smallFont.height);
    const std::string status = offlineMode == 99 ? "Offline Mode" : "Logged in as: " + loggedInName;
    freetype::printShadowed(status.c_str(), w - inset, y, 2.0f, 6, 0.75f, 255, 255, 255, 255, &smallFont);
    if (!gameVersion.empty())
        freetype::printShadowed(gameVersion.c_str(), inset, y, 2.0f, 5, 0.75f, 255, 255, 255, 255, &smallFont);
}

void DrawQuorvaneTitle()
{
    PROFILE_SCOPE("DrawQuorvaneTitle");
    const float half = static_cast<float>(screenWidth / 2);
    Render2D(half, static_cast<float>(screenHeight / 2), half, half / 850.0f * 370.0f, 0, introTitleTexture, 255.0f);
}

void renderIntro()
{
    PROFILE_SCOPE("renderIntro");
    DrawQuorvaneTitle();
    renderFadeIn();
}

#include "screens/patching_page.h"

#include "engine/config.h"
#include "engine/fonts.h"
#include "engine/profiler.h"
#include "game/score_screen.h"
#include "online/patching.h"
#include "screens/menu_base.h"

namespace {

void whiteShadowed(const std::string& text, float x, float y, int anchor, float scale, const Font* font)
{
    freetype::printShadowed(text.c_str(), x, y, 2.0f, anchor, scale, 255, 255, 255, 255, font);
}

}

void renderPatching()
{
    ProfileScope profile("renderPatching");
    renderMenuBase();
    const float h = static_cast<float>(screenHeight);
    const float centreX = static_cast<float>(screenWidth / 2) + scoreScreenSlide;
    const float centreY = static_cast<float>(screenHeight / 2);
    const float u = mediumFont.height;
    // Labels start and values end 0.3 of the height from the centre, on every aspect ratio.
    const float left = centreX - 0.3f * h, right = centreX + 0.3f * h;
    PatchingTexts texts = patchingTexts();
    whiteShadowed("Patching", centreX, centreY - 7.0f * u, 0, 0.65f, &largeFont);
    whiteShadowed("Downloaded: ", left, centreY, 5, 1.0f, &mediumFont);
    whiteShadowed(texts.downloaded + " / " + texts.total + " MB", right, centreY, 6, 1.0f, &mediumFont);
    whiteShadowed("Speed:", left, centreY + 2.0f * u, 5, 1.0f, &mediumFont);
    whiteShadowed(texts.speed + " KB/s", right, centreY + 2.0f * u, 6, 1.0f, &mediumFont);
}

#include "screens/patching_page.h"

#include "engine/config.h"
#include "engine/fonts.h"
#include "engine/profiler.h"
#include "game/layout.h"
#include "game/score_screen.h"
#include "online/patching.h"
#include "screens/menu_base.h"
#include "screens/page_scheme.h"

void renderPatching()
{
    ProfileScope profile("renderPatching");
    renderMenuBase();
    const float middle = static_cast<float>(screenWidth / 2) + scoreScreenSlide;
    // Labels start and values end 0.3 of the height from the middle, on every aspect ratio.
    const float left = middle - 0.3f * static_cast<float>(screenHeight);
    const float right = middle + 0.3f * static_cast<float>(screenHeight);
    PatchingTexts texts = patchingTexts();
    freetype::printShadowed("Patching", middle, menuRowY(menuHeadingRow), 2.0f, 0, 0.65f, 255, 255, 255, 255,
                            &largeFont);
    pageText("Downloaded: ", left, menuRowY(0), 5, 1.0f);
    pageText(texts.downloaded + " / " + texts.total + " MB", right, menuRowY(0), 6, 1.0f);
    pageText("Speed:", left, menuRowY(1), 5, 1.0f);
    pageText(texts.speed + " KB/s", right, menuRowY(1), 6, 1.0f);
}

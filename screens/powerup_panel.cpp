#include "screens/powerup_panel.h"

#include <cmath>

#include "engine/config.h"
#include "engine/draw2d.h"
#include "engine/fonts.h"
#include "engine/profiler.h"
#include "game/effects.h"
#include "game/layout.h"
#include "game/powerups.h"
#include "screens/page_scheme.h"

namespace {

const float slotCentres[3] = {1.0f, 2.25f, 3.5f};
const char* const icons[3] = {"pupmultiicon.tga", "puptimeicon.tga", "pupnukeicon.tga"};
const char* const notices[3] = {"multinoty.tga", "timenoty.tga", "fusionnoty.tga"};

void drawCard(const char* name, const char* effect)
{
    const float u = mediumFont.height, x = powerupCardTextX();
    const float top = powerupCardRect(0).top;
    freetype::printShadowed(name, x, top + 1.5f * u, 2.0f, 5, 1.0f, 255, 255, 255, 255, &mediumFont);
    freetype::printShadowed(effect, x, top + 2.5f * u, 2.0f, 5, 0.75f, 255, 255, 255, 255, &mediumFont);
}

} // namespace

float powerupFill(int slot, float charge)
{
    // Each slot fills over its own stretch of the meter: 0..50, 50..150, 150..300.
    static const float from[3] = {0.0f, 50.0f, 150.0f};
    if (slot < 0 || slot > 2)
        return 0.0f;
    const float to = powerupPrices[slot];
    if (charge <= from[slot])
        return 0.0f;
    if (charge >= to)
        return 1.0f;
    return (charge - from[slot]) / (to - from[slot]);
}

float powerupGlowAlpha(float angle)
{
    return (std::sin(angle * 3.1415927f / 180.0f) + 1.0f) / 2.0f * 255.0f;
}

float powerupNoticeAlpha(float t)
{
    if (t >= 3000.0f)
        return -1.0f;
    return 255.0f - t / 3000.0f * 255.0f;
}

void renderPowerups()
{
    PROFILE_SCOPE("renderPowerups");
    const float s = powerupSlotSide();
    const float bottom = powerupCardRect(0).bottom;

    const float glow = powerupGlowAlpha(powerupGlowAngle);
    for (int i = 0; i < 3; ++i)
        if (powerupCharge >= powerupPrices[i])
            Render2D(slotCentres[i] * s, bottom + 0.1f * s, 1.2f * s, 1.2f * s, 2, "powerupglow.tga", glow);
    for (int i = 0; i < 3; ++i)
        Render2D(slotCentres[i] * s, bottom, s, s, 2, "powerupbg.tga", 255.0f);
    const char* fillTexture = anyPowerupRunning() ? "powerupcolor-on.tga" : "powerupcolor.tga";
    for (int i = 0; i < 3; ++i) {
        // Cropped, not squeezed: the image rises from the slot's bottom edge.
        const float f = powerupFill(i, powerupCharge);
        Render2DUV(slotCentres[i] * s, bottom, s, s * f, 2, fillTexture, 255.0f, Vector2(0, f), Vector2(0, 0),
                   Vector2(1, 0), Vector2(1, f));
    }
    for (int i = 0; i < 3; ++i)
        Render2D(slotCentres[i] * s, bottom, s, s, 2, icons[i], 255.0f);
    for (int i = 0; i < 3; ++i)
        Render2D(slotCentres[i] * s, bottom, s, s, 2, "powerupreflection.tga", 255.0f);

    for (int i = 0; i < 3; ++i) {
        const float alpha = powerupNoticeAlpha(powerupNoticeTimers[i]);
        if (alpha >= 0.0f)
            drawImage(powerupNoticeRect(), notices[i], alpha);
    }
    if (multiplierNotice)
        drawCard("Multiplier", "Increases your score");
    if (timewarpNotice)
        drawCard("Timewarp", "Slows down time");
    if (fusionPulseNotice)
        drawCard("Fusion Pulse", "Reduces mass to zero");
}

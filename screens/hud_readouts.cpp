#include "screens/hud_readouts.h"

#include <algorithm>
#include <cstdlib>

#include "engine/config.h"
#include "engine/draw2d.h"
#include "engine/fonts.h"
#include "engine/profiler.h"
#include "engine/util.h"
#include "game/effects.h"
#include "game/explosion.h"
#include "game/flood_fill.h"
#include "game/game_types.h"
#include "game/input.h"
#include "game/layout.h"
#include "game/level_end.h"
#include "game/levels.h"
#include "game/mass.h"
#include "game/pointing.h"
#include "game/powerups.h"
#include "game/reports.h"
#include "game/scoring.h"
#include "game/states.h"
#include "online/requests.h"

namespace {

// Black 4 pixels right and down, then white.
void shadowed(const HudText& t)
{
    freetype::print(t.text, t.x + 4.0f, t.y + 4.0f, t.anchor, t.scale, 0, 0, 0, 255, t.font);
    freetype::print(t.text, t.x, t.y, t.anchor, t.scale, 255, 255, 255, 255, t.font);
}

// A bottom text keeps to its half of the window, an inset from the edge and half an inset from
// the middle: sized down where it would not, as on a narrow window with a long score.
float bottomScale(const std::string& text, float scale)
{
    const float room = static_cast<float>(screenWidth / 2) - 1.5f * hudInset();
    const float width = 2.0f * freetype::getWidth(&largeFont, text) * scale;
    return width > room ? scale * room / width : scale;
}

} // namespace

MassWarning massWarning()
{
    MassWarning out;
    if (fusionPulseActive) {
        out.texture = "cooldownedges.tga";
        out.alpha = powerupCharge / 300.0f * 150.0f;
        return out;
    }
    // massRatio is 0 for a level without a limit: no warning then.
    const float fill = massRatio() * 100.0f;
    if (fill >= 60.0f) {
        out.texture = "masswarning.tga";
        out.alpha = std::min((fill - 60.0f) / 30.0f * 100.0f, 100.0f) / 100.0f * 150.0f;
    }
    return out;
}

void renderMassWarning()
{
    PROFILE_SCOPE("renderMassWarning");
    const MassWarning warning = massWarning();
    if (warning.texture.empty())
        return;
    Render2D(static_cast<float>(screenWidth / 2), static_cast<float>(screenHeight / 2),
             static_cast<float>(screenWidth), static_cast<float>(screenHeight), 0, warning.texture, warning.alpha);
}

HudText hudCombo()
{
    if (comboLevel <= 0)
        return {};
    return {std::to_string(comboLevel) + "x", static_cast<float>(screenWidth) - hudInset(), hudTopLine(), 6, comboPulse,
            &largeFont};
}

HudText hudTitle()
{
    return {levelTitle(), hudInset(), hudTopLine(), 5, 1.0f, &largeFont};
}

HudText hudBest()
{
    return {personalBestText(), hudInset(), hudTopLine() + 1.4f * mediumFont.height, 5, 0.75f, &mediumFont};
}

HudText hudReadout()
{
    const std::string mode = modeReadout();
    return {mode, hudInset(), hudBottomLine(), 5, bottomScale(mode, gameMode == gm::Survival ? countdownPulse : 1.0f),
            &largeFont};
}

HudText hudScore()
{
    const std::string score = scoreText(displayedScore);
    return {score, static_cast<float>(screenWidth) - hudInset(), hudBottomLine(), 6, bottomScale(score, 1.0f),
            &largeFont};
}

LayoutRect hudTextBox(const HudText& t)
{
    if (t.text.empty())
        return {};
    const ScreenRect box = freetype::bbox(t.text.c_str(), t.x, t.y, t.font, t.anchor, t.scale);
    return {static_cast<float>(box.left), static_cast<float>(box.top), static_cast<float>(box.right),
            static_cast<float>(box.bottom)};
}

float playNoteBaseline(const char* note)
{
    const float u = mediumFont.height;
    float y = static_cast<float>(screenHeight) - 2.0f * u;
    const LayoutRect box = hudTextBox({note, static_cast<float>(screenWidth / 2), y, 0, 1.0f, &smallFont});
    for (const HudText& text : {hudReadout(), hudScore()}) {
        const LayoutRect other = hudTextBox(text);
        const bool beside = box.left - u / 2.0f < other.right && other.left < box.right + u / 2.0f;
        if (beside && box.top < other.bottom && other.top < box.bottom)
            y = std::min(y, other.top - u / 2.0f);
    }
    return y;
}

void renderCombo()
{
    PROFILE_SCOPE("renderCombo");
    const HudText combo = hudCombo();
    if (!combo.text.empty())
        freetype::printShadowed(combo.text.c_str(), combo.x, combo.y, 4.0f, combo.anchor, combo.scale, 255, 255, 255,
                                255, combo.font);
}

std::string levelTitle()
{
    switch (gameMode) {
    case gm::Survival: return "Survival";
    case gm::Rush: return "Rush";
    case gm::Meditation: return "Meditation";
    default: return "Level " + std::to_string(levelNumber + 1);
    }
}

void renderLevel()
{
    PROFILE_SCOPE("renderLevel");
    shadowed(hudTitle());
}

std::string modeReadout()
{
    switch (gameMode) {
    case gm::Survival: {
        // Past the end of a stage the countdown stands at its last second.
        const float left = std::max(0.0f, survivalCountdownLength - survivalCountdownElapsed);
        return formatSeconds(static_cast<int>(left / 1000.0f) + 1);
    }
    case gm::Rush: return formatSeconds(static_cast<int>(gameTime / 1000.0f));
    case gm::Meditation: return "Blocks: " + std::to_string(meditationGoal - blocksLanded);
    default: return "";
    }
}

std::string scoreText(int score)
{
    // 64-bit: the magnitude of the lowest int does not fit an int.
    return groupDigits(std::to_string(std::llabs(static_cast<long long>(score))));
}

std::string personalBestText()
{
    if (personalBest >= 0)
        return "Personal Best: " + groupDigits(std::to_string(personalBest));
    return offlineMode == 99 ? "Personal Best: Offline" : "Personal Best: Loading...";
}

void renderScore()
{
    PROFILE_SCOPE("renderScore");
    const HudText mode = hudReadout();
    if (!mode.text.empty())
        shadowed(mode);
    shadowed(hudScore());
    const HudText best = hudBest();
    freetype::printShadowed(best.text.c_str(), best.x, best.y, 2.0f, best.anchor, best.scale, 255, 255, 255, 255,
                            best.font);
}

void renderFeedback()
{
    PROFILE_SCOPE("renderFeedback");
    const float w = static_cast<float>(screenWidth / 2), h = static_cast<float>(screenHeight);
    for (int i = 0; i < 5; ++i)
        if (feedbackTexts[i].active)
            freetype::print(feedbackTexts[i].text, w, 0.16f * h * i, 0, 1.0f, 255, 255, 255, 230, &mediumFont);
}

float apmBarWidth()
{
    if (apmTime <= 0.0f)
        return 0.0f;
    const float apm = actionCount / (apmTime / 60.0f);
    return 0.1f * static_cast<float>(screenWidth) * apm / 200.0f;
}

void renderAPM()
{
    PROFILE_SCOPE("renderAPM");
    const float w = static_cast<float>(screenWidth), h = static_cast<float>(screenHeight);
    const float x = w / 2.0f - 0.1f * w / 2.0f, y = h - 2.0f * 0.01f * w;
    Render2D(x, y, 0.1f * w, 0.01f * w, 5, "powerupbg.tga", 255.0f);
    Render2D(x, y, apmBarWidth(), 0.01f * w, 5, "powerupcolor.tga", 255.0f);
}

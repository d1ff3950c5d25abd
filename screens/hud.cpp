#include "screens/hud.h"

#include <algorithm>
#include <string>

#include "engine/config.h"
#include "engine/draw2d.h"
#include "engine/fonts.h"
#include "engine/meshes.h"
#include "engine/profiler.h"
#include "engine/sound.h"
#include "engine/textures.h"
#include "game/backdrops.h"
#include "game/effects.h"
#include "game/game_types.h"
#include "game/layout.h"
#include "game/level_end.h"
#include "game/mass.h"
#include "game/play_achievements.h"
#include "game/pointing.h"
#include "game/reports.h"
#include "game/scoring.h"
#include "game/states.h"
#include "online/requests.h"
#include "screens/achievement_tile.h"
#include "screens/hud_readouts.h"
#include "screens/powerup_panel.h"

namespace {

constexpr float noticeStep = 500.0f;
constexpr float noticeHold = 3000.0f;
constexpr float noticeFade = 1000.0f;
constexpr int noticesShown = 6;

// The lists are appended together; should they ever differ, only the common part is read.
int toastCount()
{
    return static_cast<int>(std::min(cheeveToasts.size(), cheeveToastShown.size()));
}

// Each entry not yet announced sounds once, half a second after the one before it.
void soundNotices(float t)
{
    const int n = toastCount();
    for (int i = 0; i < n; ++i)
        if (!cheeveToastShown[static_cast<std::size_t>(i)] && t > (i + 1) * noticeStep) {
            cheeveToastShown[static_cast<std::size_t>(i)] = true;
            PlaySound("cheeve6.ogg", 1.0f, 1.0f);
        }
}

void drawCube(int colour, float scale, int alpha)
{
    const int texture = getTextureIndex(getBlockTextureName(colour, 0));
    if (texture == textureNotLoaded)
        return;
    const LayoutRect box = carriedCubeRect();
    glPushMatrix();
    glTranslatef((box.left + box.right) / 2.0f, (box.top + box.bottom) / 2.0f, 0.0f);
    // Flat in depth, so a large cube never leaves the 2D projection's depth range; on screen
    // nothing changes.
    glScalef(1.0f, 1.0f, 0.01f);
    glRotatef(25.0f, 1.0f, 0.0f, 0.0f);
    glPushMatrix();
    glRotatef(hudSpinAngle / 2.5f, 0.0f, 1.0f, 0.0f);
    glScalef(scale, scale, scale);
    glColor4ub(255, 255, 255, static_cast<unsigned char>(alpha));
    enableCapability(GL_TEXTURE_2D);
    activateAtlasChunk(texture);
    drawMeshSet(&cubeMesh);
    glPopMatrix();
    glPopMatrix();
}

void renderCarriedCubes()
{
    const CubeAlphas a = hudCubeAlphas(markerAlpha);
    // The mesh's edge is a block's 32 units.
    const float s = carriedCubeEdge() / 32.0f;
    // Without depth testing only culling keeps the far faces from being drawn over the near ones:
    // through the y-down projection the faces turned away are those wound clockwise on screen,
    // which GL takes for back faces as in the 3D view.
    enableCapability(GL_CULL_FACE);
    glCullFace(GL_BACK);
    if (previousCursorColour > 0)
        drawCube(previousCursorColour, s - 0.01f, a.previous);
    if (cursorColour > 0)
        drawCube(cursorColour, s, a.current);
    disableCapability(GL_CULL_FACE);
}

// How far the notices' column moves down: where its tiles would meet the texts at the top of the
// HUD (on a narrow window), far enough for the first to clear them by half a text height.
float noticeDrop(float firstY)
{
    const LayoutRect first = achievementTileBox(static_cast<float>(screenWidth / 2), firstY, 1.0f);
    float drop = 0.0f;
    for (const HudText& text : {hudTitle(), hudBest(), hudCombo()}) {
        const LayoutRect box = hudTextBox(text);
        if (box.left < first.right && first.left < box.right)
            drop = std::max(drop, box.bottom + mediumFont.height / 2.0f - first.top);
    }
    return drop;
}

void renderNotices()
{
    const float t = cheeveToastTimer;
    soundNotices(t);
    const int n = toastCount();
    const float w = static_cast<float>(screenWidth / 2), step = 0.95f * static_cast<float>(screenHeight) * 0.125f;
    const float drop = noticeDrop(step);
    bool anyVisible = false;
    for (int k = 1; k <= noticesShown; ++k) {
        const float alpha = noticeAlpha(k, n, t);
        anyVisible = anyVisible || alpha > 0.0f;
        if (k <= n && t > noticeStep * k)
            drawAchievementTile(w, k * step + drop, 1.0f, alpha / 255.0f, cheeveToasts[k - 1]);
    }
    if (!anyVisible) {
        cheeveToasts.clear();
        cheeveToastShown.clear();
    }
}

} // namespace

CubeAlphas hudCubeAlphas(float marker)
{
    const int a = static_cast<int>(std::clamp(marker * 1.35f, 0.0f, 255.0f));
    CubeAlphas out;
    out.current = a;
    out.previous = 255 - a;
    return out;
}

float noticeAlpha(int k, int n, float t)
{
    if (k < 1 || k > std::min(n, noticesShown))
        return 0.0f;
    const float start = noticeStep * k + noticeHold;
    float alpha = 255.0f;
    if (t > start)
        alpha = 255.0f - (t - start) / noticeFade * 255.0f;
    if (t > start + noticeFade)
        alpha = 0.0f;
    return std::clamp(alpha, 0.0f, 255.0f);
}

void renderHUD()
{
    PROFILE_SCOPE("renderHUD");
    renderMassWarning();
    renderCombo();
    renderLevel();
    renderScore();
    renderCarriedCubes();
    if (gameMode != gm::Rush && gameMode != gm::Survival && gameMode != gm::Meditation)
        renderPowerups();
    if (levelCompleteTimer == 0.0f && toastCount() > 0)
        renderNotices();
    if (levelCompleteTimer > 0.0f)
        renderLevelCompletePanel();
}

float panelOverlayAlpha(float t)
{
    return std::min(t / 500.0f * 100.0f, 100.0f);
}

float panelTextAlpha(float t)
{
    if (t > 500.0f && t < 4000.0f)
        return std::min((t - 500.0f) / 50.0f * 255.0f, 255.0f);
    if (t >= 4000.0f && t < 5000.0f)
        return std::clamp(255.0f - (t - 4000.0f) / 1000.0f * 255.0f, 0.0f, 255.0f);
    return -1.0f;
}

float panelTileY(int k, int m)
{
    const float h = static_cast<float>(screenHeight);
    return static_cast<float>(screenHeight / 2) +
           (static_cast<float>(k) - static_cast<float>(m + 1) / 2.0f) * 0.95f * h * 0.125f;
}

void renderLevelCompletePanel()
{
    PROFILE_SCOPE("renderLevelCompletePanel");
    const float t = levelCompleteTimer;
    const float w = static_cast<float>(screenWidth), h = static_cast<float>(screenHeight);
    const float cx = static_cast<float>(screenWidth / 2), cy = static_cast<float>(screenHeight / 2);
    const float large = largeFont.height;

    settlePerformanceGrade();
    const int latched = finalPerformanceGrade;
    const char* grade = latched >= 3 && latched <= 7
                            ? performanceGradeName(latched)
                            : performanceGradeName(performanceGradeFor(getScore(), performanceMean, performanceSpread));

    drawColourQuad(cx, cy, w, h, 0, 0, 0, 0, static_cast<float>(static_cast<int>(panelOverlayAlpha(t))));

    const float a = panelTextAlpha(t);
    if (a >= 0.0f) {
        if (t < 4000.0f && !endBreakSoundPlayed) {
            endBreakSoundPlayed = true;
            PlaySound("endbreakshort3.ogg", 0.75f, 1.0f);
        }
        freetype::printShadowed("Level Complete", cx, cy - large / 2.0f, 2.0f, 8, 1.0f, 255, 255, 255, a, &largeFont);
        const std::string label = "Performance: ";
        const float whole = 2.0f * freetype::getWidth(&largeFont, label + grade) * 0.6f;
        const float left = 2.0f * freetype::getWidth(&largeFont, label) * 0.6f;
        const float right = 2.0f * freetype::getWidth(&largeFont, grade) * 0.6f;
        const float y = cy + large * 0.6f * 2.0f - large / 2.0f;
        freetype::printShadowed(label.c_str(), cx - whole / 2.0f + left / 2.0f, y, 2.0f, 8, 0.6f, 255, 255, 255, a,
                                &largeFont);
        freetype::printShadowed(grade, cx + whole / 2.0f - right / 2.0f, y, 2.0f, 8, 0.6f, 237, 210, 28, a,
                                &largeFont);
    }

    if (!scoreReplyReceived && !levelSelectPlay && offlineMode != 99) {
        const char* note = t <= 3000.0f ? "Submitting score..." : "Connecting to server...";
        freetype::printShadowed(note, cx, playNoteBaseline(note), 2.0f, 0, 1.0f, 255, 255, 255, 255, &smallFont);
    }

    // The earned tiles wait only for what lets the panel end, so an offline panel shows them too.
    if (t > 5000.0f && levelPanelSettled()) {
        const float since = t - 5000.0f;
        soundNotices(since);
        const int n = toastCount();
        const int m = std::min(n, noticesShown);
        for (int k = 1; k <= m; ++k)
            if (since > noticeStep * k)
                drawAchievementTile(cx, panelTileY(k, m), 1.0f, 1.0f, cheeveToasts[k - 1]);
        if (n > 0)
            freetype::printShadowed("Click to Continue", cx, playNoteBaseline("Click to Continue"), 2.0f, 0, 1.0f, 255,
                                    255, 255, 255, &smallFont);
    }
    massLevel = 0.0f;
}

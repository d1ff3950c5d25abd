#include "screens/backdrop.h"

#include <algorithm>

#include "engine/camera.h"
#include "engine/config.h"
#include "engine/draw2d.h"
#include "engine/meshes.h"
#include "engine/profiler.h"
#include "engine/textures.h"
#include "engine/window.h"
#include "game/backdrops.h"
#include "game/game_state.h"
#include "game/layout.h"
#include "game/level_end.h"
#include "game/mass.h"
#include "game/pointing.h"
#include "game/starfield.h"
#include "game/states.h"
#include "game/tutorials.h"

namespace {

constexpr float starReach = 2000.0f;   // the field's height and half its width and depth

} // namespace

void renderBackground()
{
    PROFILE_SCOPE("renderBackground");
    const float w = static_cast<float>(screenWidth), h = static_cast<float>(screenHeight);
    Render2D(static_cast<float>(screenWidth / 2), static_cast<float>(screenHeight / 2), w, h, 0,
             getBackgroundTexture(), 255.0f);
    popOrtho();
    applyCamera(massRatio());
    renderStarfield();
}

Vector3 starPoint(const Star& star, Vector3 eye, Vector3 up)
{
    const float floor = -20.0f * blockSize;
    const Vector3 forward = normalize(Vector3(-eye.x, -eye.y, -eye.z));
    const Vector3 side = cross(forward, up);
    const float height = std::clamp(star.position.y, floor, starReach) - floor;
    const float across = std::clamp(star.position.x, -starReach, starReach);
    const float rise = std::clamp(star.position.z, -starReach, starReach);
    return eye + forward * height + side * across + up * rise;
}

float starAlpha(float ageMs)
{
    return std::clamp(255.0f * ageMs / 1000.0f, 0.0f, 255.0f);
}

void renderStarfield()
{
    PROFILE_SCOPE("renderStarfield");
    const int texture = getTextureIndex("whiteparticle.tga");
    if (texture == textureNotLoaded)
        return;
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    enableCapability(GL_TEXTURE_2D);
    activateAtlasChunk(texture);
    disableCapability(GL_DEPTH_TEST);

    const Vector3 eye = camera.getLookEye();
    const Vector3 up = camera.getUpVector();
    for (const Star& star : stars) {
        glPushMatrix();
        faceCamera(starPoint(star, eye, up), camera.getPosition(), up);
        glScalef(star.size, star.size, star.size);
        glColor4ub(255, 255, 255, alphaByte(starAlpha(star.age), 1.0f));
        drawMeshSet(&particleMesh);
        glPopMatrix();
    }

    enableCapability(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

float fadeQuadAlpha()
{
    fadeLevel = std::clamp(fadeLevel, 0.0f, fadeDuration);
    return 255.0f - 255.0f * fadeLevel / fadeDuration;
}

void renderFadeIn()
{
    PROFILE_SCOPE("renderFadeIn");
    const float alpha = fadeQuadAlpha();
    if (alpha <= 0.0f)
        return;
    // A square of the longer side, so a portrait window is covered too.
    const float side = static_cast<float>(std::max(screenWidth, screenHeight));
    drawColourQuad(static_cast<float>(screenWidth / 2), static_cast<float>(screenHeight / 2), side, side, 0, 0.0f,
                   0.0f, 0.0f, static_cast<float>(static_cast<int>(alpha)));
}

std::string cursorTexture()
{
    if (gameState != gs::Game || levelCompleteTimer != 0.0f || paused)
        return "cursor.tga";
    switch (cursorColour) {
    case 1: return "cursor_yellow.tga";
    case 2: return "cursor_blue.tga";
    case 3: return "cursor_red.tga";
    case 4: return "cursor_orange.tga";
    case 5: return "cursor_pink.tga";
    case 7: return "cursor_green.tga";
    default: return "cursor.tga";
    }
}

void renderCursor()
{
    PROFILE_SCOPE("renderCursor");
    const float side = pointerSide();
    Render2D(static_cast<float>(mouseX), static_cast<float>(mouseY), side, side, 0, cursorTexture(), 255.0f);
}

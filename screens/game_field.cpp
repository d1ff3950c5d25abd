#include "screens/game_field.h"

#include <algorithm>

#include "engine/atlas.h"
#include "engine/camera.h"
#include "engine/config.h"
#include "engine/draw2d.h"
#include "engine/fonts.h"
#include "engine/meshes.h"
#include "engine/polyparticles.h"
#include "engine/profiler.h"
#include "engine/startup.h"
#include "engine/textures.h"
#include "game/backdrops.h"
#include "game/blocks.h"
#include "game/effects.h"
#include "game/explosion.h"
#include "game/game_types.h"
#include "game/mass.h"
#include "game/pointing.h"
#include "game/powerups.h"
#include "game/states.h"
#include "screens/hud.h"

bool motionBlurCaptured = false;

namespace {

void setWhite(float alpha)
{
    glColor4ub(255, 255, 255, alphaByte(alpha, 1.0f));
}

void drawCube(int texture)
{
    activateAtlasChunk(texture);
    drawMeshSet(&cubeMesh);
}

// An additive copy of the cube over the block, in "grey.tga": the removal and Fusion Pulse glows.
void drawGlow(int grey, float scale, float alpha, float secondAlpha)
{
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthMask(GL_FALSE);
    glPushMatrix();
    glScalef(scale, scale, scale);
    setWhite(alpha);
    drawCube(grey);
    if (secondAlpha >= 0.0f) {
        setWhite(secondAlpha);
        drawCube(grey);
    }
    glPopMatrix();
    setWhite(255.0f);
    glDepthMask(GL_TRUE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

bool enclosed(int index)
{
    static const int directions[6] = {dirPlusZ, dirMinusZ, dirMinusX, dirPlusX, dirMinusY, dirPlusY};
    for (int direction : directions)
        if (getNeighborBlock(index, direction) == -1)
            return false;
    return true;
}

void drawBlock(int index)
{
    BlockRecord& block = blocks[index];
    // A fused block is drawn like any other, at its own place, in grey.
    const int colour = block.fused ? 6 : block.colour;
    const int face = getTextureIndex(blockFaceTexture(colour, false));
    if (face == textureNotLoaded)
        return;
    glPushMatrix();
    glTranslatef(block.position.x, block.position.y, block.position.z);
    if (colour > 7) {
        glRotatef(powerupBlockSpin, 0.0f, 0.0f, 1.0f);
        powerupBlockSpin += 1.0f;
    }
    glScalef(1.02f, 1.02f, 1.02f);
    if (!multiplierActive)
        drawCube(face);

    if (block.removing) {
        const int grey = getTextureIndex("grey.tga");
        if (grey != textureNotLoaded) {
            const float rise = block.removeTimer + 200.0f;
            drawGlow(grey, 1.01f, rise > 0.0f ? 255.0f * rise / 200.0f : 0.0f, -1.0f);
        }
    }
    if (fusionPulseActive) {
        const int grey = getTextureIndex("grey.tga");
        if (grey != textureNotLoaded) {
            const float glow = fusionGlowAlpha(massLevel, massLevelSnapshot);
            drawGlow(grey, 1.001f, glow, glow * 0.5f);
        }
    }
    if (blockFlashLevel > 0.0f) {
        const int flash = getTextureIndex(blockFaceTexture(colour, true));
        if (flash != textureNotLoaded) {
            glPushMatrix();
            glScalef(1.001f, 1.001f, 1.001f);
            setWhite(255.0f * blockFlashLevel);
            drawCube(flash);
            glPopMatrix();
            setWhite(255.0f);
        }
    }
    glPopMatrix();
}

void drawPreview(Vector3 at)
{
    const int face = getTextureIndex(blockFaceTexture(cursorColour, false));
    if (face == textureNotLoaded)
        return;
    glPushMatrix();
    glTranslatef(at.x, at.y, at.z);
    setWhite(std::max(0.0f, markerAlpha - 55.0f));
    if (!multiplierActive)
        drawCube(face);
    if (blockFlashLevel > 0.0f) {
        const int flash = getTextureIndex(blockFaceTexture(cursorColour, true));
        if (flash != textureNotLoaded) {
            glPushMatrix();
            glScalef(1.001f, 1.001f, 1.001f);
            setWhite(blockFlashLevel * markerAlpha);
            drawCube(flash);
            glPopMatrix();
        }
    }
    setWhite(255.0f);
    glPopMatrix();
}

void drawDeathFlash()
{
    const float w = static_cast<float>(screenWidth), h = static_cast<float>(screenHeight);
    const float cx = static_cast<float>(screenWidth / 2), cy = static_cast<float>(screenHeight / 2);
    const float p1 = deathExplosionTimers[1] / deathExplosionLengths[1];
    const float p2 = deathExplosionTimers[2] / deathExplosionLengths[2];
    const float p4 = deathExplosionLateTimers[1] / deathExplosionLengths[4];
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    Render2D(cx, cy, 1.25f * w * p1, 0.1f * h, 0, "deathsplosion.tga", 255.0f * p1 - 255.0f * p4);
    Render2D(cx, cy, 1.5f * w * p1, 1.5f * w * p1, 0, "deathsplosion.tga", 255.0f * p2 - 255.0f * p4);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

} // namespace

float fusionGlowAlpha(float level, float snapshot)
{
    // No snapshot (the pulse began on an empty mass) gives no glow rather than a division by 0;
    // a mass grown past it gives more than 255, which the byte conversion clamps.
    return snapshot > 0.0f ? 255.0f * level / snapshot : 0.0f;
}

std::string blockFaceTexture(int colour, bool highlight)
{
    switch (colour) {
    case 8: return highlight ? "" : "bomb.tga";
    case 9: return highlight ? "" : "buster.tga";
    case 10: return highlight ? "" : "drill.tga";
    default: return getBlockTextureName(colour, highlight ? 1 : 0);
    }
}

void renderGame()
{
    PROFILE_SCOPE("renderGame");
    renderBlocks();
    glDepthMask(GL_FALSE);
    renderParticleSystems();
    glDepthMask(GL_TRUE);
    pushOrtho();
    renderFloatys();
    renderMotionBlur(0.0f, 0.0f, motionBlurAmount, true);
    if (deathExplosionActive)
        drawDeathFlash();
    renderHUD();
}

void renderBlocks()
{
    PROFILE_SCOPE("renderBlocks");
    setWhite(255.0f);
    enableCapability(GL_TEXTURE_2D);
    for (int i = 0; i < blockCount; ++i) {
        const BlockRecord& block = blocks[i];
        if (!block.active || block.hidden || enclosed(i))
            continue;
        drawBlock(i);
    }
    enableCapability(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    const bool validPick = pickedBlock >= 0 && pickedBlock < blockCount;
    const bool picked = validPick && blocks[pickedBlock].active && !blocks[pickedBlock].removing &&
                        !blocks[pickedBlock].hidden && blockAtRest(blocks[pickedBlock]);
    if (!picked && cursorColour != -1)
        return;
    if (picked && (pickedFace < 1 || pickedFace > 6))
        return;

    chooseCarriedColour();
    if (!picked)
        return;
    drawPreview(blocks[pickedBlock].position + directionVector(pickedFace) * blockSize);
    trySetDown();
}

void renderParticleSystems()
{
    PROFILE_SCOPE("renderParticleSystems");
    for (PolyparticleSystem& system : particleSystems)
        if (system.active)
            renderPolyparticleSprite(&system, false);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

FloatyLook floatyLook(const Floaty& f)
{
    FloatyLook look;
    const bool long_ = f.emphasised || f.golden;
    const float life = long_ ? 4000.0f : 2000.0f;
    if (f.age < life) {
        look.textAlpha = 255.0f - 255.0f * f.age / life;
        look.shadowAlpha = std::max(0.0f, 255.0f - 255.0f * f.age / (0.75f * life));
    }
    look.scale = 0.5f;
    if (f.age < 250.0f)
        look.scale += 0.5f * (1.0f - f.age / 250.0f) * f.growth / life;
    if (multiplierActive)
        look.scale *= 1.25f;
    if (long_)
        look.scale *= 1.5f;
    if (multiplierActive || f.golden) {
        look.r = 255.0f, look.g = 255.0f, look.b = 0.0f;
    } else if (gameMode == gm::Rush) {
        look.r = 219.0f, look.g = 86.0f, look.b = 0.0f;
    }
    return look;
}

void renderFloatys()
{
    PROFILE_SCOPE("renderFloatys");
    for (const Floaty& f : floatys) {
        const FloatyLook look = floatyLook(f);
        glPushMatrix();
        freetype::print(f.text, f.position.x + 2.0f, f.position.y + 2.0f, f.anchor, look.scale, 0, 0, 0,
                        look.shadowAlpha, &largeFont);
        freetype::print(f.text, f.position.x, f.position.y, f.anchor, look.scale, look.r, look.g, look.b,
                        look.textAlpha, &largeFont);
        glPopMatrix();
    }
}

void renderMotionBlur(float offsetX, float offsetY, float alpha, bool force)
{
    PROFILE_SCOPE("renderMotionBlur");
    // Whenever no copy is made this frame the kept one goes stale: the next trail starts afresh.
    if (!motionBlurEnabled() || alpha <= 0.0f || !(timewarpActive || force)) {
        motionBlurCaptured = false;
        return;
    }
    enableCapability(GL_TEXTURE_2D);
    disableCapability(GL_DEPTH_TEST);
    const int chunk = getTextureIndex("motionblur");
    if (chunk < 0) {
        motionBlurCaptured = false;
        return;
    }
    const TextureRecord& record = textures[static_cast<std::size_t>(chunk)];
    bindAtlasPage(record.atlasPage);
    activateAtlasChunk(chunk);
    const float w = static_cast<float>(screenWidth), h = static_cast<float>(screenHeight);
    if (motionBlurCaptured)
        Render2DUV(w / 2.0f + offsetX, h / 2.0f + offsetY, w, h, 0, "motionblur", 255.0f * alpha, Vector2(0, 1),
                   Vector2(0, 0), Vector2(1, 0), Vector2(1, 1));
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(record.atlasX), static_cast<GLint>(record.atlasY), 0,
                        0, screenWidth, screenHeight);
    motionBlurCaptured = true;
}

void renderBlockTile(float x, float y, float, float size, float alpha, int colour)
{
    static const char* const tiles[7] = {"yellowcube.tga", "bluecube.tga",  "redcube.tga",  "orangecube.tga",
                                         "pinkcube.tga",   "greycube.tga", "greencube.tga"};
    if (colour >= 1 && colour <= 7)
        Render2D(x, y, size, size, 0, tiles[colour - 1], alpha);
    else if (colour >= 8 && colour <= 10)
        Render2D(x, y, size, size, 0, "greycube.tga", alpha);
}

void renderPowerupTile(float x, float y, float, float size, float alpha, int kind)
{
    static const char* const tiles[3] = {"bomb.tga", "buster.tga", "drill.tga"};
    if (kind >= 1 && kind <= 3)
        Render2D(x, y, size, size, 0, tiles[kind - 1], alpha);
}

void renderNukeBlocks()
{
    PROFILE_SCOPE("renderNukeBlocks");
    const int glow = getTextureIndex("whiteparticle.tga");
    if (glow == textureNotLoaded)
        return;
    enableCapability(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthMask(GL_FALSE);
    activateAtlasChunk(glow);
    const Vector3 eye = camera.getPosition(), up = camera.getUpVector();
    constexpr int trail = 120;
    for (int i = 0; i < blockCount; ++i) {
        const BlockRecord& b = blocks[i];
        if (!b.active || !b.fused || enclosed(i))
            continue;
        // The trail points back along the block's last step.
        const Vector3 back = normalize(b.previousPosition - b.position);
        for (int k = 0; k <= trail; ++k) {
            const float share = 1.0f - static_cast<float>(k) / trail;
            glPushMatrix();
            faceCamera(b.position + back * (static_cast<float>(k) * blockSize / 16.0f), eye, up);
            const float scale = 1.5f * share;
            glScalef(scale, scale, scale);
            setWhite(255.0f * share);
            drawMeshSet(&particleMesh);
            glPopMatrix();
        }
    }
    setWhite(255.0f);
    glDepthMask(GL_TRUE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

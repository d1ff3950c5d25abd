// Frames drawn by Mesa into a real window with the real pack: the projection stack after every
// state, and a frame of play read back.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <vector>
#include <string>

#include "engine/camera.h"
#include "engine/config.h"
#include "engine/console.h"
#include "engine/meshes.h"
#include "engine/profiler.h"
#include "engine/startup.h"
#include "engine/textures.h"
#include "engine/window.h"
#include "game/blocks.h"
#include "game/effects.h"
#include "game/game_state.h"
#include "game/game_types.h"
#include "game/input.h"
#include "game/mass.h"
#include "game/pointing.h"
#include "game/states.h"
#include "game/tutorials.h"
#include "online/requests.h"
#include "screens/draw.h"
#include "../engine/game_window_fixture.h"

namespace {

constexpr int windowW = 640, windowH = 360;

struct Pixel {
    int r, g, b;
};

Pixel pixelAt(int x, int y)
{
    unsigned char p[4] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x, windowH - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return Pixel{p[0], p[1], p[2]};
}

class GlFrame : public GameWindowTest {
protected:
    void SetUp() override
    {
        GameWindowTest::SetUp();
        if (IsSkipped())
            return;
        if (!haveBuiltPack())
            GTEST_SKIP() << "no asset pack at " << builtPack;
        ASSERT_NO_FATAL_FAILURE(useBuiltPackIn());
        screenWidth = windowW;
        screenHeight = windowH;
        fullscreen = 0;
        ASSERT_NO_FATAL_FAILURE(openWindow(windowW, windowH));
        initializeEngine();
        loadMesh(&cubeMesh, "cube.mbm");
        buildParticleMesh(&particleMesh);
        // Only the block images: the backdrop and stars stay unloaded, so the field stands on black.
        for (const char* name : {"yellow.tga", "blue.tga", "cursor.tga"})
            getTextureIndex(name);
        for (int frame = 0; frame < 100000 && !textureQueue.empty(); ++frame)
            updateStreamingTextures(16.0f);
        for (int i = 0; i < 10; ++i)
            updateStreamingTextures(50.0f);
        textureQueue.clear();

        offlineMode = 99;
        gameMode = gm::Normal;
        gameState = gs::Game;
        fadeLevel = fadeDuration;
        paused = false;
        massLevel = 0.0f;
        for (int i = 0; i < blockCount; ++i)
            resetBlock(i);
        camera.set(0.0f, -20.0f * blockSize, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);
    }
    void TearDown() override
    {
        for (int i = 0; i < blockCount; ++i)
            resetBlock(i);
        if (window.hWnd)
            deinitializeEngine();
        GameWindowTest::TearDown();
        gameState = gs::Intro;
        gameMode = gm::Overall;
        offlineMode = 0;
    }
};

} // namespace

TEST_F(GlFrame, EveryStateLeavesTheMatrixStacksAsItFoundThem)
{
    paused = true;
    consoleVisible = true;
    showFps = 1;
    for (int s = 1; s <= 85; ++s) {
        gameState = s;
        GLint projection = 0, modelview = 0, after = 0;
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &projection);
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &modelview);
        Draw();
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &after);
        EXPECT_EQ(after, projection) << s;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &after);
        EXPECT_EQ(after, modelview) << s;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << s;
    }
    consoleVisible = false;
    showFps = 0;
}

TEST_F(GlFrame, PlayFrameShowsBlocksThePreviewAndTheCarriedCube)
{
    for (int i = 0; i < 3; ++i) {
        blocks[i].position = blocks[i].targetPosition = Vector3((i - 1) * blockSize, 0.0f, 0.0f);
        blocks[i].active = blocks[i].settled = blocks[i].landedSoundDone = 1;
        blocks[i].colour = i == 2 ? 2 : 1;
    }
    cursorColour = 1;
    previousCursorColour = -1;
    markerAlpha = 255.0f;
    Draw();
    const Pixel block = pixelAt(windowW / 2, windowH / 2);
    EXPECT_GT(block.r, 120);
    EXPECT_GT(block.g, 100);
    EXPECT_LT(block.b, block.g / 2);   // yellow

    // The blue preview in front of the middle block's near face.
    pickedBlock = 1;
    pickedFace = dirMinusY;
    cursorColour = 2;
    rotateDragActive = leftButtonDown = false;
    Draw();
    const Pixel preview = pixelAt(windowW / 2, windowH / 2);
    EXPECT_GT(preview.b, block.b + 40);

    // The carried cube, half transparent over black: one layer of faces, so the far faces are
    // culled; on a 4320-line screen (drawn scaled into the window), turned with a corner to the
    // eye, it is whole, not cut by the 2D projection's depth range.
    pickedBlock = pickedFace = -1;
    hudSpinAngle = 112.5f;
    const int cx = windowW - windowH / 10, cy = windowH * 8 / 10;
    auto cubeLight = [&](float marker) {
        markerAlpha = marker;
        Draw();
        int sum = 0, lit = 0;
        for (int dy = -3; dy <= 3; ++dy)
            for (int dx = -3; dx <= 3; ++dx) {
                const Pixel p = pixelAt(cx + dx, cy + dy);
                sum += p.b;
                lit += p.b > 30;
            }
        return std::make_pair(sum, lit);
    };
    const auto opaque = cubeLight(255.0f);
    const auto half = cubeLight(95.0f);   // alpha 128
    EXPECT_GE(opaque.second, 40);
    EXPECT_LT(half.first, opaque.first * 0.62f);
    screenWidth = 7680;
    screenHeight = 4320;
    const auto large = cubeLight(255.0f);
    screenWidth = windowW;
    screenHeight = windowH;
    EXPECT_GT(large.first, opaque.first * 0.85f);
    hudSpinAngle = 0.0f;

    // Turned 25 degrees about the screen's x axis, the cube shows its top face as a narrow band
    // above its front face: the edge between them lies in the upper half of the silhouette. Seen
    // from the inside (the wrong faces culled) the band would be at the bottom.
    markerAlpha = 255.0f;
    Draw();
    std::vector<int> rows;
    for (int y = cy - 25; y <= cy + 25; ++y) {
        int sum = 0;
        for (int dx = -4; dx <= 4; ++dx)
            sum += pixelAt(cx + dx, y).b;
        rows.push_back(sum);
    }
    int top = 0, bottom = static_cast<int>(rows.size()) - 1;
    while (top < bottom && rows[top] < 9 * 20)
        ++top;
    while (bottom > top && rows[bottom] < 9 * 20)
        --bottom;
    const int margin = (bottom - top) / 7;
    int darkest = top + margin;
    for (int r = top + margin; r <= bottom - margin; ++r)
        if (rows[r] < rows[darkest])
            darkest = r;
    EXPECT_LT(darkest, (top + bottom) / 2);

    // A fade at its start is black all over.
    fadeLevel = 0.0f;
    Draw();
    for (int y : {5, windowH / 2, windowH - 5})
        for (int x : {5, windowW / 2, windowW - 5}) {
            const Pixel p = pixelAt(x, y);
            EXPECT_EQ(p.r + p.g + p.b, 0) << x << "," << y;
        }
    fadeLevel = fadeDuration;
}

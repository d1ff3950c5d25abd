// 2D drawing: anchors, hit rectangles, backdrop and block names, and quads drawn through the real
// functions under the test display, read back pixel by pixel.
#include "render_test_support.h"

#include "engine/asset_pack.h"
#include "engine/atlas.h"
#include "engine/config.h"
#include "engine/dev_overlays.h"
#include "engine/draw2d.h"
#include "engine/fonts.h"
#include "engine/gl_extensions.h"
#include "engine/log.h"
#include "engine/meshes.h"
#include "engine/profiler.h"
#include "engine/textures.h"
#include "engine/window.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

TEST(Anchors, EveryAnchorOfTheTablePlacesTheRectangle)
{
    struct Case {
        int anchor;
        float left, top, right, bottom;
    };
    const Case cases[] = {{0, 90, 45, 110, 55}, {1, 100, 50, 120, 60}, {2, 90, 40, 110, 50}, {3, 100, 40, 120, 50},
                          {4, 80, 40, 100, 50}, {5, 100, 45, 120, 55}, {7, 90, 50, 110, 60}};
    for (const Case& c : cases) {
        float l, t, r, b;
        ASSERT_TRUE(anchorRect(100, 50, 20, 10, c.anchor, l, t, r, b)) << c.anchor;
        EXPECT_EQ(l, c.left) << c.anchor;
        EXPECT_EQ(t, c.top) << c.anchor;
        EXPECT_EQ(r, c.right) << c.anchor;
        EXPECT_EQ(b, c.bottom) << c.anchor;
    }
    float l, t, r, b;
    EXPECT_FALSE(anchorRect(0, 0, 1, 1, 6, l, t, r, b));
    EXPECT_FALSE(anchorRect(0, 0, 1, 1, 8, l, t, r, b));
}

TEST(Anchors, MakeRectTruncatesTowardZeroAndKnowsOnlyCentreAndTop)
{
    ScreenRect r = makeRect(100.6f, 50.2f, 20, 10, 0);
    EXPECT_EQ(r.left, 90);
    EXPECT_EQ(r.top, 45);
    EXPECT_EQ(r.right, 110);
    EXPECT_EQ(r.bottom, 55);
    r = makeRect(100.6f, 50.2f, 20, 10, 7);
    EXPECT_EQ(r.left, 90);
    EXPECT_EQ(r.top, 50);
    EXPECT_EQ(r.right, 110);
    EXPECT_EQ(r.bottom, 60);
    r = makeRect(100.6f, 50.2f, 20, 10, 1);
    EXPECT_EQ(r.left + r.top + r.right + r.bottom, 0);
    r = makeRect(-5.5f, 0, 4, 4, 0);  // -7.5 truncates to -7, not -8
    EXPECT_EQ(r.left, -7);
    EXPECT_EQ(r.right, -3);
}

TEST(HitRects, MouseInRectIsStrict)
{
    mouseX = 10;
    mouseY = 20;
    EXPECT_TRUE(isMouseInRect(9, 19, 11, 21));
    EXPECT_FALSE(isMouseInRect(10, 19, 11, 21));
    EXPECT_FALSE(isMouseInRect(9, 20, 11, 21));
    EXPECT_FALSE(isMouseInRect(9, 19, 10, 21));
    EXPECT_FALSE(isMouseInRect(9, 19, 11, 20));
    EXPECT_FALSE(isMouseInRect(11, 19, 9, 21));   // inverted rectangle holds nothing
}

// ---------------------------------------------------------------------------------------------
// Under the test display (Xvfb, Mesa): the game's start-up GL state, then 2D drawing.

class DrawPixels : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!openGlWindow(320, 240)) GTEST_SKIP() << "no display";
        resetRenderState();
        atlasSize = 2048;  // smaller pages would switch to the reduced images
        applyStartupGlState();
        clearScreen(0, 0, 0, 1);
    }
    void TearDown() override
    {
        resetRenderState();
        atlasSize = 4096;
        smallTextures = 0;
        closeGlWindow();
    }
};

TEST_F(DrawPixels, AnUntexturedQuadIsNotCulledAndLandsWhereItsAnchorSays)
{
    pushOrtho();
    glColor4ub(255, 0, 0, 255);
    Render2D(Vector2(100, 60), Vector2(40, 20), 1, "", 255);
    glColor4ub(0, 255, 0, 255);
    Render2D(200, 200, 30, 30, 4, "", -1);  // bottom-right corner at (200, 200)
    const Rgba inside = readPixel(120, 70);
    EXPECT_EQ(inside.r, 255);
    EXPECT_EQ(inside.g, 0);
    EXPECT_EQ(readPixel(95, 70).r, 0);
    EXPECT_EQ(readPixel(120, 85).r, 0);
    EXPECT_EQ(readPixel(185, 185).g, 255);
    EXPECT_EQ(readPixel(205, 185).g, 0);
    EXPECT_EQ(readPixel(185, 205).g, 0);
    // The quads are wound clockwise on screen: with culling on they would not show at all.
    enableCapability(GL_CULL_FACE);
    glColor4ub(0, 0, 255, 255);
    Render2D(Vector2(10, 10), Vector2(20, 20), 1, "", -1);
    EXPECT_EQ(readPixel(20, 20).b, 0);
    disableCapability(GL_CULL_FACE);
    popOrtho();
    // Culling is back on for the 3D scene after the 2D pass, depth test too.
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(isCapabilityEnabled(GL_CULL_FACE));
}

TEST_F(DrawPixels, ATexturedQuadIsUprightFadesInAndHasItsColours)
{
    // Stored rows bottom-up: the lower half red, the upper half blue; a green column at the left.
    openTestPack("draw.ass", {{"textures\\split.tga", makeTga(32, 32, 32, [](int x, int y) {
                                   if (x < 4) return TgaPixel{0, 255, 0, 255};
                                   return y < 16 ? TgaPixel{0, 0, 255, 255} : TgaPixel{255, 0, 0, 255};
                               })}});
    applyStartupGlState();
    bgraSupported = false;  // exercise the byte swap
    pushOrtho();
    Render2D(Vector2(160, 120), Vector2(128, 128), 0, "split.tga", 255);  // queues it
    EXPECT_EQ(readPixel(160, 120).r, 0);
    streamAll();
    ASSERT_GE(findTextureIndex("split.tga"), 0);

    // Just loaded: fadeIn 0 draws fully transparent.
    Render2D(Vector2(160, 120), Vector2(128, 128), 0, "split.tga", 255);
    EXPECT_EQ(readPixel(160, 150).r, 0);
    for (int i = 0; i < 20; ++i) streamFrame(nullptr, 20.0f);
    Render2D(Vector2(160, 120), Vector2(128, 128), 0, "split.tga", 255);
    const Rgba top = readPixel(180, 70), bottom = readPixel(180, 170), left = readPixel(100, 120);
    EXPECT_GT(top.b, 200);
    EXPECT_LT(top.r, 50);
    EXPECT_GT(bottom.r, 200);
    EXPECT_LT(bottom.b, 50);
    EXPECT_GT(left.g, 200);
    EXPECT_EQ(readPixel(90, 120).g, 0);  // outside the quad
    popOrtho();
    saveScreenshot(std::string(TS_BINARY_DIR) + "/draw2d_textured.ppm");
}

TEST_F(DrawPixels, ATextureMatrixIsSetOncePerChunkAndAgainAfterTheWholePage)
{
    openTestPack("chunks.ass", {{"textures\\a.tga", solidTga(16, 16, 24, 255, 255, 255)},
                                {"textures\\b.tga", solidTga(32, 32, 24, 255, 255, 255)}});
    getTextureIndex("a.tga");
    getTextureIndex("b.tga");
    streamAll();
    pushOrtho();
    Render2D(10, 10, 4, 4, 1, "b.tga", 255);
    EXPECT_EQ(activeChunk, 1);
    GLfloat matrix[16];
    glGetFloatv(GL_TEXTURE_MATRIX, matrix);
    const float s = static_cast<float>(atlasPageSizes[0]);
    EXPECT_FLOAT_EQ(matrix[0], 30.0f / s);  // one texel inset on each side
    EXPECT_FLOAT_EQ(matrix[12], (textures[1].atlasX + 1) / s);
    Render2D(0, 0, 8, 8, 1, "atlas", 255);
    EXPECT_EQ(activeChunk, -1);
    glGetFloatv(GL_TEXTURE_MATRIX, matrix);
    EXPECT_FLOAT_EQ(matrix[0], 1.0f);
    popOrtho();
}


TEST_F(DrawPixels, TheProfilerOverlayDrawsABarForEachSectionThatRan)
{
    closeGlWindow();
    if (!openGlWindow(800, 600)) GTEST_SKIP() << "no display";
    applyStartupGlState();
    clearScreen(0, 0, 0, 1);
    // Last frame: one section of 5 ms; 5 ms is half a screen height of bar.
    lastFrameProfile = ProfileNode();
    ProfileNode work;
    work.name = "work";
    work.start = 1;
    work.end = 6;
    lastFrameProfile.children.push_back(work);
    profileGraphs.clear();
    const std::vector<float> frameTimes(10, 16.0f);
    pushOrtho();
    renderProfiler(frameTimes);
    popOrtho();
    // Row 0 has its baseline at 0.02 H + 0.01 H = 18; the bar runs from 0.175 H = 105 for 300 pixels.
    const int y = 18 - static_cast<int>(0.25f * smallFont.height);
    EXPECT_EQ(readPixel(200, y).r, 255);
    EXPECT_EQ(readPixel(395, y).r, 255);
    EXPECT_LT(readPixel(420, y).r, 60);
    EXPECT_LT(readPixel(100, y).r, 60);
    ASSERT_EQ(profileGraphs.size(), 1u);
    EXPECT_EQ(profileGraphs[0].history.front(), 5.0f);
    profileGraphs.clear();
    lastFrameProfile = ProfileNode();
}

TEST_F(DrawPixels, MeshArraysArePointedAgainWhenAMeshIsRebuilt)
{
    MeshSet set;
    set.meshCount = 1;
    set.drawAsQuads = 1;
    set.meshes.resize(1);
    set.meshes[0].faceCount = 1;
    set.meshes[0].interleaved.assign(20, 0.0f);
    vboSupported = false;
    drawMeshSet(&set);
    void* pointer = nullptr;
    glGetPointerv(GL_VERTEX_ARRAY_POINTER, &pointer);
    EXPECT_EQ(pointer, set.meshes[0].interleaved.data());
    // Same set, same mesh, new data (a reload): the arrays must follow the new data.
    std::vector<float> rebuilt(20, 1.0f);
    set.meshes[0].interleaved.swap(rebuilt);
    drawMeshSet(&set);
    glGetPointerv(GL_VERTEX_ARRAY_POINTER, &pointer);
    EXPECT_EQ(pointer, set.meshes[0].interleaved.data());
    // A mesh whose data is shorter than its faces need is not drawn from beyond its end.
    set.meshes[0].faceCount = 50;
    drawMeshSet(&set);
    resetMeshSetCache();
}

TEST_F(DrawPixels, ANewAtlasPageIsZeroFilled)
{
    atlasSize = 256;
    ASSERT_TRUE(createAtlasPage());
    std::vector<unsigned char> texels(256 * 256 * 4, 0xcd);
    glBindTexture(GL_TEXTURE_2D, atlasPages[0]);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_EQ(std::count(texels.begin(), texels.end(), 0), static_cast<long>(texels.size()));
    boundAtlasPage = 0;
}

TEST_F(DrawPixels, TheAtlasViewerShowsTwoPagesARowFromTheBottom)
{
    closeGlWindow();
    if (!openGlWindow(400, 300)) GTEST_SKIP() << "no display";
    applyStartupGlState();
    atlasSize = 256;
    // Three pages, each filled with one colour: red, green, blue.
    const unsigned char colours[3][4] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}};
    for (int page = 0; page < 3; ++page) {
        ASSERT_TRUE(createAtlasPage());
        std::vector<unsigned char> texels(256 * 256 * 4);
        for (std::size_t i = 0; i < texels.size(); ++i) texels[i] = colours[page][i % 4];
        bindAtlasPage(page);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 256, 256, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    }
    clearScreen(0, 0, 0, 1);
    pushOrtho();
    renderAtlasViewer();
    popOrtho();
    // Two columns of pages: tiles of 300 / 2 = 150 pixels, drawn at half alpha.
    const Rgba page0 = readPixel(75, 225), page1 = readPixel(225, 225), page2 = readPixel(75, 75);
    EXPECT_NEAR(page0.r, 128, 3);
    EXPECT_EQ(page0.g + page0.b, 0);
    EXPECT_NEAR(page1.g, 128, 3);
    EXPECT_EQ(page1.r + page1.b, 0);
    EXPECT_NEAR(page2.b, 128, 3);
    EXPECT_EQ(page2.r + page2.g, 0);
    const Rgba empty = readPixel(225, 75), beside = readPixel(350, 225);
    EXPECT_EQ(empty.r + empty.g + empty.b, 0);
    EXPECT_EQ(beside.r + beside.g + beside.b, 0);
}

// A page of images and text from the game's own pack, as the screens would draw it; the
// screenshot "real_pack_page.ppm" in the build folder is the one to look at.
TEST(RealPack, APageOfImagesAndTextIsDrawnUprightAndReadable)
{
    const std::string pack = std::string(TS_BINARY_DIR) + "/run/data/assets.ass";
    if (FILE* f = std::fopen(pack.c_str(), "rb")) std::fclose(f);
    else GTEST_SKIP() << "no pack at " << pack;
    if (!openGlWindow(1024, 768)) GTEST_SKIP() << "no display";
    resetRenderState();
    useOwnFolder();
    atlasSize = 4096;
    smallTextures = 0;
    assetPackPath = pack;
    readAssetIndex();
    applyStartupGlState();
    bgraSupported = isExtensionSupported("GL_EXT_bgra");
    reloadFonts();
    ASSERT_TRUE(mediumFont.initialised);

    const char* const names[] = {"tessarinelogo.tga", "menuonoff.tga", "cursor.tga",        "red.tga",
                                 "blueHCB.tga",       "achi-bg.tga",   "popupwindow.tga",   "pupnukeicon.tga",
                                 "arrowleft.tga",     "leftmouse.tga", "tute-combo.tga",    "masswarning.tga"};
    for (const char* name : names) getTextureIndex(name);
    streamAll();
    for (int i = 0; i < 20; ++i) streamFrame(nullptr, 20.0f);  // fade-in done

    clearScreen(0.1f, 0.1f, 0.15f, 1);
    pushOrtho();
    const float cell = 230;
    for (int i = 0; i < 12; ++i) {
        const int index = findTextureIndex(names[i]);
        ASSERT_GE(index, 0) << names[i];
        const float w = textures[index].width, h = textures[index].height;
        const float fit = std::min(1.0f, std::min((cell - 20) / w, (cell - 50) / h));
        const float cx = 20 + (i % 4) * 250 + cell / 2, cy = 10 + (i / 4) * 238 + (cell - 30) / 2;
        Render2D(Vector2(cx, cy), Vector2(w * fit, h * fit), 0, names[i], 255);
        freetype::printShadowed(names[i], cx, 10 + (i / 4) * 238 + cell - 14, 1, 0, 1.0f, 255, 255, 255, 255,
                                &smallFont);
    }
    freetype::printShadowed("Tessarine: the quick brown fox", 20, 755, 2, 5, 1.0f, 255, 220, 80, 255, &mediumFont);
    popOrtho();
    saveScreenshot(std::string(TS_BINARY_DIR) + "/real_pack_page.ppm");

    // Every image put something other than the clear colour into its cell.
    for (int i = 0; i < 12; ++i) {
        const int cx = 20 + (i % 4) * 250 + 115, cy = 10 + (i / 4) * 238 + 100;
        int changed = 0;
        for (int y = cy - 60; y < cy + 60; y += 4)
            for (int x = cx - 60; x < cx + 60; x += 4) {
                const Rgba p = readPixel(x, y);
                changed += std::abs(p.r - 25) + std::abs(p.g - 25) + std::abs(p.b - 38) > 30;
            }
        EXPECT_GT(changed, 0) << names[i];
    }
    resetRenderState();
    closeGlWindow();
}

}  // namespace

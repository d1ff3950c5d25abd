// Fonts: word wrapping and measuring without a window; glyph building, printing and failures
// under the test display.
#include "render_test_support.h"

#include "engine/atlas.h"
#include "engine/config.h"
#include "engine/draw2d.h"
#include "engine/fonts.h"
#include "engine/log.h"

#include <gtest/gtest.h>
#include <algorithm>

namespace {

// Every character 10 pixels wide, without building anything.
Font fixedWidthFont()
{
    Font font;
    font.height = 20;
    font.initialised = true;
    for (float& w : font.glyphWidths) w = 10;
    return font;
}

TEST(WrapText, BreaksAtBlanksKeepingTheTrailingBlank)
{
    const Font font = fixedWidthFont();
    // "abc " is 40 pixels, "abc def" 70: a box of room 50 fits the first word and its blank only.
    std::vector<std::string> lines = wrapText("abc def", font, 1.0f, 60, 5);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "abc ");
    EXPECT_EQ(lines[1], "def");
    // Scale counts: at half scale both words fit.
    lines = wrapText("abc def", font, 0.5f, 60, 5);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "abc def");
}

TEST(WrapText, LineFeedsAndLongWordsBrokenAtTheEdge)
{
    using Lines = std::vector<std::string>;
    const Font font = fixedWidthFont();
    EXPECT_EQ(wrapText("ab\ncd", font, 1.0f, 100, 0), (Lines{"ab", "cd"}));
    // A word wider than the box (nine letters fit) is broken, first or later in its line, and
    // what is left of it goes on like any word.
    EXPECT_EQ(wrapText("abcdefghijkl xy", font, 1.0f, 100, 0), (Lines{"abcdefghi", "jkl xy"}));
    EXPECT_EQ(wrapText("xy abcdefghijklmnopqrstu v\nw", font, 1.0f, 100, 0),
              (Lines{"xy ", "abcdefghi", "jklmnopqr", "stu v", "w"}));
    // The last piece fills the box but for its blank: no empty line.
    EXPECT_EQ(wrapText("abcdefghijklmnopqr s", font, 1.0f, 100, 0), (Lines{"abcdefghi", "jklmnopqr ", "s"}));
    // Fitting is strict: exactly the room does not fit.
    EXPECT_EQ(wrapText("abcde", font, 1.0f, 50, 0), (Lines{"abcd", "e"}));
    EXPECT_EQ(wrapText("", font, 1.0f, 50, 0), Lines{""});
    // Bytes of any kind, without a blank: no line wider than the box.
    std::string bytes;
    for (int i = 0; i < 3000; ++i)
        bytes += static_cast<char>(i % 256 == '\n' || i % 256 == ' ' ? 'x' : i % 256);
    const Lines broken = wrapText(bytes, font, 1.0f, 100, 0);
    EXPECT_EQ(broken.size(), 3000u / 9u + 1u);
    for (const std::string& line : broken)
        EXPECT_LT(freetype::getWidth(&font, line) * 2.0f, 100.0f);
}

TEST(FontMeasure, WidthIsHalfTheAdvancesAndStrangeBytesCountAsStars)
{
    Font font = fixedWidthFont();
    font.glyphWidths['a'] = 6;
    font.glyphWidths['b'] = 8;
    font.glyphWidths['*'] = 12;
    EXPECT_EQ(freetype::getWidth(&font, "ab"), 7.0f);
    EXPECT_EQ(freetype::getWidth(&font, "\t"), 6.0f);
    EXPECT_EQ(freetype::getWidth(&font, std::string(1, static_cast<char>(200))), 6.0f);
    EXPECT_EQ(freetype::getWidth(&font, ""), 0.0f);

    ScreenRect box = freetype::bbox("ab", 100.5f, 50, &font, 0, 2.0f);
    EXPECT_EQ(box.left, 86);
    EXPECT_EQ(box.right, 114);
    EXPECT_EQ(box.top, 10);
    EXPECT_EQ(box.bottom, 50);
    box = freetype::bbox("ab", 100, 50, &font, 6, 1.0f);
    EXPECT_EQ(box.left, 86);
    EXPECT_EQ(box.right, 100);
    box = freetype::bbox("", 100, 50, &font, 5, 1.0f);
    EXPECT_EQ(box.left, box.right);
    EXPECT_EQ(box.top, 30);
    // Every anchor as print places it: 8 centres and lowers by half the height, others start at x.
    box = freetype::bbox("ab", 100, 50, &font, 8, 1.0f);
    EXPECT_EQ(box.left, 93);
    EXPECT_EQ(box.top, 40);
    EXPECT_EQ(box.bottom, 60);
    box = freetype::bbox("ab", 100, 50, &font, 1, 1.0f);
    EXPECT_EQ(box.left, 100);
    EXPECT_EQ(box.right, 114);

    Font failed;  // a font whose build failed measures nothing
    failed.height = 20;
    EXPECT_EQ(freetype::getWidth(&failed, "abc"), 0.0f);
}

// ---------------------------------------------------------------------------------------------

class FontPixels : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!openGlWindow(400, 300)) GTEST_SKIP() << "no display";
        std::vector<unsigned char> garbage(4000, 0x5a);
        openTestPack("fonts.ass", {{"fonts\\prototype.ttf", systemFontBytes("DejaVuSansCondensed-Bold.ttf")},
                                   {"fonts\\arialbd.ttf", systemFontBytes("DejaVuSans-Bold.ttf")},
                                   {"fonts\\broken.ttf", garbage}});
        atlasSize = 1024;
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

int countBright(int left, int top, int right, int bottom)
{
    int bright = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) bright += readPixel(x, y).r > 128;
    return bright;
}

TEST_F(FontPixels, ALineOfTextIsDrawnInsideItsBoxAndNotCulled)
{
    reloadFonts();  // creates page 0, whose flush builds the three fonts
    ASSERT_TRUE(largeFont.initialised);
    ASSERT_TRUE(mediumFont.initialised);
    ASSERT_TRUE(smallFont.initialised);
    EXPECT_EQ(mediumFont.height, static_cast<float>(static_cast<int>(300 / 1050.0f * 55.0f * 0.5f)));
    EXPECT_GT(freetype::getWidth(&largeFont, "Hi"), 0.0f);

    pushOrtho();
    enableCapability(GL_BLEND);
    freetype::print("HELLO", 50, 100, 1, 1.0f, 255, 255, 255, 255, &largeFont);
    const ScreenRect box = freetype::bbox("HELLO", 50, 100, &largeFont, 5, 1.0f);
    const int inside = countBright(box.left, box.top, box.right, box.bottom + 1);
    const int total = countBright(0, 0, 400, 300);
    EXPECT_GT(inside, 100);
    EXPECT_GT(inside, total * 9 / 10);  // capital letters stay within the box
    // Anchor 6 ends the text at x: nothing bright to the right of x.
    clearScreen(0, 0, 0, 1);
    pushOrtho();
    freetype::print("HELLO", 300, 200, 6, 1.0f, 255, 255, 255, 255, &largeFont);
    EXPECT_GT(countBright(150, 150, 300, 205), 100);
    EXPECT_EQ(countBright(303, 150, 400, 205), 0);
    // Glyphs drawn by the lists use the texture matrix: a chunk draw afterwards must set its own.
    EXPECT_EQ(activeChunk, -1);
    popOrtho();
    popOrtho();
}

// What the game measures its texts with where nothing is drawn: the built fonts' own heights and
// advances, and no glyph, list or atlas chunk of its own.
TEST_F(FontPixels, MeasuredFontsMatchTheBuiltOnes)
{
    reloadFonts();
    const Font built[3] = {largeFont, mediumFont, smallFont};
    cleanFonts();
    measureFonts();
    const Font* measured[3] = {&largeFont, &mediumFont, &smallFont};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(measured[i]->height, built[i].height) << i;
        EXPECT_FALSE(measured[i]->initialised) << i;
        for (int ch = 0; ch < 128; ++ch)
            EXPECT_EQ(measured[i]->glyphWidths[ch], built[i].glyphWidths[ch]) << i << " " << ch;
    }
    EXPECT_GT(freetype::getWidth(&mediumFont, "Wi"), freetype::getWidth(&mediumFont, "ii"));
    for (const AtlasSlot& slot : atlasSlots[0])
        EXPECT_NE(slot.name.rfind("font_", 0), 0u) << slot.name;
    cleanFonts();
    EXPECT_EQ(freetype::getWidth(&mediumFont, "Wi"), 0.0f);
}

TEST_F(FontPixels, AScreenshotOfTheThreeFontsAndATexturedQuad)
{
    reloadFonts();
    pushOrtho();
    glColor4ub(40, 60, 120, 255);
    Render2D(0, 0, 400, 300, 1, "", -1);
    freetype::printShadowed("Tessarine 0123", 20, 80, 2, 5, 1.0f, 255, 255, 255, 255, &largeFont);
    freetype::printShadowed("The quick brown fox jumps", 20, 130, 2, 5, 1.0f, 255, 220, 0, 255, &mediumFont);
    freetype::printShadowed("small print: ~!@#$%^&*()_+{}|", 20, 160, 1, 5, 1.0f, 200, 255, 200, 255, &smallFont);
    freetype::printShadowed("centred", 200, 220, 2, 0, 1.0f, 255, 255, 255, 255, &mediumFont);
    popOrtho();
    saveScreenshot(std::string(TS_BINARY_DIR) + "/fonts_page.ppm");
    EXPECT_GT(readPixel(0, 299).b, 100);
}

TEST_F(FontPixels, ReloadingReusesTheGlyphSpaceAndGlyphsStayOnPageZero)
{
    reloadFonts();
    auto fontChunks = [](int page) {
        int count = 0;
        for (const AtlasSlot& s : atlasSlots[page]) count += s.name.rfind("font_", 0) == 0;
        return count;
    };
    auto freeArea = [] {
        double area = 0;
        for (const AtlasSlot& s : atlasSlots[0])
            if (s.name.empty()) area += static_cast<double>(s.width) * s.height;
        return area;
    };
    const int first = fontChunks(0);
    const double area = freeArea();
    ASSERT_GT(first, 0);
    // A rebuild gives its old glyph rectangles back first, so the free space does not shrink.
    reloadFonts();
    reloadFonts();
    EXPECT_EQ(fontChunks(0), first);
    EXPECT_EQ(freeArea(), area);

    // Page 0 full: glyphs that do not fit are left out, never put on a page print does not bind.
    bindAtlasPage(0);
    int slot;
    while ((slot = chooseAtlasSlot(8, 8)) > -1) placeInAtlasSlot(slot, 8, 8, "filler");
    ASSERT_TRUE(createAtlasPage());
    loadFont(&mediumFont, "prototype.ttf", 40);
    EXPECT_EQ(fontChunks(1), 0);
}

TEST_F(FontPixels, MissingAndBrokenFontsAreLoggedAndDrawNothing)
{
    reloadFonts();
    Font missing, broken;
    consoleLines.clear();
    loadFont(&missing, "nothere.ttf", 20);
    loadFont(&broken, "broken.ttf", 20);
    EXPECT_FALSE(missing.initialised);
    EXPECT_FALSE(broken.initialised);
    bool logged = false;
    for (const std::string& line : consoleLines)
        logged |= line.find("FT_New_Face failed") != std::string::npos;
    EXPECT_TRUE(logged);
    pushOrtho();
    freetype::print("HELLO", 50, 100, 1, 1.0f, 255, 255, 255, 255, &missing);
    freetype::print("HELLO", 50, 100, 1, 1.0f, 255, 255, 255, 255, &broken);
    EXPECT_EQ(countBright(0, 0, 400, 300), 0);
    popOrtho();
    EXPECT_EQ(freetype::getWidth(&broken, "HELLO"), 0.0f);
}

}  // namespace

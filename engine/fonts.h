// Fonts: a TrueType face from the asset pack rendered once into glyph images on atlas page 0,
// one display list per character 32..127, and the calls that draw and measure a line of text.
#pragma once
#include "engine/draw2d.h"

#include <GL/gl.h>
#include <string>
#include <vector>

// A plain value: it owns no GL object through a destructor (clean() releases them), so copies
// are harmless.
struct Font {
    float height = 0.0f;           // nominal size in whole pixels; screens use it as a layout unit
    float glyphWidths[128] = {};   // advance of each character in whole pixels (32..127 filled)
    GLuint listBase = 0;           // list listBase + ch draws character ch
    bool initialised = false;      // false for a font whose build failed or that was only measured: it draws nothing
    std::string key;               // atlas chunk name of its glyphs is "font_" + key

    // Builds the font from a font file in memory; throws std::runtime_error on a FreeType
    // failure (nothing is left allocated then). The image may be freed after the call.
    void init(std::string fontKey, const unsigned char* data, long size, unsigned pixelHeight);
    // Only the height and the advances init would give, without any glyph image or GL object:
    // measures text, draws nothing. Throws as init does.
    void measure(const unsigned char* data, long size, unsigned pixelHeight);
    // Deletes the display lists, gives the glyph chunks back to atlas page 0 and forgets the
    // advances.
    void clean();
};

extern Font largeFont, mediumFont, smallFont;

// Reads "fonts\" + fileName from the pack and builds the font at that size. A missing file or a
// FreeType failure is logged and leaves a font that draws nothing and measures 0.
void loadFont(Font* font, std::string fileName, float size);
// Builds the three game fonts from the screen height (creating atlas page 0 first if needed); from
// then on every flush of page 0 builds them again.
void reloadFonts();
// The three game fonts' heights and advances for the screen height as reloadFonts builds them,
// without a GL context: what the game measures its texts with, for work that draws nothing.
void measureFonts();
// Cleans the three game fonts (shut-down).
void cleanFonts();

// Breaks text into the lines of a box boxWidth wide with margin on both sides, at blanks and
// line feeds; a word wider than the box is broken where it meets the box's edge.
std::vector<std::string> wrapText(std::string text, const Font& font, float scale, float boxWidth, float margin);

namespace freetype {

// Draws one line with its baseline at y. Anchor 0 centres on x, 6 ends at x, 8 centres on x and
// lowers the baseline by half the font height, any other starts at x. Colour values 0..255.
void print(std::string text, float x, float y, int anchor, float scale, float r, float g, float b, float a,
           const Font* font);
// print in black at (x + offset, y + offset), then in the colour at (x, y).
void printShadowed(const char* text, float x, float y, float shadowOffset, int anchor, float scale, float r,
                   float g, float b, float a, const Font* font);
// HALF the unscaled advance width of the text (screens rely on the half); characters outside
// 32..127 count as '*'.
float getWidth(const Font* font, std::string text);
// The text's screen rectangle as print places it, from the baseline up by height x scale.
ScreenRect bbox(const char* text, float x, float y, const Font* font, int anchor, float scale);

}  // namespace freetype

// Drawing kit shared by the texture generators: styled text, panels, bevelled block faces, icons.
#pragma once
#include <string>
#include <vector>

#include "tools/raster.h"
#include "tools/text_raster.h"

struct TextLook {
    ArtFont font = ArtFont::SansBold;
    float size = 24.0f;
    Rgba top{1, 1, 1, 1}, bottom{1, 1, 1, 1};  // vertical gradient over the letters
    float outline = 0.0f;
    Rgba outlineColour{0, 0, 0, 0.85f};
    float shadowBlur = 0.0f, shadowDx = 0.0f, shadowDy = 0.0f;
    Rgba shadowColour{0, 0, 0, 0.7f};
    float glow = 0.0f;  // additive halo radius
    Rgba glowColour{1, 1, 1, 0.5f};
};

enum class Align { Left, Centre };

// One line with its baseline at y; returns the advance width.
float drawText(Image& img, const std::string& text, float x, float y, const TextLook& look, Align align);
// Word-wrapped text from the top edge yTop; "\n" starts a new paragraph. Returns the y below the last line.
float drawParagraph(Image& img, const std::string& text, float x, float yTop, float maxWidth, const TextLook& look,
                    Align align, float lineSpacing = 1.2f);

// A rounded panel with a vertical gradient, a border and a soft top sheen.
void drawPanel(Image& img, float x0, float y0, float x1, float y1, float radius, Rgba fillTop, Rgba fillBottom,
               Rgba border, float borderWidth);
// Soft radial glow (additive-looking light) centred at (cx, cy).
void drawGlow(Image& img, float cx, float cy, float radius, Rgba colour, float strength = 1.0f);
// An elliptical glow that has faded to nothing at rx, ry (for wide banners).
void drawGlowEllipse(Image& img, float cx, float cy, float rx, float ry, Rgba colour);

// A square block face: glossy bevelled tile of one colour. Variants: lit brighter, symbol for colour-blind play.
enum class BlockSymbol { None, Circle, Square, Triangle, Cross, Heart, Star, Diamond };
Image blockFace(Rgba base, bool lit, BlockSymbol symbol, int size = 256);
// The block face mapped onto the three visible sides of an isometric cube centred at (cx, cy).
void drawIsoCube(Image& img, const Image& face, float cx, float cy, float size);
// Maps src onto the parallelogram origin + u * (ux, uy) + v * (vx, vy), times a brightness.
void mapImage(Image& dst, const Image& src, float ox, float oy, float ux, float uy, float vx, float vy, float shade);

// Pictograms used by several images.
void drawMouse(Image& img, float cx, float cy, float height, int litButton, Rgba litColour);
void drawKeycap(Image& img, float cx, float cy, float size, const std::string& label);
void drawTurnArrows(Image& img, float cx, float cy, float radius, Rgba colour);
void drawClock(Image& img, float cx, float cy, float radius, Rgba colour);
void drawAtom(Image& img, float cx, float cy, float radius, Rgba colour);
void drawMultiplier(Image& img, float cx, float cy, float size, Rgba colour);
void drawWarningSign(Image& img, float cx, float cy, float size);
void drawPadlock(Image& img, float cx, float cy, float size, Rgba colour);
void drawChevrons(Image& img, float cx, float cy, float size, int count, Rgba colour);
void drawSymbol(Image& img, BlockSymbol symbol, float cx, float cy, float size, Rgba fill, Rgba edge);

// Block colours of the game: 1 yellow, 2 blue, 3 red, 4 orange, 5 pink, 6 grey, 7 green.
Rgba blockColour(int colour);

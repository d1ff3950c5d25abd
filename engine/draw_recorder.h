// The drawing's test seam. While `drawRecorder` points at a list, the entry points the pages draw
// and sound through append one DrawCall each to it and draw (or play) nothing:
//   Render2D, Render2DUV, drawColourQuad, drawLineLoop        -> Quad, QuadUV, ColourQuad, LineLoop
//   freetype::print, freetype::printShadowed                   -> Print, PrintShadowed (one call)
//   drawMeshSet, activateAtlasChunk                            -> Mesh, Chunk (the texture's name)
//   PlaySound                                                  -> Sound (returns -1)
//   pushOrtho, popOrtho                                        -> PushOrtho, PopOrtho
// It is null in the game. A test points it at its own vector and sets it back to null; fonts are
// plain data (set height and glyphWidths, and getWidth measures without a GL context). Direct GL
// calls of the pages (matrices, blending) still go to GL, which ignores them without a context.
#pragma once
#include "engine/vecmath.h"

#include <string>
#include <vector>

struct Font;

enum class DrawOp {
    Quad,
    QuadUV,
    ColourQuad,
    LineLoop,
    Print,
    PrintShadowed,
    Mesh,
    Chunk,
    Sound,
    PushOrtho,
    PopOrtho,
};

struct DrawCall {
    DrawOp op = DrawOp::Quad;
    std::string text;             // texture, text or sound name
    float x = 0.0f, y = 0.0f;     // anchor point (quads), text position
    float w = 0.0f, h = 0.0f;     // quad size
    int anchor = 0;
    float alpha = 0.0f;           // quad alpha; colour alpha of text and coloured quads; sound volume
    float scale = 0.0f;           // text scale; sound pitch; line width
    float r = 0.0f, g = 0.0f, b = 0.0f;
    float shadow = 0.0f;          // printShadowed's offset
    const Font* font = nullptr;
    Vector2 uv[4];                // Render2DUV's corners: top-left, bottom-left, bottom-right, top-right
};

extern std::vector<DrawCall>* drawRecorder;

// Appends the call while a recorder is set; true when it did (the caller then returns).
bool recordDraw(const DrawCall& call);

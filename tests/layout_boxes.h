// Boxes on the screen for the tests that keep the pieces of a page apart: a text's box, and
// whether two boxes overlap. Needs the game layer (layout) and the engine's fonts.
#pragma once
#include <string>

#include "engine/fonts.h"
#include "game/layout.h"

// The box freetype::bbox gives the text, as a LayoutRect.
inline LayoutRect textBox(const std::string& text, float x, float y, int anchor, float scale, const Font& font)
{
    const ScreenRect r = freetype::bbox(text.c_str(), x, y, &font, anchor, scale);
    return {static_cast<float>(r.left), static_cast<float>(r.top), static_cast<float>(r.right),
            static_cast<float>(r.bottom)};
}

inline bool overlap(const LayoutRect& a, const LayoutRect& b)
{
    // Boxes may share an edge (a pointer on it hits neither); float rounding aside.
    const float e = 0.01f;
    return a.left < b.right - e && b.left < a.right - e && a.top < b.bottom - e && b.top < a.bottom - e;
}

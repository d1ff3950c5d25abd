// Text for the generated art, rendered with FreeType from the system's DejaVu fonts at build time.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/raster.h"

enum class ArtFont { Sans, SansBold, SerifBold, MonoBold };

// Folder of the DejaVu fonts; TS_FONT_DIR in the environment overrides the Debian default.
std::string artFontDir();
// Whether the font can be opened; the builder stops with a clear message when it cannot.
bool artFontAvailable(ArtFont font);

// The text rendered in white as a coverage mask. The mask is the line's advance wide (plus `pad` on every
// side) and ascender-to-descender tall; *baseline gets the baseline's row in the mask.
Mask textMask(ArtFont font, const std::string& utf8, float pixelSize, int pad, float* baseline = nullptr);
// Advance width in pixels.
float textWidth(ArtFont font, const std::string& utf8, float pixelSize);
// Line height (ascender - descender) in pixels.
float lineHeight(ArtFont font, float pixelSize);
// Whether the font has a glyph for the code point.
bool fontHasGlyph(ArtFont font, uint32_t codepoint);
// The largest size at which the text is at most maxWidth wide, capped at maxSize.
float fitTextSize(ArtFont font, const std::string& utf8, float maxSize, float maxWidth);
// Words broken into lines of at most maxWidth pixels (a word longer than that gets a line of its own).
std::vector<std::string> wrapWords(ArtFont font, const std::string& utf8, float pixelSize, float maxWidth);

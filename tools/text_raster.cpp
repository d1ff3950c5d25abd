#include "tools/text_raster.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

// FreeType objects are not shared between threads: each thread that draws text opens its own.
struct FontSet {
    FT_Library lib = nullptr;
    FT_Face faces[4] = {nullptr, nullptr, nullptr, nullptr};
    bool tried[4] = {false, false, false, false};
    ~FontSet() {
        for (FT_Face f : faces)
            if (f) FT_Done_Face(f);
        if (lib) FT_Done_FreeType(lib);
    }
};

thread_local FontSet tFonts;

const char* fileOf(ArtFont font) {
    switch (font) {
    case ArtFont::Sans: return "DejaVuSans.ttf";
    case ArtFont::SansBold: return "DejaVuSans-Bold.ttf";
    case ArtFont::SerifBold: return "DejaVuSerif-Bold.ttf";
    case ArtFont::MonoBold: return "DejaVuSansMono-Bold.ttf";
    }
    return "DejaVuSans.ttf";
}

FT_Face faceOf(ArtFont font) {
    int i = static_cast<int>(font);
    if (!tFonts.tried[i]) {
        tFonts.tried[i] = true;
        if (!tFonts.lib && FT_Init_FreeType(&tFonts.lib) != 0) tFonts.lib = nullptr;
        if (tFonts.lib) {
            std::string path = artFontDir() + "/" + fileOf(font);
            if (FT_New_Face(tFonts.lib, path.c_str(), 0, &tFonts.faces[i]) != 0) tFonts.faces[i] = nullptr;
        }
    }
    return tFonts.faces[i];
}

std::vector<uint32_t> decodeUtf8(const std::string& s) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        uint32_t cp = c;
        int extra = 0;
        if (c >= 0xf0) { cp = c & 0x07; extra = 3; }
        else if (c >= 0xe0) { cp = c & 0x0f; extra = 2; }
        else if (c >= 0xc0) { cp = c & 0x1f; extra = 1; }
        ++i;
        for (int k = 0; k < extra && i < s.size(); ++k, ++i) cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3f);
        out.push_back(cp);
    }
    return out;
}

// Sizes in 26.6 fixed point are set in whole pixels for the height and fractional via char size.
bool setSize(FT_Face face, float pixelSize) {
    return FT_Set_Char_Size(face, 0, FT_F26Dot6(std::lround(pixelSize * 64.0f)), 72, 72) == 0;
}

}  // namespace

std::string artFontDir() {
    const char* env = std::getenv("TS_FONT_DIR");
    if (env && *env) return env;
    return "/usr/share/fonts/truetype/dejavu";
}

bool artFontAvailable(ArtFont font) { return faceOf(font) != nullptr; }

float lineHeight(ArtFont font, float pixelSize) {
    FT_Face face = faceOf(font);
    if (!face || !setSize(face, pixelSize)) return pixelSize;
    return float(face->size->metrics.ascender - face->size->metrics.descender) / 64.0f;
}

bool fontHasGlyph(ArtFont font, uint32_t codepoint) {
    FT_Face face = faceOf(font);
    return face && FT_Get_Char_Index(face, codepoint) != 0;
}

float textWidth(ArtFont font, const std::string& utf8, float pixelSize) {
    FT_Face face = faceOf(font);
    if (!face || !setSize(face, pixelSize)) return 0.0f;
    long pen = 0;
    FT_UInt prev = 0;
    for (uint32_t cp : decodeUtf8(utf8)) {
        FT_UInt gi = FT_Get_Char_Index(face, cp);
        if (prev && gi && FT_HAS_KERNING(face)) {
            FT_Vector k;
            if (FT_Get_Kerning(face, prev, gi, FT_KERNING_DEFAULT, &k) == 0) pen += k.x;
        }
        if (FT_Load_Glyph(face, gi, FT_LOAD_DEFAULT | FT_LOAD_NO_HINTING) == 0) pen += face->glyph->advance.x;
        prev = gi;
    }
    return float(pen) / 64.0f;
}

Mask textMask(ArtFont font, const std::string& utf8, float pixelSize, int pad, float* baseline) {
    FT_Face face = faceOf(font);
    if (!face || !setSize(face, pixelSize)) {
        if (baseline) *baseline = float(pad);
        return newMask(2 * pad + 1, 2 * pad + 1);
    }
    float asc = float(face->size->metrics.ascender) / 64.0f;
    float desc = float(-face->size->metrics.descender) / 64.0f;
    float width = textWidth(font, utf8, pixelSize);
    setSize(face, pixelSize);
    // Some glyphs overhang their advance: a little slack on the sides keeps them whole.
    int slack = int(std::ceil(pixelSize * 0.15f));
    int w = int(std::ceil(width)) + 2 * (pad + slack);
    int h = int(std::ceil(asc + desc)) + 2 * pad;
    Mask m = newMask(w, h);
    int base = pad + int(std::lround(asc));
    if (baseline) *baseline = float(base);
    long pen = long(pad + slack) * 64;
    FT_UInt prev = 0;
    for (uint32_t cp : decodeUtf8(utf8)) {
        FT_UInt gi = FT_Get_Char_Index(face, cp);
        if (prev && gi && FT_HAS_KERNING(face)) {
            FT_Vector k;
            if (FT_Get_Kerning(face, prev, gi, FT_KERNING_DEFAULT, &k) == 0) pen += k.x;
        }
        prev = gi;
        if (FT_Load_Glyph(face, gi, FT_LOAD_DEFAULT | FT_LOAD_NO_HINTING) != 0) continue;
        // Sub-pixel pen positions keep the spacing even at every size.
        FT_Vector shift{pen & 63, 0};
        FT_Outline_Translate(&face->glyph->outline, shift.x, 0);
        if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) continue;
        const FT_Bitmap& bm = face->glyph->bitmap;
        int ox = int(pen >> 6) + face->glyph->bitmap_left;
        int oy = base - face->glyph->bitmap_top;
        for (unsigned r = 0; r < bm.rows; ++r)
            for (unsigned c = 0; c < bm.width; ++c) {
                int x = ox + int(c), y = oy + int(r);
                if (x < 0 || y < 0 || x >= w || y >= h) continue;
                float v = bm.buffer[r * unsigned(bm.pitch < 0 ? -bm.pitch : bm.pitch) + c] / 255.0f;
                float& dst = m.ref(x, y);
                dst = dst + v - dst * v;
            }
        pen += face->glyph->advance.x;
    }
    return m;
}

float fitTextSize(ArtFont font, const std::string& utf8, float maxSize, float maxWidth) {
    float w = textWidth(font, utf8, maxSize);
    if (w <= maxWidth || w <= 0.0f) return maxSize;
    return std::floor(maxSize * maxWidth / w * 10.0f) / 10.0f;
}

std::vector<std::string> wrapWords(ArtFont font, const std::string& utf8, float pixelSize, float maxWidth) {
    std::vector<std::string> lines;
    std::istringstream in(utf8);
    std::string word, line;
    while (in >> word) {
        std::string trial = line.empty() ? word : line + " " + word;
        if (!line.empty() && textWidth(font, trial, pixelSize) > maxWidth) {
            lines.push_back(line);
            line = word;
        } else {
            line = trial;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

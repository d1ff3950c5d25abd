#include "engine/fonts.h"

#include "engine/asset_pack.h"
#include "engine/atlas.h"
#include "engine/config.h"
#include "engine/draw_recorder.h"
#include "engine/log.h"
#include "engine/memtrack.h"
#include "engine/profiler.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H

#include <algorithm>
#include <cmath>
#include <iterator>
#include <sstream>
#include <stdexcept>

Font largeFont, mediumFont, smallFont;

static GLuint lastListBase = 0;

namespace {

// Releases the library and face on every way out of Font::init.
struct FreeTypeSession {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~FreeTypeSession()
    {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
};

struct GlyphHolder {
    FT_Glyph glyph = nullptr;
    ~GlyphHolder()
    {
        if (glyph) FT_Done_Glyph(glyph);
    }
};

unsigned char printable(unsigned char ch)
{
    return (ch < 32 || ch > 127) ? '*' : ch;
}

// Opens the font file's face at the game's pixel size (set as points at 96 dpi).
void openFace(FreeTypeSession& session, const unsigned char* data, long size, unsigned pixelHeight)
{
    if (FT_Init_FreeType(&session.library)) throw std::runtime_error("FT_Init_FreeType failed");
    if (!data || size <= 0 || FT_New_Memory_Face(session.library, data, size, 0, &session.face))
        throw std::runtime_error("FT_New_Face failed (there is probably a problem with your font file)");
    if (FT_Set_Char_Size(session.face, pixelHeight * 64, pixelHeight * 64, 96, 96))
        throw std::runtime_error("FT_Set_Char_Size failed");
}

// Loads one character into the face's slot and gives its advance in whole pixels.
float loadGlyph(FT_Face face, unsigned char ch)
{
    if (FT_Load_Glyph(face, FT_Get_Char_Index(face, ch), FT_LOAD_DEFAULT))
        throw std::runtime_error("FT_Load_Glyph failed");
    return static_cast<float>(face->glyph->advance.x >> 6);
}

// Builds one character: its glyph image on atlas page 0, its advance and its display list.
void buildGlyph(const std::string& key, FT_Face face, unsigned char ch, GLuint listBase, float* widths)
{
    const float advance = loadGlyph(face, ch);
    GlyphHolder holder;
    if (FT_Get_Glyph(face->glyph, &holder.glyph)) throw std::runtime_error("FT_Get_Glyph failed");
    if (FT_Glyph_To_Bitmap(&holder.glyph, FT_RENDER_MODE_NORMAL, nullptr, 1))
        throw std::runtime_error("FT_Glyph_To_Bitmap failed");
    FT_BitmapGlyph bitmapGlyph = reinterpret_cast<FT_BitmapGlyph>(holder.glyph);
    const FT_Bitmap& bitmap = bitmapGlyph->bitmap;
    const int width = static_cast<int>(bitmap.width);
    const int rows = static_cast<int>(bitmap.rows);
    const int w = nextPowerOfTwo(width);
    const int h = nextPowerOfTwo(rows);

    // Glyphs go on page 0 only: print binds page 0 and nothing else.
    float px = 0.0f, py = 0.0f;
    bool placed = false;
    if (!atlasPages.empty() && width > 0 && rows > 0) {
        bindAtlasPage(0);
        const int slot = chooseAtlasSlot(static_cast<float>(w), static_cast<float>(h));
        if (slot > -1) {
            const Vector2 at = placeInAtlasSlot(slot, static_cast<float>(w), static_cast<float>(h), "font_" + key);
            px = at.x;
            py = at.y;
            placed = true;
        } else {
            logMessage("no room on atlas page 0 for a glyph of font " + key);
        }
    }
    unsigned char* image = placed ? TS_ALLOC(unsigned char, static_cast<std::size_t>(w) * h * 2) : nullptr;
    if (placed && !image) {
        // The glyph keeps its advance and draws nothing.
        logMessage("out of memory for a glyph of font " + key);
        placed = false;
    }
    if (placed) {
        for (int j = 0; j < h; ++j) {
            // Rows are pitch bytes apart; a negative pitch stores them bottom row first.
            const unsigned char* row = nullptr;
            if (j < rows)
                row = bitmap.pitch >= 0 ? bitmap.buffer + static_cast<std::ptrdiff_t>(j) * bitmap.pitch
                                        : bitmap.buffer + static_cast<std::ptrdiff_t>(rows - 1 - j) * -bitmap.pitch;
            for (int i = 0; i < w; ++i) {
                const unsigned char value = (row && i < width) ? row[i] : 0;
                image[2 * (i + w * j)] = value;
                image[2 * (i + w * j) + 1] = value;
            }
        }
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexSubImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(px), static_cast<GLint>(py), w, h, GL_LUMINANCE_ALPHA,
                        GL_UNSIGNED_BYTE, image);
        TS_FREE(image);
    }

    widths[ch] = advance;

    const float s = atlasPageSizes.empty() ? 1.0f : static_cast<float>(atlasPageSizes[0]);
    glNewList(listBase + ch, GL_COMPILE);
    if (placed) {
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glTranslatef(px / s, py / s, 0.0f);
        glScalef(static_cast<float>(w) / s, static_cast<float>(h) / s, 1.0f);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glTranslatef(static_cast<float>(bitmapGlyph->left), 0.0f, 0.0f);
        const float u = static_cast<float>(width) / static_cast<float>(w);
        const float v = static_cast<float>(rows) / static_cast<float>(h);
        const float e = 0.001f;
        const float top = static_cast<float>(bitmapGlyph->top);
        glBegin(GL_QUADS);
        glTexCoord2f(e, v - e);
        glVertex2f(0.0f, rows - top);
        glTexCoord2f(e, e);
        glVertex2f(0.0f, -top);
        glTexCoord2f(u - e, e);
        glVertex2f(static_cast<float>(width), -top);
        glTexCoord2f(u - e, v - e);
        glVertex2f(static_cast<float>(width), rows - top);
        glEnd();
        glPopMatrix();
    }
    glTranslatef(advance, 0.0f, 0.0f);
    glEndList();
}

}  // namespace

void Font::init(std::string fontKey, const unsigned char* data, long size, unsigned pixelHeight)
{
    clean();
    height = static_cast<float>(pixelHeight);
    key = fontKey;
    for (float& width : glyphWidths) width = 0.0f;

    FreeTypeSession session;
    openFace(session, data, size, pixelHeight);

    listBase = glGenLists(128);
    if (listBase == 0) throw std::runtime_error("glGenLists failed");
    try {
        for (int ch = 32; ch <= 127; ++ch)
            buildGlyph(key, session.face, static_cast<unsigned char>(ch), listBase, glyphWidths);
    } catch (...) {
        glDeleteLists(listBase, 128);
        listBase = 0;
        releaseAtlasChunks(0, "font_" + key);
        for (float& width : glyphWidths) width = 0.0f;
        throw;
    }
    initialised = true;
}

void Font::measure(const unsigned char* data, long size, unsigned pixelHeight)
{
    clean();
    height = static_cast<float>(pixelHeight);
    FreeTypeSession session;
    openFace(session, data, size, pixelHeight);
    // All the advances or none: a failure leaves the font measuring nothing, as a failed build does.
    float widths[128] = {};
    for (int ch = 32; ch <= 127; ++ch)
        widths[ch] = loadGlyph(session.face, static_cast<unsigned char>(ch));
    std::copy(std::begin(widths), std::end(widths), std::begin(glyphWidths));
}

void Font::clean()
{
    // A measured font has advances and nothing else to release.
    for (float& width : glyphWidths) width = 0.0f;
    if (!initialised) return;
    glDeleteLists(listBase, 128);
    if (lastListBase == listBase) lastListBase = 0;
    releaseAtlasChunks(0, "font_" + key);
    listBase = 0;
    initialised = false;
}

// Builds the font at that size from the font file's bytes already read from the pack.
static void buildFont(Font* font, const std::string& fileName, const std::vector<unsigned char>& data, float size)
{
    std::ostringstream key;
    key << fileName << "_" << std::fabs(size);
    try {
        font->init(key.str(), data.data(), static_cast<long>(data.size()), static_cast<unsigned>(size));
    } catch (const std::exception& error) {
        logMessage(std::string("font ") + fileName + ": " + error.what());
    }
}

// Only the font's height and advances, as buildFont gives them.
static void measureFont(Font* font, const std::string& fileName, const std::vector<unsigned char>& data, float size)
{
    try {
        font->measure(data.data(), static_cast<long>(data.size()), static_cast<unsigned>(size));
    } catch (const std::exception& error) {
        logMessage(std::string("font ") + fileName + ": " + error.what());
    }
}

static bool readFontFile(const std::string& fileName, std::vector<unsigned char>& data)
{
    if (readAssetBytes("fonts\\" + fileName, data)) return true;
    logMessage("font fonts\\" + fileName + " is missing; its text is not drawn");
    return false;
}

void loadFont(Font* font, std::string fileName, float size)
{
    font->clean();
    font->height = static_cast<float>(static_cast<unsigned>(size));
    std::vector<unsigned char> data;
    if (readFontFile(fileName, data)) buildFont(font, fileName, data, size);
}

// The three game fonts at the sizes the screen height gives them, each made from its file by `make`.
static void makeGameFonts(void (*make)(Font*, const std::string&, const std::vector<unsigned char>&, float))
{
    const float unit = static_cast<float>(screenHeight) / 1050.0f * 55.0f;
    // The large and the medium font share one file: it is read from the pack once for both.
    const struct {
        Font* font;
        const char* file;
        float size;
    } fonts[] = {{&largeFont, "prototype.ttf", unit * 1.25f},
                 {&mediumFont, "prototype.ttf", unit * 0.5f},
                 {&smallFont, "arialbd.ttf", unit * 0.25f}};
    std::vector<unsigned char> data;
    std::string readFile;
    bool have = false;
    for (const auto& f : fonts) {
        f.font->clean();
        f.font->height = static_cast<float>(static_cast<unsigned>(f.size));
        if (readFile != f.file) {
            readFile = f.file;
            have = readFontFile(readFile, data);
        }
        if (have) make(f.font, f.file, data, f.size);
    }
}

static void buildFonts()
{
    makeGameFonts(buildFont);
}

void reloadFonts()
{
    // Glyphs live on page 0: every flush of it builds them again, creating it included.
    atlasPageZeroFlushed = buildFonts;
    if (atlasPages.empty())
        createAtlasPage();
    else
        buildFonts();
}

void measureFonts()
{
    makeGameFonts(measureFont);
}

void cleanFonts()
{
    largeFont.clean();
    mediumFont.clean();
    smallFont.clean();
}

std::vector<std::string> wrapText(std::string text, const Font& font, float scale, float boxWidth, float margin)
{
    std::vector<std::string> lines;
    std::string line, word;
    const float room = boxWidth - 2.0f * margin;
    auto fits = [&](const std::string& s) { return room > freetype::getWidth(&font, s) * 2.0f * scale; };
    // A word wider than the box is broken: the line before it ends, each head that fits stands on
    // a line of its own and the rest goes on as the word.
    auto breakWord = [&] {
        if (word.empty() || fits(word))
            return;
        if (!line.empty())
            lines.push_back(line);
        line.clear();
        std::string head;
        for (char ch : word) {
            if (!head.empty() && !fits(head + ch)) {
                lines.push_back(head);
                head.clear();
            }
            head += ch;
        }
        word = head;
    };
    for (char ch : text) {
        if (ch == '\n' || ch == ' ')
            breakWord();
        if (ch == '\n') {
            if (fits(line + word)) {
                line += word;
                lines.push_back(line);
            } else {
                lines.push_back(line);
                lines.push_back(word);
            }
            line.clear();
            word.clear();
        } else if (ch == ' ') {
            if (fits(line + word + " ")) {
                line += word + " ";
            } else {
                // A broken word's last piece may fill the box but for its blank: no empty line then.
                if (!line.empty())
                    lines.push_back(line);
                line = word + " ";
            }
            word.clear();
        } else {
            word += ch;
        }
    }
    breakWord();
    if (!word.empty()) {
        if (fits(line + word)) {
            line += word;
        } else {
            lines.push_back(line);
            line = word;
        }
    }
    lines.push_back(line);
    return lines;
}

namespace {

// What the test recorder keeps of a text call instead of drawing it.
void recordText(DrawOp op, const std::string& text, float x, float y, float shadow, int anchor, float scale,
                float r, float g, float b, float a, const Font* font)
{
    DrawCall call;
    call.op = op;
    call.text = text;
    call.x = x, call.y = y;
    call.shadow = shadow;
    call.anchor = anchor;
    call.scale = scale;
    call.r = r, call.g = g, call.b = b, call.alpha = a;
    call.font = font;
    recordDraw(call);
}

} // namespace

namespace freetype {

void print(std::string text, float x, float y, int anchor, float scale, float r, float g, float b, float a,
           const Font* font)
{
    PROFILE_SCOPE("freetype::print");
    if (drawRecorder) {
        recordText(DrawOp::Print, text, x, y, 0.0f, anchor, scale, r, g, b, a, font);
        return;
    }
    if (!font || !font->initialised || text.empty()) return;
    activeChunk = -1;  // the glyph lists load their own texture matrix
    bindAtlasPage(0);
    enableCapability(GL_TEXTURE_2D);
    for (char& ch : text) ch = static_cast<char>(printable(static_cast<unsigned char>(ch)));
    if (font->listBase != lastListBase) {
        glListBase(font->listBase);
        lastListBase = font->listBase;
    }
    const float halfWidth = getWidth(font, text);
    float dx = 0.0f, dy = 0.0f;
    if (anchor == 0) dx = halfWidth * scale;
    else if (anchor == 6) dx = 2.0f * halfWidth * scale;
    else if (anchor == 8) {
        dx = halfWidth * scale;
        dy = font->height * scale / 2.0f;
    }
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(x - dx, y + dy, 0.0f);
    glScalef(scale, scale, scale);
    glColor4ub(alphaByte(r, 1.0f), alphaByte(g, 1.0f), alphaByte(b, 1.0f), alphaByte(a, 1.0f));
    glCallLists(static_cast<GLsizei>(text.size()), GL_UNSIGNED_BYTE, text.data());
    glPopMatrix();
}

void printShadowed(const char* text, float x, float y, float shadowOffset, int anchor, float scale, float r,
                   float g, float b, float a, const Font* font)
{
    if (!text) return;
    if (drawRecorder) {
        recordText(DrawOp::PrintShadowed, text, x, y, shadowOffset, anchor, scale, r, g, b, a, font);
        return;
    }
    print(text, x + shadowOffset, y + shadowOffset, anchor, scale, 0.0f, 0.0f, 0.0f, a, font);
    print(text, x, y, anchor, scale, r, g, b, a, font);
}

float getWidth(const Font* font, std::string text)
{
    PROFILE_SCOPE("freetype::getWidth");
    // A font not built (or only measured) has the advances it was given: none when its build failed.
    if (!font) return 0.0f;
    float sum = 0.0f;
    for (char ch : text) sum += font->glyphWidths[printable(static_cast<unsigned char>(ch))];
    return sum / 2.0f;
}

ScreenRect bbox(const char* text, float x, float y, const Font* font, int anchor, float scale)
{
    PROFILE_SCOPE("freetype::bbox");
    ScreenRect box;
    const float w = (text && font) ? getWidth(font, text) * scale : 0.0f;
    const float height = font ? font->height : 0.0f;
    // Placed as print places it: anchor 8 centres and lowers the baseline by half the height.
    const float baseline = anchor == 8 ? y + height * scale / 2.0f : y;
    box.top = static_cast<int>(baseline - height * scale);
    box.bottom = static_cast<int>(baseline);
    if (anchor == 0 || anchor == 8) {
        box.left = static_cast<int>(x - w);
        box.right = static_cast<int>(x + w);
    } else if (anchor == 6) {
        box.left = static_cast<int>(x - 2.0f * w);
        box.right = static_cast<int>(x);
    } else {
        box.left = static_cast<int>(x);
        box.right = static_cast<int>(x + 2.0f * w);
    }
    return box;
}

}  // namespace freetype

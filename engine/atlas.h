// Texture atlas: every image, glyph and the motion-blur target lives as a named rectangle
// ("chunk") of a few large square GL textures, the pages.
#pragma once
#include "engine/vecmath.h"

#include <GL/gl.h>
#include <string>
#include <vector>

struct AtlasSlot {
    float width = 0.0f, height = 0.0f;  // texels
    float x = 0.0f, y = 0.0f;           // top-left corner in the page
    std::string name;                   // empty for free space
};

extern std::vector<GLuint> atlasPages;                  // GL texture of each page
extern std::vector<std::vector<AtlasSlot>> atlasSlots;  // rectangles of each page; they tile it
extern std::vector<int> atlasPageSizes;                 // edge of each page as it was allocated
extern int boundAtlasPage;   // page bound last by bindAtlasPage; -1 when unknown
extern int activeChunk;      // texture index the texture matrix maps; -1 when none
// The page edge asked for in texels, a power of two (the console's "set atlassize" changes it);
// pages are allocated at the largest edge the card and memory allow up to it.
extern int atlasSize;
constexpr int maxAtlasSize = 16384;
// Stream the reduced images: set when pages come out below 2048 texels (or by the console).
extern int smallTextures;

// Run after page 0 has been flushed: the fonts keep their glyphs there and build them again.
// Set by the fonts (reloadFonts); nothing runs while it is null.
extern void (*atlasPageZeroFlushed)();

// Pages are never allocated smaller than this: halving stops here and the page is given up.
constexpr int minAtlasSize = 256;

// The page edge to allocate for a requested atlasSize: the largest power of two not above
// the request nor above maxTexture (0 = unknown), and never below minAtlasSize. 0 when even
// minAtlasSize is beyond maxTexture.
int validAtlasSize(int requested, int maxTexture);
// The size to try after an allocation of `size` ran out of memory; 0 below the floor.
int halvedAtlasSize(int size);

// Binds the page when it is in range and not bound already.
void bindAtlasPage(int page);
// Best free rectangle of the bound page for a w x h image, -1 when none fits.
int chooseAtlasSlot(float w, float h);
// Claims that rectangle of the bound page for the named chunk; returns its top-left texel.
Vector2 placeInAtlasSlot(int slot, float w, float h, std::string name);
// Adds a page and flushes it: of the given edge (an overflow page), or of atlasSize when edge is
// 0. False when no page could be allocated (the size floor was reached); nothing is added then.
bool createAtlasPage(int edge = 0);
// Empties a page and allocates its texels, cleared to transparent by GL; page 0 then runs
// atlasPageZeroFlushed. False when the allocation failed down to the size floor.
bool flushAtlasPage(int page);
// The edge of a page made for an image that no page has room for once page 0 exists: a quarter
// of the full edge (never below minAtlasSize), doubled until the image fits, at most the full
// edge. Page 0 holds most images; the overflow then costs a fraction of the memory, and a page
// that small is made within one frame even on a software rasteriser.
int overflowPageSize(float w, float h);
// The placement protocol: first page with room, else a new page (an overflow page once page 0
// exists). Returns the page (bound) and the chunk's position, or -1 when the image can never fit
// a page.
int placeInAtlas(float w, float h, const std::string& name, Vector2& position);
// Gives every chunk of that name on the page back as free space (a font's glyphs on rebuild).
void releaseAtlasChunks(int page, const std::string& name);
// Caps atlasSize at the largest texture the card takes; below 2048 texels the reduced images
// stream instead.
void fitAtlasToTextureLimit(int maxTexture);
// Deletes every page's texture (shut-down).
void deleteAtlasPages();

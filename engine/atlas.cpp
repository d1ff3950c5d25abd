#include "engine/atlas.h"

#include "engine/config.h"
#include "engine/gl_extensions.h"
#include "engine/log.h"
#include "engine/memtrack.h"
#include "engine/profiler.h"

#include <GL/glext.h>
#include <algorithm>
#include <cstring>

std::vector<GLuint> atlasPages;
std::vector<std::vector<AtlasSlot>> atlasSlots;
std::vector<int> atlasPageSizes;
int boundAtlasPage = -1;
int activeChunk = -1;
int atlasSize = 4096;
int smallTextures = 0;
void (*atlasPageZeroFlushed)() = nullptr;

int validAtlasSize(int requested, int maxTexture)
{
    int limit = requested;
    if (maxTexture > 0 && maxTexture < limit) limit = maxTexture;
    if (limit < minAtlasSize) return (maxTexture > 0 && maxTexture < minAtlasSize) ? 0 : minAtlasSize;
    int size = minAtlasSize;
    while (size <= limit / 2) size *= 2;
    return size;
}

int halvedAtlasSize(int size)
{
    int half = size / 2;
    return half < minAtlasSize ? 0 : half;
}

static int glMaxTextureSize()
{
    GLint value = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &value);
    return value;
}

static int boundPageSize()
{
    if (boundAtlasPage < 0 || boundAtlasPage >= static_cast<int>(atlasPageSizes.size())) return 0;
    return atlasPageSizes[boundAtlasPage];
}

void bindAtlasPage(int page)
{
    if (page < 0 || page >= static_cast<int>(atlasPages.size())) return;
    if (page == boundAtlasPage) return;
    boundAtlasPage = page;
    glBindTexture(GL_TEXTURE_2D, atlasPages[page]);
}

int chooseAtlasSlot(float w, float h)
{
    if (boundAtlasPage < 0 || boundAtlasPage >= static_cast<int>(atlasSlots.size())) return -1;
    const std::vector<AtlasSlot>& slots = atlasSlots[boundAtlasPage];
    const float size = static_cast<float>(boundPageSize());
    int best = -1;
    float bestSpare = size * size;
    for (int i = 0; i < static_cast<int>(slots.size()); ++i) {
        const AtlasSlot& slot = slots[i];
        if (!slot.name.empty() || slot.width < w || slot.height < h) continue;
        const float spare = slot.width * slot.height - w * h;
        if (spare < bestSpare) {
            best = i;
            bestSpare = spare;
        }
        if (spare == 0.0f) return i;
    }
    return best;
}

Vector2 placeInAtlasSlot(int slot, float w, float h, std::string name)
{
    if (boundAtlasPage < 0 || boundAtlasPage >= static_cast<int>(atlasSlots.size())) return Vector2();
    std::vector<AtlasSlot>& slots = atlasSlots[boundAtlasPage];
    if (slot < 0 || slot >= static_cast<int>(slots.size())) return Vector2();
    const AtlasSlot old = slots[slot];
    slots[slot].name = name;
    slots[slot].width = w;
    slots[slot].height = h;

    AtlasSlot below, right;
    below.x = old.x;
    below.y = old.y + h;
    right.x = old.x + w;
    right.y = old.y;
    right.width = old.width - w;
    if (h > w) {
        below.width = w;
        below.height = old.height - h;
        right.height = old.height;
    } else {
        below.width = old.width;
        below.height = old.height - h;
        right.height = h;
    }
    slots.insert(slots.begin(), below);
    slots.insert(slots.begin(), right);
    return Vector2(old.x, old.y);
}

static void clearGlErrors()
{
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {}
}

// Fills the bound page with transparent black. The card clears it where it can; otherwise zeros go
// up in strips from one small buffer, never a client copy of the whole page.
static void clearBoundPage(GLuint texture, int size)
{
    if (glClearTexImage) {
        const unsigned char zero[4] = {0, 0, 0, 0};
        glClearTexImage(texture, 0, GL_RGBA, GL_UNSIGNED_BYTE, zero);
        if (glGetError() == GL_NO_ERROR) return;
    }
    const int rows = std::max(1, std::min(size, (1 << 20) / (size * 4)));
    const std::size_t bytes = static_cast<std::size_t>(size) * static_cast<std::size_t>(rows) * 4u;
    unsigned char* zeros = TS_ALLOC(unsigned char, bytes);
    if (!zeros) return;  // the page works; its free space is only undefined
    std::memset(zeros, 0, bytes);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int y = 0; y < size; y += rows)
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, y, size, std::min(rows, size - y), GL_RGBA, GL_UNSIGNED_BYTE, zeros);
    TS_FREE(zeros);
}

bool flushAtlasPage(int page)
{
    if (page < 0 || page >= static_cast<int>(atlasPages.size())) return false;
    // A page of the full edge follows atlasSize, which the console may have set to any number; an
    // overflow page keeps the smaller edge it was made with. Either must be a power of two the
    // card can hold.
    const int requested = atlasPageSizes[page] > 0 ? atlasPageSizes[page] : atlasSize;
    const bool fullEdge = requested >= atlasSize;
    int size = validAtlasSize(fullEdge ? atlasSize : requested, glMaxTextureSize());
    for (;;) {
        if (size == 0) {
            logMessage("atlas page " + std::to_string(page) + " could not be allocated");
            return false;
        }
        if (fullEdge) atlasSize = size;
        logMessage("flushing atlas " + std::to_string(page) + " @ " + std::to_string(size) + " texels");
        boundAtlasPage = -1;
        bindAtlasPage(page);
        atlasSlots[page].assign(1, AtlasSlot());
        atlasSlots[page][0].width = static_cast<float>(size);
        atlasSlots[page][0].height = static_cast<float>(size);
        atlasPageSizes[page] = size;

        clearGlErrors();
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        // Out of memory: try the next smaller page.
        if (glGetError() == GL_OUT_OF_MEMORY) {
            size = halvedAtlasSize(size);
            if (fullEdge && size != 0 && size < 2048) smallTextures = 1;
            continue;
        }
        // Transparent, so free space and the one-texel chunk borders sample as nothing.
        clearBoundPage(atlasPages[page], size);
        break;
    }
    if (atlasSize < 2048) smallTextures = 1;
    if (page == 0 && atlasPageZeroFlushed) atlasPageZeroFlushed();
    return true;
}

int overflowPageSize(float w, float h)
{
    const int full = validAtlasSize(atlasSize, glMaxTextureSize());
    int size = std::min(full, std::max(minAtlasSize, full / 4));
    while (size < full && (static_cast<float>(size) < w || static_cast<float>(size) < h)) size *= 2;
    return size;
}

bool createAtlasPage(int edge)
{
    const int page = static_cast<int>(atlasPages.size());
    logMessage("creating atlas " + std::to_string(page));
    GLuint name = 0;
    glGenTextures(1, &name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);  // 3-byte pixel rows are tightly packed
    glBindTexture(GL_TEXTURE_2D, name);
    boundAtlasPage = -1;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, 0);
    logMessage("setting up anisotropy");
    if (anisotropySupported && anisotropicFiltering) {
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, maxAnisotropy);
        logMessage("anisotropy at " + std::to_string(static_cast<int>(maxAnisotropy)) + "x");
    }
    atlasPages.push_back(name);
    atlasSlots.emplace_back();
    atlasPageSizes.push_back(edge > 0 ? edge : 0);
    if (!flushAtlasPage(page)) {
        atlasPages.pop_back();
        atlasSlots.pop_back();
        atlasPageSizes.pop_back();
        glDeleteTextures(1, &name);
        boundAtlasPage = -1;
        return false;
    }
    return true;
}

int placeInAtlas(float w, float h, const std::string& name, Vector2& position)
{
    for (;;) {
        for (int page = 0; page < static_cast<int>(atlasPages.size()); ++page) {
            bindAtlasPage(page);
            const int slot = chooseAtlasSlot(w, h);
            if (slot > -1) {
                position = placeInAtlasSlot(slot, w, h, name);
                return page;
            }
        }
        // An image a fresh page cannot hold would make pages for ever.
        if (w > validAtlasSize(atlasSize, glMaxTextureSize()) || h > validAtlasSize(atlasSize, glMaxTextureSize()))
            return -1;
        // Page 0 takes the bulk at the full edge; later pages hold the overflow at a smaller one.
        if (!createAtlasPage(atlasPages.empty() ? 0 : overflowPageSize(w, h))) return -1;
        const int fresh = atlasPageSizes.back();
        if (w > fresh || h > fresh) return -1;  // the new page came out halved
    }
}

void releaseAtlasChunks(int page, const std::string& name)
{
    if (page < 0 || page >= static_cast<int>(atlasSlots.size()) || name.empty()) return;
    for (AtlasSlot& slot : atlasSlots[page])
        if (slot.name == name) slot.name.clear();
}

void fitAtlasToTextureLimit(int maxTexture)
{
    if (atlasSize > maxTexture) atlasSize = maxTexture;
    if (atlasSize < 2048) smallTextures = 1;
}

void deleteAtlasPages()
{
    if (!atlasPages.empty()) glDeleteTextures(static_cast<GLsizei>(atlasPages.size()), atlasPages.data());
    atlasPages.clear();
    atlasSlots.clear();
    atlasPageSizes.clear();
    boundAtlasPage = -1;
    activeChunk = -1;
}

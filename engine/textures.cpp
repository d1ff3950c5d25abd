#include "engine/textures.h"

#include "engine/asset_pack.h"
#include "engine/atlas.h"
#include "engine/config.h"
#include "engine/draw_recorder.h"
#include "engine/gl_extensions.h"
#include "engine/log.h"
#include "engine/memtrack.h"
#include "engine/profiler.h"
#include "engine/texture_names.h"
#include "platform/system.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <algorithm>
#include <cstdlib>

std::vector<TextureRecord> textures;
std::vector<TextureRecord> textureQueue;
std::string lastTextureName;
int lastTextureIndex = -1;
int seekStep = 1;
TextureStream textureStream;
std::vector<std::string> missingTexturePaths;
bool motionBlurReserved = false;
static bool motionBlurUnplaceable = false;
static const char* const motionBlurName = "motionblur";

bool reserveMotionBlurChunk()
{
    if (motionBlurUnplaceable) return false;
    const float w = static_cast<float>(screenWidth);
    const float h = static_cast<float>(screenHeight);
    Vector2 position;
    const int page = placeInAtlas(w, h, motionBlurName, position);
    if (page < 0) {
        motionBlurReserved = false;
        motionBlurUnplaceable = true;
        logMessage("screen larger than an atlas page: no motion blur");
        return false;
    }
    TextureRecord record;
    record.name = motionBlurName;
    record.width = w;
    record.height = h;
    record.atlasX = position.x;
    record.atlasY = position.y;
    record.atlasPage = page;
    // A second window pass reserves it again: keep one record, so its index stays put.
    const int existing = findTextureIndex(motionBlurName);
    if (existing >= 0)
        textures[static_cast<std::size_t>(existing)] = record;
    else
        textures.push_back(record);
    motionBlurReserved = true;
    return true;
}


std::string texturePath(const std::string& name)
{
    return (smallTextures ? "textures\\small\\" : "textures\\") + name;
}

static bool hasFailed(const std::string& path)
{
    return std::find(missingTexturePaths.begin(), missingTexturePaths.end(), path) != missingTexturePaths.end();
}

int findTextureIndex(std::string name)
{
    for (std::size_t i = 0; i < textures.size(); ++i)
        if (textures[i].name == name) return static_cast<int>(i);
    return textureNotLoaded;
}

void queueTexture(std::string name)
{
    // An empty name comes from colours without an image; a failed path would only fail again.
    if (name.empty() || hasFailed(texturePath(name))) return;
    for (const TextureRecord& queued : textureQueue)
        if (queued.name == name) return;
    TextureRecord record;
    record.name = name;
    textureQueue.push_back(record);
}

int getTextureIndex(std::string name)
{
    if (lastTextureIndex >= 0 && name == lastTextureName) return lastTextureIndex;
    const int index = findTextureIndex(name);
    if (index >= 0) {
        lastTextureName = name;
        lastTextureIndex = index;
        return index;
    }
    // Not an image of the pack: made on the spot when the blur pass first asks for it.
    if (name == motionBlurName) return reserveMotionBlurChunk() ? findTextureIndex(name) : textureNotLoaded;
    queueTexture(name);
    return textureNotLoaded;
}

bool isTextureReady(const std::string& name)
{
    if (getTextureIndex(name) >= 0) return true;
    return name.empty() || hasFailed(texturePath(name));
}

// Removing a record moves every index behind it: no cache may keep naming one.
static void removeTextureRecord(int index)
{
    textures.erase(textures.begin() + index);
    lastTextureName.clear();
    lastTextureIndex = -1;
    activeChunk = -1;
}

static void freeStreamBuffer()
{
    if (textureStream.pixels) TS_FREE(textureStream.pixels);
    textureStream.pixels = nullptr;
    textureStream.capacity = 0;
}

// Drops the front file and leaves the stream idle, so the next name starts its own seek. A file
// that cannot load is remembered, so it is not queued (nor reported) again.
static void dropFrontFile(bool remember = true)
{
    freeStreamBuffer();
    textureStream = TextureStream();
    if (textureQueue.empty()) return;
    const std::string path = texturePath(textureQueue.front().name);
    if (remember && !hasFailed(path)) missingTexturePaths.push_back(path);
    textureQueue.erase(textureQueue.begin());
}

void resetTextures()
{
    motionBlurReserved = false;
    motionBlurUnplaceable = false;
    freeStreamBuffer();
    textureStream = TextureStream();
    textures.clear();
    textureQueue.clear();
    lastTextureName.clear();
    lastTextureIndex = -1;
    missingTexturePaths.clear();
    seekStep = 1;
}

// Starts the front file's seek. False when the pack does not hold it; the warning is
// logged the first time a path is found missing, never again.
static bool startFrontFile()
{
    const std::string path = texturePath(textureQueue.front().name);
    if (hasFailed(path)) return false;
    logMessage("streaming " + path);
    const AssetLocation at = lookUpAsset(path);
    const int offset = at.offset;
    const int size = at.size;
    logMessage("asset offset " + std::to_string(std::abs(offset)));
    logMessage("asset size " + std::to_string(std::abs(size)));
    if (offset == -1 || size < 0 || !assetPackFile) {
        logMessage("WARNING: texture " + path + " not found!");
        logMessage("file failed");
        missingTexturePaths.push_back(path);
        return false;
    }
    textureStream = TextureStream();
    textureStream.seeking = true;
    textureStream.targetOffset = offset;
    textureStream.fileSize = size;
    logMessage("starting seek");
    return true;
}

// zlib defers a forward gzseek on a read stream until the next gzread, so a seek step reads
// (and throws away) its bytes itself: the time measured is the time really spent.
static bool seekStepForward(gzFile file, long pos)
{
    static unsigned char scratch[64 * 1024];
    const long remaining = static_cast<long>(textureStream.targetOffset) - pos;
    const long step = std::min<long>(seekStep, remaining);
    const std::uint64_t before = platformCounter();
    long left = step;
    bool cutShort = false;
    while (left > 0) {
        const unsigned chunk = static_cast<unsigned>(std::min<long>(left, static_cast<long>(sizeof(scratch))));
        const int got = gzread(file, scratch, chunk);
        if (got <= 0) return false;
        left -= got;
        // A machine busy with other work must not stretch the step past its share of the frame:
        // the rest waits for the next frame.
        if (left > 0 && platformMsSince(before) >= seekStepTargetMs) {
            cutShort = true;
            break;
        }
    }
    const double ms = platformMsSince(before);
    // Doubled only while twice the step still stays within the aim, so a step never grows past
    // it into a frame of its own.
    if (step == seekStep) {
        if (ms < seekStepTargetMs / 2 && !cutShort) seekStep = std::min(seekStep * 2, maxSeekStep);
        else if ((cutShort || ms > seekStepTargetMs) && seekStep > 1) seekStep /= 2;
    }
    return true;
}

static void seekStepOnce(gzFile file)
{
    const long pos = gztell(file);
    if (pos < 0) {
        logMessage("seek failed");
        dropFrontFile();
    } else if (pos < textureStream.targetOffset) {
        if (!seekStepForward(file, pos)) {
            logMessage("seek failed: the pack ends before " + textureQueue.front().name);
            dropFrontFile();
        }
    } else if (pos > textureStream.targetOffset) {
        logMessage("rewinding seek");
        if (gzrewind(file) != 0) {
            logMessage("rewind failed");
            dropFrontFile(false);
        }
    } else {
        logMessage("seek complete");
        textureStream.seekDone = true;
        textureStream.seeking = false;
    }
}

static bool readExact(gzFile file, void* buffer, unsigned count)
{
    return gzread(file, buffer, count) == static_cast<int>(count);
}

static void loadHeader(gzFile file)
{
    logMessage("loading headers");
    TextureStream& s = textureStream;
    unsigned char header[18];
    if (!readExact(file, header, sizeof(header))) {
        logMessage("header read failed");
        dropFrontFile();
        return;
    }
    s.idLength = header[0];
    s.imageType = header[2];
    s.width = static_cast<std::uint16_t>(header[12] | (header[13] << 8));
    s.height = static_cast<std::uint16_t>(header[14] | (header[15] << 8));
    s.bitsPerPixel = header[16];
    unsigned char id[255];
    if (s.idLength > 0 && !readExact(file, id, s.idLength)) {
        logMessage("header read failed");
        dropFrontFile();
        return;
    }

    const std::string name = textureQueue.front().name;
    // Only uncompressed true colour is read; run-length (10) and every other type are dropped.
    if (s.imageType != 2) {
        logMessage("rejected image type " + std::to_string(s.imageType));
        dropFrontFile();
        return;
    }
    if (s.bitsPerPixel != 24 && s.bitsPerPixel != 32) {
        logMessage("rejected 16bit file");
        platformMessageBox("Unable to load file " + name, "Error");
        dropFrontFile();
        return;
    }
    s.bytesPerPixel = s.bitsPerPixel / 8;
    s.rowBytes = static_cast<std::size_t>(s.width) * static_cast<std::size_t>(s.bytesPerPixel);
    const std::size_t total = s.rowBytes * static_cast<std::size_t>(s.height);
    const std::size_t available = static_cast<std::size_t>(s.fileSize) > 18u + s.idLength
                                      ? static_cast<std::size_t>(s.fileSize) - 18u - s.idLength
                                      : 0u;
    // Every check before anything is allocated: a crafted header must not size the buffer.
    if (s.width == 0 || s.height == 0 || total > available) {
        logMessage("rejected damaged file " + name);
        dropFrontFile();
        return;
    }
    int pageLimit = validAtlasSize(atlasSize, 0);
    for (int size : atlasPageSizes) pageLimit = std::max(pageLimit, size);
    if (s.width > pageLimit || s.height > pageLimit) {
        logMessage("rejected " + name + ": larger than an atlas page");
        dropFrontFile();
        return;
    }
    s.headerLoaded = true;
    logMessage("headers loaded");
}

// Pixels arrive in steps of this many bytes and the buffer grows with them, so a header and an
// index entry that promise more than the pack holds never size one large block. A step is small
// enough that the frame's reading stops close to its share of the frame.
static constexpr std::size_t pixelReadStep = 256 << 10;

// Reads the front file's pixels for about seekStepTargetMs a frame: a large image is read over
// several frames, the stream staying where the last step left it.
static void readPixels(gzFile file)
{
    TextureStream& s = textureStream;
    const std::size_t total = s.rowBytes * s.height;
    const std::string name = textureQueue.front().name;
    const std::uint64_t start = platformCounter();
    while (s.bytesRead < total) {
        if (platformMsSince(start) >= seekStepTargetMs) return;
        const std::size_t want = std::min(total - s.bytesRead, pixelReadStep);
        if (s.bytesRead + want > s.capacity) {
            const std::size_t capacity = std::min(total, std::max(s.capacity * 2, s.bytesRead + want));
            unsigned char* grown = TS_REALLOC(unsigned char, s.pixels, capacity);
            if (!grown) {
                // Not the file's fault: it may load on a later request.
                logMessage("out of memory reading " + name);
                dropFrontFile(false);
                return;
            }
            s.pixels = grown;
            s.capacity = capacity;
        }
        const int got = gzread(file, s.pixels + s.bytesRead, static_cast<unsigned>(want));
        if (got <= 0 || static_cast<std::size_t>(got) != want) {
            logMessage("read failed: " + name + " is cut short");
            dropFrontFile();
            return;
        }
        s.bytesRead += want;
    }
    if (!bgraSupported) {
        for (std::size_t i = 0; i + 2 < total; i += s.bytesPerPixel)
            std::swap(s.pixels[i], s.pixels[i + 2]);
    }
}

static void finishFile()
{
    logMessage("read finished");
    TextureStream& s = textureStream;
    s.seekDone = false;
    TextureRecord record;
    record.name = textureQueue.front().name;
    record.fadeIn = 0.0f;
    record.width = s.width;
    record.height = s.height;
    logMessage("buffering texture");

    Vector2 position;
    int page = -1;
    if (record.name.find("background") != std::string::npos) {
        // A new backdrop takes the first older one's rectangle, when it fits there.
        bool found = false;
        for (int p = 0; p < static_cast<int>(atlasSlots.size()) && !found; ++p) {
            for (AtlasSlot& slot : atlasSlots[p]) {
                if (slot.name.find("background") == std::string::npos) continue;
                found = true;
                if (slot.width >= record.width && slot.height >= record.height) {
                    const int old = findTextureIndex(slot.name);
                    if (old >= 0) removeTextureRecord(old);
                    slot.name = record.name;
                    position = Vector2(slot.x, slot.y);
                    page = p;
                    bindAtlasPage(p);
                }
                break;
            }
        }
    }
    if (page < 0) page = placeInAtlas(record.width, record.height, record.name, position);
    if (page < 0) {
        logMessage("no atlas room for " + record.name);
        dropFrontFile();
        return;
    }

    logMessage("glTexImage2D start");
    GLenum format;
    if (s.bytesPerPixel == 4) {
        logMessage("4 channel");
        format = bgraSupported ? GL_BGRA : GL_RGBA;
    } else {
        logMessage("3 channel");
        format = bgraSupported ? GL_BGR : GL_RGB;
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, static_cast<int>(position.x), static_cast<int>(position.y), s.width,
                    s.height, format, GL_UNSIGNED_BYTE, s.pixels);
    freeStreamBuffer();
    logMessage("glTexImage2D done");

    record.atlasX = position.x;
    record.atlasY = position.y;
    record.atlasPage = page;
    logMessage("push back");
    textures.push_back(record);
    textureQueue.erase(textureQueue.begin());
    textureStream = TextureStream();
    logMessage("texture complete");
}

// Where the pack stream stands while the front file is read: its first byte once the seek is
// done, then past the header and every pixel byte read so far.
static long expectedStreamPosition()
{
    const TextureStream& s = textureStream;
    if (!s.headerLoaded) return s.targetOffset;
    return static_cast<long>(s.targetOffset) + 18 + s.idLength + static_cast<long>(s.bytesRead);
}

void updateStreamingTextures(float dtMs)
{
    PROFILE_SCOPE("updateStreamingTextures");
    for (TextureRecord& record : textures)
        if (record.fadeIn < 250.0f) record.fadeIn += dtMs;
    if (textureQueue.empty()) return;
    TextureStream& s = textureStream;
    if ((s.seeking || s.seekDone) && !assetPackFile) {  // the pack was closed under us
        dropFrontFile(false);
        return;
    }
    // A new window pass reopens the pack: reading on from wherever the new stream stands would
    // load the wrong bytes, so the file seeks to its start again.
    const bool readsAhead = !s.headerLoaded || s.bytesRead < s.rowBytes * s.height;
    if (s.seekDone && readsAhead && gztell(assetPackFile) != expectedStreamPosition()) {
        logMessage("pack stream moved: seeking " + textureQueue.front().name + " again");
        freeStreamBuffer();
        textureStream = TextureStream();
        return;
    }
    if (!s.seekDone) {
        if (!s.seeking) {
            if (!startFrontFile()) dropFrontFile();
            return;
        }
        seekStepOnce(assetPackFile);
        if (!s.seekDone) return;  // still seeking, or the file was dropped
    }
    if (s.seekDone && !s.headerLoaded) {
        loadHeader(assetPackFile);
        return;
    }
    if (s.seekDone && s.headerLoaded) {
        const std::size_t total = s.rowBytes * s.height;
        if (s.bytesRead < total) readPixels(assetPackFile);
        else finishFile();
    }
}

void activateAtlasChunk(int textureIndex)
{
    PROFILE_SCOPE("activateAtlasChunk");
    if (textureIndex < 0 || textureIndex >= static_cast<int>(textures.size())) return;
    if (drawRecorder) {
        DrawCall call;
        call.op = DrawOp::Chunk;
        call.text = textures[textureIndex].name;
        recordDraw(call);
        return;
    }
    const TextureRecord& record = textures[textureIndex];
    bindAtlasPage(record.atlasPage);
    if (activeChunk == textureIndex) return;
    if (record.atlasPage < 0 || record.atlasPage >= static_cast<int>(atlasPageSizes.size())) return;
    activeChunk = textureIndex;
    const float s = static_cast<float>(atlasPageSizes[record.atlasPage]);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glTranslatef((record.atlasX + 1.0f) / s, (record.atlasY + 1.0f) / s, 0.0f);
    glScalef((record.width - 2.0f) / s, (record.height - 2.0f) / s, 1.0f);
    glMatrixMode(GL_MODELVIEW);
}

void queueAllTextures()
{
    PROFILE_SCOPE("queueAllTextures");
    for (const std::string& name : streamedTextureNames()) getTextureIndex(name);
}

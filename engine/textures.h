// Textures and texture streaming: Targa images from the asset pack, loaded one step a frame
// into the texture atlas and looked up by their asset file name.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TextureRecord {
    std::string name;      // asset file name as requested ("cursor_red.tga")
    float fadeIn = 0.0f;   // ms since it became available, raised while below 250
    float width = 0.0f, height = 0.0f;
    float atlasX = 0.0f, atlasY = 0.0f;  // the chunk's corner in its page
    int atlasPage = 0;
};

// The file being streamed (the front of textureQueue).
struct TextureStream {
    bool seeking = false;
    bool seekDone = false;
    bool headerLoaded = false;
    int targetOffset = 0;       // the file's first byte in the uncompressed pack
    int fileSize = 0;           // the file's size in the pack
    std::uint8_t idLength = 0;
    std::uint8_t imageType = 0;
    std::uint16_t width = 0, height = 0;
    std::uint8_t bitsPerPixel = 0;
    int bytesPerPixel = 0;
    std::size_t rowBytes = 0;
    std::size_t bytesRead = 0;
    unsigned char* pixels = nullptr;  // grows with the bytes read
    std::size_t capacity = 0;         // bytes allocated at pixels
};

extern std::vector<TextureRecord> textures;      // loaded, in the order they finished
extern std::vector<TextureRecord> textureQueue;  // names waiting, first request first
extern std::string lastTextureName;              // one-entry lookup cache
extern int lastTextureIndex;
extern int seekStep;                             // bytes one frame's forward seek advances
extern TextureStream textureStream;
// Paths that can never load (not in the pack, or a file the streamer rejected); they are not
// queued again.
extern std::vector<std::string> missingTexturePaths;

// Upper bound of seekStep: one frame's seek never reads more than this.
constexpr int maxSeekStep = 4 << 20;
// A seek step aims at this many milliseconds of decompression a frame.
constexpr double seekStepTargetMs = 10.0;
// Marker for a name that is not loaded yet.
constexpr int textureNotLoaded = -99;

// Whether the screen-sized "motionblur" chunk (no image of the pack: the blur pass copies the frame
// into it) is reserved; the motion-blur pass stays off without it (a screen larger than a page).
extern bool motionBlurReserved;
// Reserves that chunk in the atlas and adds its record (one record, however often it is made).
// Start-up makes it while motion blur is on; otherwise the first lookup of "motionblur" does. A
// screen larger than a page is logged once and never tried again until the textures reset.
bool reserveMotionBlurChunk();

// Index of the loaded texture, or -99 (the name is then queued for streaming).
int getTextureIndex(std::string name);
// The same search without the cache and without queueing; -99 when absent.
int findTextureIndex(std::string name);
// Queues a name once; empty names and names the pack is known not to hold are never queued.
void queueTexture(std::string name);
// The pack path a name streams from under the current smallTextures setting.
std::string texturePath(const std::string& name);
// True when the name's image is loaded, or can never load (the pack does not hold it or holds
// a file the streamer rejects: the game runs without media). Asking queues the name like
// getTextureIndex.
bool isTextureReady(const std::string& name);
// Binds the texture's atlas page and points the texture matrix at its chunk (one texel inset).
void activateAtlasChunk(int textureIndex);
// One streaming step for the front of the queue; fades loaded textures in.
void updateStreamingTextures(float dtMs);
// Queues every streamed texture name (engine/texture_names.h) in its order.
void queueAllTextures();
// Empties the lists and caches and frees the stream's buffer (tests and shut-down).
void resetTextures();

// Shared by the texture, atlas, 2D drawing and font tests: packs made with the pack writer,
// Targa images, a GL window under the test display, and pixel read-back.
#pragma once
#include "tools/pack_assets.h"

#include <cstdint>
#include <string>
#include <vector>

// A Targa file: type 2 (or the given type), width x height, 24 or 32 bits (or any depth given),
// rows bottom-up as stored; pixel(x, y) gives B, G, R, A for the stored row y.
struct TgaPixel {
    unsigned char b, g, r, a;
};
std::vector<unsigned char> makeTga(int width, int height, int bits, TgaPixel (*pixel)(int x, int y),
                                   int imageType = 2);
std::vector<unsigned char> solidTga(int width, int height, int bits, unsigned char r, unsigned char g,
                                    unsigned char b, unsigned char a = 255);

// Writes the assets as a pack in ownFolder(), points the pack reader at it and reads
// its index. Textures, atlas and fonts state are reset first.
void openTestPack(const std::string& fileName, const std::vector<PackAsset>& assets);
std::string testPackPath(const std::string& fileName);
// A private temporary folder for this process, and making it the working directory (so its
// "console.log" holds only this process's lines; the packs are written there too).
std::string ownFolder();
void useOwnFolder();
// Resets streaming, atlas and font state, closes the pack and deletes the packs written.
void resetRenderState();

// Calls updateStreamingTextures until the queue is empty (at most maxFrames), collecting the
// log lines of those frames.
int streamAll(std::vector<std::string>* log = nullptr, int maxFrames = 100000);
// One streaming frame, the lines it wrote to "console.log" appended to *log.
void streamFrame(std::vector<std::string>* log, float dtMs = 16.0f);
// True when `expected` appears in `log` in this order (other lines may come between).
bool logHasInOrder(const std::vector<std::string>& log, const std::vector<std::string>& expected);
int countLines(const std::vector<std::string>& log, const std::string& line);

// A window with a compatibility GL context under $DISPLAY; false (and nothing open) without one.
bool openGlWindow(int width, int height);
void closeGlWindow();
// The start-up GL state the game draws in: depth test, blending, back-face culling on.
void applyStartupGlState();
// RGBA of the pixel at (x, y) in screen coordinates (y down) of the back buffer.
struct Rgba {
    int r, g, b, a;
};
Rgba readPixel(int x, int y);
// Saves the back buffer as a binary PPM (convert it to PNG to look at it).
void saveScreenshot(const std::string& path);
// The fonts of the real build, as the packer puts them in.
std::vector<unsigned char> systemFontBytes(const std::string& file);

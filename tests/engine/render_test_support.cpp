#include "render_test_support.h"

#include "engine/asset_pack.h"
#include "engine/atlas.h"
#include "engine/config.h"
#include "engine/draw2d.h"
#include "engine/fonts.h"
#include "engine/log.h"
#include "engine/textures.h"
#include "tools/pack_writer.h"

#include <GL/gl.h>
#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <unistd.h>

std::vector<unsigned char> makeTga(int width, int height, int bits, TgaPixel (*pixel)(int x, int y), int imageType)
{
    std::vector<unsigned char> out(18, 0);
    out[2] = static_cast<unsigned char>(imageType);
    out[12] = static_cast<unsigned char>(width & 0xff);
    out[13] = static_cast<unsigned char>(width >> 8);
    out[14] = static_cast<unsigned char>(height & 0xff);
    out[15] = static_cast<unsigned char>(height >> 8);
    out[16] = static_cast<unsigned char>(bits);
    const int bytes = bits / 8;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const TgaPixel p = pixel(x, y);
            const unsigned char channels[4] = {p.b, p.g, p.r, p.a};
            for (int c = 0; c < bytes && c < 4; ++c) out.push_back(channels[c]);
        }
    return out;
}

std::vector<unsigned char> solidTga(int width, int height, int bits, unsigned char r, unsigned char g,
                                    unsigned char b, unsigned char a)
{
    std::vector<unsigned char> out(18, 0);
    out[2] = 2;
    out[12] = static_cast<unsigned char>(width & 0xff);
    out[13] = static_cast<unsigned char>(width >> 8);
    out[14] = static_cast<unsigned char>(height & 0xff);
    out[15] = static_cast<unsigned char>(height >> 8);
    out[16] = static_cast<unsigned char>(bits);
    for (int i = 0; i < width * height; ++i) {
        out.push_back(b);
        out.push_back(g);
        out.push_back(r);
        if (bits == 32) out.push_back(a);
    }
    return out;
}

static std::vector<std::string> packsMade;
std::string ownFolder();
static void leaveOwnFolder();

std::string testPackPath(const std::string& fileName)
{
    return ownFolder() + "/" + fileName;
}

void resetRenderState()
{
    cleanFonts();
    resetTextures();
    deleteAtlasPages();
    resetMeshSetCache();
    closeAssetPack();
    assetIndex.clear();
    enabledCapabilities.clear();
    seekStep = 1;
    for (const std::string& path : packsMade) std::remove(path.c_str());
    packsMade.clear();
    leaveOwnFolder();
}

void openTestPack(const std::string& fileName, const std::vector<PackAsset>& assets)
{
    resetRenderState();
    useOwnFolder();
    std::string error;
    if (!writeAssetPack(testPackPath(fileName), assets, error))
        std::fprintf(stderr, "writeAssetPack: %s\n", error.c_str());
    packsMade.push_back(testPackPath(fileName));
    assetPackPath = testPackPath(fileName);
    readAssetIndex();
}

// Tests run in their own folder, so "console.log" there holds only this process's lines.
static std::size_t consoleLogSize()
{
    std::ifstream in("console.log", std::ios::binary | std::ios::ate);
    return in ? static_cast<std::size_t>(in.tellg()) : 0;
}

static void appendConsoleLogSince(std::size_t offset, std::vector<std::string>* log)
{
    std::ifstream in("console.log", std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        log->push_back(line);
    }
}

static std::string& ownFolderName()
{
    static std::string folder;
    return folder;
}

static void removeOwnFolder()
{
    const std::string folder = ownFolderName();
    if (chdir("/") != 0) return;
    std::remove((folder + "/console.log").c_str());
    rmdir(folder.c_str());
}

// A private folder per test process: its own "console.log" and its own packs.
std::string ownFolder()
{
    std::string& folder = ownFolderName();
    if (folder.empty()) {
        char pattern[] = "/tmp/ts_render_test_XXXXXX";
        if (mkdtemp(pattern)) {
            folder = pattern;
            std::atexit(removeOwnFolder);
        } else {
            folder = ".";
        }
    }
    return folder;
}

static std::string startFolder;

void useOwnFolder()
{
    if (startFolder.empty()) {
        char here[4096];
        if (getcwd(here, sizeof(here))) startFolder = here;
    }
    if (chdir(ownFolder().c_str()) != 0) std::fprintf(stderr, "cannot enter %s\n", ownFolder().c_str());
    closeLogFile();   // the next line opens "console.log" here
}

// Other tests of this program expect the build folder as the working directory.
static void leaveOwnFolder()
{
    closeLogFile();
    if (!startFolder.empty() && chdir(startFolder.c_str()) != 0)
        std::fprintf(stderr, "cannot return to %s\n", startFolder.c_str());
}

void streamFrame(std::vector<std::string>* log, float dtMs)
{
    const std::size_t before = consoleLogSize();
    updateStreamingTextures(dtMs);
    if (log) appendConsoleLogSince(before, log);
}

int streamAll(std::vector<std::string>* log, int maxFrames)
{
    int frames = 0;
    while (!textureQueue.empty() && frames < maxFrames) {
        streamFrame(log);
        ++frames;
    }
    return frames;
}

bool logHasInOrder(const std::vector<std::string>& log, const std::vector<std::string>& expected)
{
    std::size_t next = 0;
    for (const std::string& line : log)
        if (next < expected.size() && line == expected[next]) ++next;
    return next == expected.size();
}

int countLines(const std::vector<std::string>& log, const std::string& line)
{
    int count = 0;
    for (const std::string& l : log) count += l == line;
    return count;
}

static SDL_Window* window = nullptr;
static SDL_GLContext context = nullptr;
static int windowHeight = 0;

bool openGlWindow(int width, int height)
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return false;
    // Said in the test's output: a display that is set but refuses is no plain absence.
    auto refused = [display](const char* what) {
        std::fprintf(stderr, "no %s on DISPLAY %s: %s\n", what, display, SDL_GetError());
        return false;
    };
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return refused("video");
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    window = SDL_CreateWindow("render test", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    if (!window) {
        refused("window");
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    context = SDL_GL_CreateContext(window);
    if (!context) {
        refused("GL context");
        closeGlWindow();
        return false;
    }
    SDL_GL_MakeCurrent(window, context);
    windowHeight = height;
    screenWidth = width;
    screenHeight = height;
    glViewport(0, 0, width, height);
    glReadBuffer(GL_BACK);
    return true;
}

void closeGlWindow()
{
    if (context) SDL_GL_DeleteContext(context);
    if (window) SDL_DestroyWindow(window);
    context = nullptr;
    window = nullptr;
    // Video stays initialised: unloading the GL driver would strand what it allocated.
}

void applyStartupGlState()
{
    enabledCapabilities.clear();
    enableCapability(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    enableCapability(GL_BLEND);
    enableCapability(GL_CULL_FACE);
    glCullFace(GL_BACK);
}

Rgba readPixel(int x, int y)
{
    unsigned char p[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, windowHeight - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return Rgba{p[0], p[1], p[2], p[3]};
}

void saveScreenshot(const std::string& path)
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int w = viewport[2], h = viewport[3];
    std::vector<unsigned char> pixels(static_cast<std::size_t>(w) * h * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << w << " " << h << "\n255\n";
    for (int y = h - 1; y >= 0; --y)
        out.write(reinterpret_cast<const char*>(&pixels[static_cast<std::size_t>(y) * w * 3]), w * 3);
}

std::vector<unsigned char> systemFontBytes(const std::string& file)
{
    std::ifstream in("/usr/share/fonts/truetype/dejavu/" + file, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

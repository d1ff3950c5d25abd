// One frame's drawing of 512 textured cubes and 100 live particle systems, beside an empty frame
// (clear and swap only) in the same run, at 1280x720 and 1920x1080. Run it from the run folder
// (data/assets.ass beside it) with a display, e.g. under xvfb-run.
//   bench_frame_bench [--frames N] [--screenshot scene.ppm]
#include "engine/asset_pack.h"
#include "engine/atlas.h"
#include "engine/camera.h"
#include "engine/config.h"
#include "engine/draw2d.h"
#include "engine/gl_extensions.h"
#include "engine/meshes.h"
#include "engine/polyparticles.h"
#include "engine/startup.h"
#include "engine/textures.h"
#include "engine/window.h"
#include "platform/system.h"
#include "platform/video.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const blockTextures[] = {"red.tga", "pink.tga", "orange.tga", "green.tga", "yellow.tga", "blue.tga"};
const char* const particleTextures[] = {"redparticle.tga", "blueparticle.tga", "greenparticle.tga",
                                        "yellowparticle.tga", "whiteparticle.tga"};

double nowMs()
{
    return static_cast<double>(platformCounter()) * 1000.0 / static_cast<double>(platformCounterFrequency());
}

bool streamTextures()
{
    std::vector<std::string> names(std::begin(blockTextures), std::end(blockTextures));
    names.insert(names.end(), std::begin(particleTextures), std::end(particleTextures));
    for (int frame = 0; frame < 20000; frame++) {
        bool all = true;
        for (const std::string& name : names)
            all = getTextureIndex(name) != textureNotLoaded && all;
        if (all)
            return true;
        updateStreamingTextures(16);
    }
    return false;
}

void startParticles(PolyparticleSystem& prototype)
{
    for (int i = 0; i < 100; i++) {
        PolyparticleSystem& s = particleSystems[i];
        const Vector3 origin(static_cast<float>(i % 10 - 5) * 40, static_cast<float>(i / 10 % 5) * 20,
                             static_cast<float>(i / 10 - 5) * 40);
        loadPolyparticle(origin, &prototype, particleTextures[i % 5], &s);
        const float flight = 1.0f + static_cast<float>(i % 7);   // systems at different moments
        for (Polyparticle& p : s.particles) {
            p.previousPosition = p.velocity * flight;
            p.position = p.velocity * (flight + 1);
        }
        s.age = 40.0f * static_cast<float>(i % 10);
    }
}

void drawScene()
{
    clearScreen(0.02f, 0.02f, 0.05f, 1);
    applyCamera(0.0f);
    glColor4ub(255, 255, 255, 255);
    int n = 0;
    for (int x = 0; x < 8; x++)
        for (int y = 0; y < 8; y++)
            for (int z = 0; z < 8; z++, n++) {
                const int index = getTextureIndex(blockTextures[n % 6]);
                if (index == textureNotLoaded)
                    continue;
                enableCapability(GL_TEXTURE_2D);
                glPushMatrix();
                glTranslatef((static_cast<float>(x) - 3.5f) * blockSize, (static_cast<float>(y) - 3.5f) * blockSize,
                             (static_cast<float>(z) - 3.5f) * blockSize);
                activateAtlasChunk(index);
                drawMeshSet(&cubeMesh);
                glPopMatrix();
            }
    glDepthMask(GL_FALSE);
    particleSpritesDrawn = 0;
    for (PolyparticleSystem& s : particleSystems)
        if (s.active)
            renderPolyparticleSprite(&s, false);
    glDepthMask(GL_TRUE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void saveScreenshot(const char* path, int w, int h)
{
    std::vector<unsigned char> pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    std::FILE* f = std::fopen(path, "wb");
    if (!f) {
        std::fprintf(stderr, "cannot write %s\n", path);
        return;
    }
    std::fprintf(f, "P6\n%d %d\n255\n", w, h);
    for (int row = h - 1; row >= 0; row--)
        std::fwrite(&pixels[static_cast<std::size_t>(row) * static_cast<std::size_t>(w) * 3], 1,
                    static_cast<std::size_t>(w) * 3, f);
    std::fclose(f);
}

bool runAt(int width, int height, int frames, const char* screenshot)
{
    screenWidth = width;
    screenHeight = height;
    fullscreen = 0;
    ApplicationInfo application;
    application.className = "TS";
    std::uint32_t keys[256] = {};
    GameWindow window = makeGameWindow(&application, keys, width, height, false);
    if (!registerWindowClass(&application) || !createWindow(&window)) {
        std::fprintf(stderr, "no window at %dx%d\n", width, height);
        return false;
    }
    initializeEngine();
    setSwapInterval(0);
    loadMesh(&cubeMesh, "cube.mbm");
    loadMesh(&geosphereMesh, "geosphere.mbm");
    buildParticleMesh(&particleMesh);
    PolyparticleSystem prototype;
    loadPolyparticleMesh(geosphereMesh, &prototype);
    if (cubeMesh.meshes.empty() || prototype.particles.empty() || !streamTextures()) {
        std::fprintf(stderr, "the pack's meshes or textures did not load\n");
        deinitializeEngine();
        destroyWindow(&window);
        return false;
    }
    startParticles(prototype);
    camera.set(-150, -20 * blockSize, 220, 0, 0, 0, 0, 0, 1);
    particleDeg = 1.0f;

    // Warm up both paths once, then time them in the same run.
    clearScreen(0, 0, 0, 1);
    platformSwapBuffers(window.hWnd);
    drawScene();
    platformSwapBuffers(window.hWnd);

    double start = nowMs();
    for (int i = 0; i < frames; i++) {
        clearScreen(0, 0, 0, 1);
        platformSwapBuffers(window.hWnd);
    }
    glFinish();
    const double emptyMs = (nowMs() - start) / frames;

    start = nowMs();
    for (int i = 0; i < frames; i++) {
        drawScene();
        platformSwapBuffers(window.hWnd);
    }
    glFinish();
    const double sceneMs = (nowMs() - start) / frames;

    std::printf("%4dx%-4d  empty frame %8.3f ms   scene (512 cubes, 100 systems, %d sprites) %9.3f ms   ratio %7.1f\n",
                width, height, emptyMs, particleSpritesDrawn, sceneMs, sceneMs / emptyMs);
    if (screenshot) {
        drawScene();
        saveScreenshot(screenshot, width, height);
    }
    for (PolyparticleSystem& s : particleSystems)
        s.active = 0;
    deinitializeEngine();
    destroyWindow(&window);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    int frames = 3;   // a software renderer takes seconds for one full scene
    const char* screenshot = nullptr;
    for (int i = 1; i < argc; i++) {
        if (!std::strcmp(argv[i], "--frames") && i + 1 < argc)
            frames = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--screenshot") && i + 1 < argc)
            screenshot = argv[++i];
    }
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "needs a display (run under xvfb-run)\n");
        return 1;
    }
    bool ok = runAt(1280, 720, frames, nullptr);
    ok = runAt(1920, 1080, frames, screenshot) && ok;
    return ok ? 0 : 1;
}

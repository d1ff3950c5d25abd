// The particle-heavy frame: the congratulations page's worst case, 100 live geosphere bursts
// with their streaks (168,000 sprites at the default streak spacing), seen from the level-start
// eye, beside the reference frame (bench/reference_frame.h) in the same window, by turns, at the
// first-run settings of a software rasteriser (VisualQuality 1).
// The page's own update and drawing are not written yet, so the scene sets the bursts up through
// the engine's polyparticle path directly (loadPolyparticle from the geosphere prototype, the
// page's burst textures, the systems at different moments of their flight) and draws them as the
// page will: depth writes off, every active system with renderPolyparticleSprite from the
// level-start view, then the page's cubes are left out (a handful of draws).
// The same scene drawn one sprite at a time follows, as the yardstick of the batching.
// Lines starting "row|" are the figures scripts/bench.sh gathers into its table.
// Run it from the run folder (data/assets.ass beside it) with a display, e.g. under xvfb-run.
//   bench_frame_bench [--frames N] [--size WxH] [--screenshot scene.ppm]
#include "reference_frame.h"
#include "scene_setup.h"

#include "engine/camera.h"
#include "engine/config.h"
#include "engine/gl_extensions.h"
#include "engine/draw2d.h"
#include "engine/meshes.h"
#include "engine/polyparticles.h"
#include "engine/startup.h"
#include "engine/textures.h"
#include "engine/window.h"
#include "platform/video.h"

#include <GL/gl.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The congratulations page's burst textures.
const char* const burstTextures[] = {"yellowparticle.tga", "blueparticle.tga", "redparticle.tga",
                                     "orangeparticle.tga", "pinkparticle.tga", "whiteparticle.tga"};

bool streamTextures()
{
    for (const char* name : burstTextures)
        getTextureIndex(name);
    for (int frame = 0; frame < 20000 && !textureQueue.empty(); frame++)
        updateStreamingTextures(16);
    for (const char* name : burstTextures)
        if (getTextureIndex(name) == textureNotLoaded)
            return false;
    return true;
}

// 100 bursts where the page's rising cubes burst (x across the page, 500 units beyond the view
// point, around its height), each at its own moment of flight.
void startBursts()
{
    for (int i = 0; i < 100; i++) {
        PolyparticleSystem& s = particleSystems[i];
        const Vector3 origin(static_cast<float>(i % 10 - 5) * 70.0f, 500.0f, static_cast<float>(i / 10 - 5) * 30.0f);
        loadPolyparticle(origin, &geospherePolyparticles, burstTextures[i % 6], &s);
        const float flight = 1.0f + static_cast<float>(i % 7);
        for (Polyparticle& p : s.particles) {
            p.previousPosition = p.velocity * flight;
            p.position = p.velocity * (flight + 1);
        }
        s.age = 45.0f * static_cast<float>(i % 10);
    }
}

void drawBursts(bool batched)
{
    clearScreen(0, 0, 0, 1);
    camera.set(0, -20 * blockSize, 0, 0, 0, 0, 0, 0, 1);
    applyCamera(0.0f);
    glDepthMask(GL_FALSE);
    particleSpritesDrawn = 0;
    for (PolyparticleSystem& s : particleSystems) {
        if (!s.active)
            continue;
        if (batched)
            renderPolyparticleSprite(&s, true);
        else
            renderPolyparticleSpriteOneByOne(&s, true);
    }
    glDepthMask(GL_TRUE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

bool runAt(int width, int height, int frames, const char* screenshot)
{
    bench::BenchWindow bw;
    if (!bw.open(width, height))
        return false;
    loadMesh(&geosphereMesh, "geosphere.mbm");
    buildParticleMesh(&particleMesh);
    loadPolyparticleMesh(geosphereMesh, &geospherePolyparticles);
    if (geospherePolyparticles.particles.empty() || !streamTextures()) {
        std::fprintf(stderr, "the pack's meshes or textures did not load\n");
        bw.close();
        return false;
    }
    startBursts();
    particleDeg = 1.0f;
    bench::ReferenceFrame reference;
    if (!bench::setupReferenceFrame(reference, width, height)) {
        std::fprintf(stderr, "the reference frame could not be set up\n");
        return false;
    }
    auto swap = [&] { platformSwapBuffers(bw.window.hWnd); };

    double referenceMs = 0.0, batchedMs = 0.0;
    const double batchedRatio =
        bench::timeBesideReference(reference, frames, [] { drawBursts(true); }, swap, referenceMs, batchedMs);
    const int sprites = particleSpritesDrawn;
    // One sprite at a time costs seconds a frame on a software rasteriser: a few frames do.
    double referenceMs2 = 0.0, singleMs = 0.0;
    const double singleRatio = bench::timeBesideReference(reference, std::max(1, frames / 5),
                                                          [] { drawBursts(false); }, swap, referenceMs2, singleMs);
    bench::releaseReferenceFrame(reference);

    std::printf("%4dx%-4d  reference frame %8.2f ms   100 geosphere bursts (%d sprites): batched %8.2f ms "
                "(ratio %5.2f), one by one %8.2f ms (ratio %5.2f)\n",
                width, height, referenceMs, sprites, batchedMs, batchedRatio, singleMs, singleRatio);
    std::printf("row|congratulations scene, 100 geosphere bursts, %d sprites (%dx%d)|%.2f ms|reference frame|%.2f "
                "ms|%.2f|<= 3\n",
                sprites, width, height, batchedMs, referenceMs, batchedRatio);
    std::printf("row|the same scene one sprite at a time (the path before batching)|%.2f ms|reference frame|%.2f "
                "ms|%.2f|\n",
                singleMs, referenceMs2, singleRatio);
    if (screenshot) {
        drawBursts(true);
        bench::saveScreenshot(screenshot, width, height);
    }
    bench::stopParticles();
    bw.close();
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    bench::DrawOptions options{10};
    const char* screenshot = nullptr;
    for (int i = 1; i < argc; i++)
        if (!bench::takeDrawOption(argc, argv, i, options) && !std::strcmp(argv[i], "--screenshot") && i + 1 < argc)
            screenshot = argv[++i];
    if (!bench::haveDisplay())
        return 1;
    return runAt(options.width, options.height, options.frames, screenshot) ? 0 : 1;
}

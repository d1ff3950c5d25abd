// What the benchmarks of the game's screens set up alike before they draw: the pack's meshes, the
// queued textures streamed in, and a starfield that is the same on every run.
#pragma once
#include "engine/meshes.h"
#include "engine/polyparticles.h"
#include "engine/textures.h"
#include "engine/vecmath.h"
#include "game/backdrops.h"
#include "game/starfield.h"

namespace bench {

// The meshes the screens draw: the cube, the geosphere, the particle quad and both burst prototypes.
inline void loadMeshes()
{
    loadMesh(&cubeMesh, "cube.mbm");
    loadMesh(&geosphereMesh, "geosphere.mbm");
    buildParticleMesh(&particleMesh);
    loadPolyparticleMesh(cubeMesh, &cubePolyparticles);
    loadPolyparticleMesh(geosphereMesh, &geospherePolyparticles);
}

// Every queued texture streamed in, one streamer step a frame made through `step`; then the
// fade-ins run out.
template <class Step>
void streamQueuedTextures(Step step)
{
    for (int frame = 0; frame < 100000 && !textureQueue.empty(); ++frame)
        step();
    for (int i = 0; i < 20; ++i)
        updateStreamingTextures(50.0f);
}

inline void streamQueuedTextures()
{
    streamQueuedTextures([] { updateStreamingTextures(1000.0f / 60.0f); });
}

// The backdrop of a new state streams in first, as it would over the frames of a fade.
inline void streamBackdrop()
{
    getTextureIndex(getBackgroundTexture());
    streamQueuedTextures();
}

inline void makeStars()
{
    stars.clear();
    for (int i = 0; i < starCount; ++i) {
        Star s;
        s.position = Vector3(static_cast<float>((i * 397) % 2000 - 1000), static_cast<float>(1800 - (i * 131) % 1500),
                             static_cast<float>((i * 773) % 2000 - 1000));
        s.size = 0.2f + static_cast<float>(i % 10) / 100.0f;
        s.age = 2000.0f;
        stars.push_back(s);
    }
}

// Ends every burst: a scene starts with none in the air, and none outlive the window.
inline void stopParticles()
{
    for (PolyparticleSystem& s : particleSystems)
        s.active = 0;
}

} // namespace bench

#include "engine/polyparticles.h"

#include "engine/atlas.h"
#include "engine/camera.h"
#include "engine/config.h"
#include "engine/draw2d.h"
#include "engine/log.h"
#include "engine/profiler.h"
#include "engine/random.h"
#include "engine/textures.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>

PolyparticleSystem cubePolyparticles, geospherePolyparticles;
PolyparticleSystem particleSystems[100];
const float particleLifetime = 500.0f;
float particleDeg = 1.0f;
int particleSpritesDrawn = 0;
int peakParticleSprites = 0;

namespace {
// The streak is 20 units long; a step finer than this would only burn the frame.
constexpr int maxStreakSprites = 2000;
constexpr float streakLength = 20.0f;
}

void loadPolyparticleMesh(MeshSet source, PolyparticleSystem* out)
{
    PROFILE_SCOPE("loadPolyparticleMesh");
    logMessage("loading polyparticle mesh");
    for (const Mesh& mesh : source.meshes) {
        const int faces = std::min(mesh.faceCount, static_cast<int>(mesh.faces.size()));
        for (int f = 0; f < faces; f++) {
            const MeshFace& face = mesh.faces[static_cast<std::size_t>(f)];
            const Vector3 c0 = mesh.positions[static_cast<std::size_t>(face.vertexIndex[0])];
            const Vector3 c1 = mesh.positions[static_cast<std::size_t>(face.vertexIndex[1])];
            const Vector3 c2 = mesh.positions[static_cast<std::size_t>(face.vertexIndex[2])];
            const Vector3 centre = ((c0 + c1) + c2) / 3;
            // Draw order x, y, z; integer division truncates toward zero: -5 .. 4.
            const int jx = (gameRandom() % 100 - 50) / 10;
            const int jy = (gameRandom() % 100 - 50) / 10;
            const int jz = (gameRandom() % 100 - 50) / 10;
            Polyparticle p;
            p.position = p.previousPosition = Vector3(0, 0, 0);
            p.velocity = (centre + Vector3(static_cast<float>(jx), static_cast<float>(jy), static_cast<float>(jz))) * 1.5f;
            out->particles.push_back(p);
        }
    }
    logMessage("finished loading polyparticle mesh");
}

void loadPolyparticle(Vector3 origin, PolyparticleSystem* prototype, std::string texture, PolyparticleSystem* out)
{
    PROFILE_SCOPE("loadPolyparticle");
    out->active = 1;
    out->particles = prototype->particles;
    out->age = 0;
    out->texture = texture;
    out->origin = origin;
    out->acceleration = Vector3(0, 0, -10);
}

void polyparticleSpritePoints(const PolyparticleSystem& system, float step, std::vector<Vector3>* out)
{
    out->clear();
    // A console-set step of 0 or less would never end the streak: draw heads only then.
    const bool streaks = std::isfinite(step) && step > 0;
    int streakCount = 0;
    if (streaks) {
        const double count = std::ceil(static_cast<double>(streakLength) / step);
        streakCount = count > maxStreakSprites ? maxStreakSprites : static_cast<int>(count);
    }
    for (const Polyparticle& p : system.particles) {
        const Vector3 head = p.position + system.origin;
        out->push_back(head);
        const Vector3& prev = p.previousPosition;
        if (!streaks || (prev.x == 0 && prev.y == 0 && prev.z == 0))
            continue;
        const Vector3 direction = normalize(p.position - p.previousPosition);
        for (int i = 0; i < streakCount; i++) {
            const float t = static_cast<float>(i) * step;
            if (!(t < streakLength))
                break;
            out->push_back(head + (p.position - direction * t));
        }
    }
}

void renderPolyparticleSprite(PolyparticleSystem* system, bool levelStartView)
{
    PROFILE_SCOPE("renderPolyparticleSprite");
    // The game never starts a system without a texture; there is nothing sensible to draw.
    if (system->texture.empty())
        return;
    const int index = getTextureIndex(system->texture);
    if (index == -99)
        return;

    enableCapability(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    activateAtlasChunk(index);
    glColor4f(1, 1, 1, 1 - system->age / particleLifetime);

    const Vector3 eye = levelStartView ? Vector3(0, -20 * blockSize, 0) : camera.getPosition();
    const Vector3 eyeUp = levelStartView ? Vector3(0, 0, 1) : camera.getUpVector();

    static std::vector<Vector3> points;
    polyparticleSpritePoints(*system, particleDeg, &points);
    for (const Vector3& p : points) {
        glPushMatrix();
        faceCamera(p, eye, eyeUp);
        glScalef(0.25f, 0.25f, 0.25f);
        drawMeshSet(&particleMesh);
        particleSpritesDrawn += 1;
        glPopMatrix();
    }
    if (particleSpritesDrawn > peakParticleSprites)
        peakParticleSprites = particleSpritesDrawn;
}

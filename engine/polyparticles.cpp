#include "engine/polyparticles.h"

#include "engine/atlas.h"
#include "engine/camera.h"
#include "engine/config.h"
#include "engine/draw2d.h"
#include "engine/draw_recorder.h"
#include "engine/gl_extensions.h"
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

namespace {

// The prologue both drawing paths share: the system's texture (false while it streams), additive
// blending, its chunk and one alpha for the whole system; the eye the sprites turn to.
bool beginSprites(const PolyparticleSystem* system, bool levelStartView, Vector3* eye, Vector3* eyeUp)
{
    // The game never starts a system without a texture; there is nothing sensible to draw.
    if (system->texture.empty())
        return false;
    const int index = getTextureIndex(system->texture);
    if (index == textureNotLoaded)
        return false;
    enableCapability(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    activateAtlasChunk(index);
    glColor4f(1, 1, 1, 1 - system->age / particleLifetime);
    *eye = levelStartView ? Vector3(0, -20 * blockSize, 0) : camera.getPosition();
    *eyeUp = levelStartView ? Vector3(0, 0, 1) : camera.getUpVector();
    return true;
}

void countSprites(std::size_t count)
{
    particleSpritesDrawn += static_cast<int>(count);
    if (particleSpritesDrawn > peakParticleSprites)
        peakParticleSprites = particleSpritesDrawn;
}

} // namespace

void buildSpriteQuads(const std::vector<Vector3>& points, Vector3 eye, Vector3 eyeUp, const Mesh& quad,
                      std::vector<float>* out)
{
    out->clear();
    const std::size_t corners = std::min<std::size_t>(4, std::min(quad.positions.size(), quad.texcoords.size()));
    if (corners < 4 || quad.faces.empty())
        return;
    // The quad's corners and texture coordinates in drawing order, scaled as the one-by-one path
    // scales them.
    const MeshFace& face = quad.faces[0];
    Vector3 corner[4];
    float u[4], v[4];
    for (int k = 0; k < 4; k++) {
        corner[k] = quad.positions[static_cast<std::size_t>(face.vertexIndex[k])] * 0.25f;
        const Vector3& t = quad.texcoords[static_cast<std::size_t>(face.texcoordIndex[k])];
        u[k] = t.x;
        v[k] = t.y;
    }
    out->resize(points.size() * 20);
    float* at = out->data();
    for (const Vector3& p : points) {
        // The basis billboardMatrix gives the one-by-one path.
        const Vector3 look = normalize(eye - p);
        const Vector3 right = cross(eyeUp, look);
        const Vector3 up = cross(look, right);
        for (int k = 0; k < 4; k++) {
            const Vector3 c = p + right * corner[k].x + up * corner[k].y + look * corner[k].z;
            at[0] = c.x;
            at[1] = c.y;
            at[2] = c.z;
            at[3] = u[k];
            at[4] = v[k];
            at += 5;
        }
    }
}

void renderPolyparticleSprite(PolyparticleSystem* system, bool levelStartView)
{
    PROFILE_SCOPE("renderPolyparticleSprite");
    Vector3 eye, eyeUp;
    if (!beginSprites(system, levelStartView, &eye, &eyeUp))
        return;
    static std::vector<Vector3> points;
    static std::vector<float> corners;
    polyparticleSpritePoints(*system, particleDeg, &points);
    // Every sprite of the system in one array of camera-facing quads and one draw.
    if (!particleMesh.meshes.empty())
        buildSpriteQuads(points, eye, eyeUp, particleMesh.meshes[0], &corners);
    else
        corners.clear();
    if (!corners.empty() && !drawRecorder) {
        if (vboSupported && glBindBufferARB)
            glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glVertexPointer(3, GL_FLOAT, 5 * sizeof(float), corners.data());
        glTexCoordPointer(2, GL_FLOAT, 5 * sizeof(float), corners.data() + 3);
        glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(corners.size() / 5));
        resetMeshSetCache();   // the arrays now point here, not at the last mesh drawn
    }
    countSprites(points.size());
}

void renderPolyparticleSpriteOneByOne(PolyparticleSystem* system, bool levelStartView)
{
    PROFILE_SCOPE("renderPolyparticleSprite");
    Vector3 eye, eyeUp;
    if (!beginSprites(system, levelStartView, &eye, &eyeUp))
        return;
    static std::vector<Vector3> points;
    polyparticleSpritePoints(*system, particleDeg, &points);
    for (const Vector3& p : points) {
        glPushMatrix();
        faceCamera(p, eye, eyeUp);
        glScalef(0.25f, 0.25f, 0.25f);
        drawMeshSet(&particleMesh);
        glPopMatrix();
    }
    countSprites(points.size());
}

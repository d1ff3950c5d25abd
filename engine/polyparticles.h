// Polyparticles: bursts of additive camera-facing sprites, one per face of a mesh, each flying
// out along its face's direction with a streak behind it.
#pragma once
#include "engine/meshes.h"
#include "engine/vecmath.h"

#include <string>
#include <vector>

struct Polyparticle {
    Vector3 position;          // relative to the system's origin
    Vector3 previousPosition;  // before the last update; (0, 0, 0) until then
    Vector3 velocity;
};

struct PolyparticleSystem {
    Vector3 origin;
    std::vector<Polyparticle> particles;
    Vector3 acceleration;
    unsigned char active = 0;
    float age = 0;             // ms since the start
    std::string texture;       // atlas chunk of the sprites
};

extern PolyparticleSystem cubePolyparticles, geospherePolyparticles;
extern PolyparticleSystem particleSystems[100];
extern const float particleLifetime;   // ms
extern float particleDeg;              // spacing of the streak sprites in world units
extern int particleSpritesDrawn;       // this frame
extern int peakParticleSprites;

// Appends one particle per face of every mesh of source to out (draws from the random source).
void loadPolyparticleMesh(MeshSet source, PolyparticleSystem* out);
// Starts an effect in out as a copy of the prototype's particles.
void loadPolyparticle(Vector3 origin, PolyparticleSystem* prototype, std::string texture, PolyparticleSystem* out);
// Draws the system's sprites facing the camera, or facing the level-start eye when
// levelStartView is set (the congratulations pages draw the burst from there): one array of
// camera-facing quads and one draw for the whole system.
void renderPolyparticleSprite(PolyparticleSystem* system, bool levelStartView);
// The same picture drawn one sprite at a time (push, billboard matrix, scale, the particle quad,
// pop): the yardstick the batched path is held to, in tests and benchmarks.
void renderPolyparticleSpriteOneByOne(PolyparticleSystem* system, bool levelStartView);
// The corners (x, y, z, u, v) of one sprite per point: the first face of the quad mesh turned to
// the eye and scaled by 0.25, exactly where the one-by-one path's matrices put it.
void buildSpriteQuads(const std::vector<Vector3>& points, Vector3 eye, Vector3 eyeUp, const Mesh& quad,
                      std::vector<float>* out);

// Where the system's sprites go (heads, then each streak), in drawing order; step is the streak
// spacing. A step of 0 or less draws no streaks.
void polyparticleSpritePoints(const PolyparticleSystem& system, float step, std::vector<Vector3>* out);

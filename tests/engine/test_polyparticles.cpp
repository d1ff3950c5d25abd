#include "engine/polyparticles.h"
#include "engine/random.h"
#include "engine/textures.h"

#include <gtest/gtest.h>
#include <cmath>

namespace {

// Two triangles with centres (3, 0, 0) and (0, 0, 30).
MeshSet twoFaceMesh()
{
    Mesh mesh;
    mesh.positions = {Vector3(0, 0, 0), Vector3(6, 0, 0), Vector3(3, 0, 0),
                      Vector3(0, 0, 30), Vector3(0, 0, 60), Vector3(0, 0, 0)};
    mesh.texcoords = {Vector3(0, 0, 0)};
    mesh.vertexCount = 6;
    mesh.texcoordCount = 1;
    mesh.faceCount = 2;
    MeshFace a, b;
    a.vertexIndex[0] = 0; a.vertexIndex[1] = 1; a.vertexIndex[2] = 2;
    b.vertexIndex[0] = 3; b.vertexIndex[1] = 4; b.vertexIndex[2] = 5;
    mesh.faces = {a, b};
    MeshSet set;
    set.meshes.push_back(mesh);
    set.meshCount = 1;
    return set;
}

TEST(Polyparticles, PrototypeHasOneParticlePerFaceWithJitterInDrawOrder)
{
    seedRandom(42);
    int jitter[6];
    for (int& j : jitter)
        j = (gameRandom() % 100 - 50) / 10;
    seedRandom(42);
    PolyparticleSystem proto;
    loadPolyparticleMesh(twoFaceMesh(), &proto);
    ASSERT_EQ(proto.particles.size(), 2u);
    const Polyparticle& p = proto.particles[0];
    EXPECT_FLOAT_EQ(p.velocity.x, (3 + jitter[0]) * 1.5f);
    EXPECT_FLOAT_EQ(p.velocity.y, (0 + jitter[1]) * 1.5f);
    EXPECT_FLOAT_EQ(p.velocity.z, (0 + jitter[2]) * 1.5f);
    EXPECT_FLOAT_EQ(proto.particles[1].velocity.z, (30 + jitter[5]) * 1.5f);
    EXPECT_EQ(p.position.x, 0);
    EXPECT_EQ(p.previousPosition.z, 0);
    for (int j : jitter) {
        EXPECT_GE(j, -5);
        EXPECT_LE(j, 4);
    }
    // Appends, never clears.
    loadPolyparticleMesh(twoFaceMesh(), &proto);
    EXPECT_EQ(proto.particles.size(), 4u);

    PolyparticleSystem live;
    live.particles.resize(9);
    loadPolyparticle(Vector3(1, 2, 3), &proto, "blueparticle.tga", &live);
    EXPECT_EQ(live.active, 1);
    EXPECT_EQ(live.particles.size(), 4u);
    EXPECT_EQ(live.age, 0);
    EXPECT_EQ(live.texture, "blueparticle.tga");
    EXPECT_EQ(live.origin.y, 2);
    EXPECT_EQ(live.acceleration.z, -10);
}

PolyparticleSystem movingSystem()
{
    PolyparticleSystem s;
    s.origin = Vector3(100, 0, 0);
    Polyparticle p;
    p.previousPosition = Vector3(0, 0, 5);
    p.position = Vector3(0, 0, 10);   // flying up +z
    s.particles.push_back(p);
    return s;
}

TEST(Polyparticles, StreakSpacingSetsTheSpriteCount)
{
    std::vector<Vector3> points;
    PolyparticleSystem fresh;
    fresh.particles.resize(3);   // previousPosition still zero: heads only
    polyparticleSpritePoints(fresh, 1.0f, &points);
    EXPECT_EQ(points.size(), 3u);

    const PolyparticleSystem s = movingSystem();
    polyparticleSpritePoints(s, 1.0f, &points);
    ASSERT_EQ(points.size(), 21u);
    EXPECT_FLOAT_EQ(points[0].x, 100);   // head at origin + position
    EXPECT_FLOAT_EQ(points[0].z, 10);
    EXPECT_FLOAT_EQ(points[1].z, 20);    // the streak starts at origin + 2 x position
    EXPECT_FLOAT_EQ(points[20].z, 1);    // and runs back 19 units
    polyparticleSpritePoints(s, 2.5f, &points);
    EXPECT_EQ(points.size(), 9u);
}

TEST(Polyparticles, NonPositiveOrTinyStepsNeverLoopForever)
{
    const PolyparticleSystem s = movingSystem();
    std::vector<Vector3> points;
    for (float step : {0.0f, -1.0f, -0.0f, std::nanf("")}) {
        polyparticleSpritePoints(s, step, &points);
        EXPECT_EQ(points.size(), 1u) << step;   // the head only
    }
    polyparticleSpritePoints(s, 1e-30f, &points);
    EXPECT_GT(points.size(), 1u);
    EXPECT_LE(points.size(), 2001u);
    polyparticleSpritePoints(s, 25.0f, &points);
    EXPECT_EQ(points.size(), 2u);   // t = 0 only
}

TEST(Polyparticles, UndrawableSystemsLeaveTheCountersAlone)
{
    particleSpritesDrawn = 0;
    peakParticleSprites = 0;
    PolyparticleSystem s = movingSystem();
    s.active = 1;
    renderPolyparticleSprite(&s, false);   // no texture: nothing to draw
    s.texture = "whiteparticle.tga";
    renderPolyparticleSprite(&s, false);   // not streamed yet: queued, nothing drawn
    EXPECT_EQ(particleSpritesDrawn, 0);
    EXPECT_EQ(peakParticleSprites, 0);
    EXPECT_EQ(findTextureIndex("whiteparticle.tga"), textureNotLoaded);
}

} // namespace

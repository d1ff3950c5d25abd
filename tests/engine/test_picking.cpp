#include "engine/camera.h"
#include "engine/config.h"
#include "engine/picking.h"
#include "engine/window.h"

#include <GL/glu.h>
#include <gtest/gtest.h>
#include <cmath>

namespace {

// The front face (facing -y) of a cube of edge 32 centred on c.
void frontFace(Vector3 c, Vector3 quad[4])
{
    quad[0] = c + Vector3(-16, -16, -16);
    quad[1] = c + Vector3(16, -16, -16);
    quad[2] = c + Vector3(16, -16, 16);
    quad[3] = c + Vector3(-16, -16, 16);
}

void setGameView(int width, int height)
{
    screenWidth = width;
    screenHeight = height;
    lookAtMatrix(Vector3(0, -20 * blockSize, 0), Vector3(0, 0, 0), Vector3(0, 0, 1), modelviewMatrix);
    perspectiveMatrix(45, double(width) / height, 32, 2000, projectionMatrix);
}

TEST(Picking, RayThroughTheFaceHitsItsCentre)
{
    Vector3 quad[4];
    frontFace(Vector3(0, 0, 0), quad);
    mouseRayNear = Vector3(0, -640, 0);
    mouseRayFar = Vector3(0, 1000, 0);
    Vector3 hit(9, 9, 9);
    EXPECT_TRUE(RayPick(quad, &hit));
    EXPECT_NEAR(hit.x, 0, 1e-4);
    EXPECT_NEAR(hit.y, -16, 1e-4);
    EXPECT_NEAR(hit.z, 0, 1e-4);

    // Off to the side: the plane is crossed, the point is outside, hit still holds it.
    frontFace(Vector3(64, 0, 0), quad);
    EXPECT_FALSE(RayPick(quad, &hit));
    EXPECT_NEAR(hit.y, -16, 1e-4);
}

TEST(Picking, ParallelRaysAndEndsOnThePlaneMiss)
{
    Vector3 quad[4];
    frontFace(Vector3(0, 0, 0), quad);
    Vector3 hit(7, 7, 7);
    mouseRayNear = Vector3(-100, -20, 0);   // parallel to the face, in front of it
    mouseRayFar = Vector3(100, -20, 0);
    EXPECT_FALSE(RayPick(quad, &hit));
    EXPECT_EQ(hit.x, 7);   // untouched
    mouseRayNear = Vector3(0, -16, 0);      // the near end lies on the plane
    mouseRayFar = Vector3(0, 100, 0);
    EXPECT_FALSE(RayPick(quad, &hit));
    Vector3 normal;
    float d;
    const Vector3 segment[2] = {Vector3(0, -100, 0), Vector3(0, 100, 0)};
    EXPECT_TRUE(intersectedPlane(quad, segment, &normal, &d));
    EXPECT_NEAR(std::fabs(normal.y), 1, 1e-6);
    EXPECT_NEAR(d, normal.y * 16, 1e-4);
}

TEST(Picking, EdgesCountAsInsideWithinTheAngleTolerance)
{
    Vector3 quad[4];
    frontFace(Vector3(0, 0, 0), quad);
    EXPECT_TRUE(insidePolygon(Vector3(16, -16, 0), quad, 4));     // on the right edge
    // Exactly on a corner two edge vectors vanish and count 0: a corner itself misses.
    EXPECT_FALSE(insidePolygon(Vector3(16, -16, 16), quad, 4));
    EXPECT_TRUE(insidePolygon(Vector3(16.05f, -16, 0), quad, 4)); // just outside, within tolerance
    EXPECT_FALSE(insidePolygon(Vector3(20, -16, 0), quad, 4));
    // A zero denominator returns the segment's start.
    const Vector3 segment[2] = {Vector3(1, 2, 3), Vector3(5, 2, 3)};
    const Vector3 p = intersectionPoint(Vector3(0, 1, 0), segment, 16);
    EXPECT_EQ(p.x, 1);
    EXPECT_EQ(p.y, 2);
}

TEST(Picking, MouseVectorsUnprojectThePointerAndKeepTheRayOnFailure)
{
    setGameView(800, 600);
    mouseX = 400;
    mouseY = 300;
    getMouseVectors();
    EXPECT_NEAR(mouseRayNear.x, 0, 1e-2);
    EXPECT_NEAR(mouseRayNear.y, -640 + 32, 1e-2);
    EXPECT_NEAR(mouseRayNear.z, 0, 1e-2);
    EXPECT_NEAR(mouseRayFar.y, -640 + 2000, 0.5);

    // The pointer on the cube's front face picks it; a pointer in the corner does not.
    Vector3 quad[4], hit;
    frontFace(Vector3(0, 0, 0), quad);
    EXPECT_TRUE(RayPick(quad, &hit));
    mouseX = 0;
    mouseY = 0;
    getMouseVectors();
    EXPECT_FALSE(RayPick(quad, &hit));
    // The top-left pixel unprojects at window y = screenHeight (no minus one).
    const GLint viewport[4] = {0, 0, 800, 600};
    double wx, wy, wz;
    gluProject(mouseRayNear.x, mouseRayNear.y, mouseRayNear.z, modelviewMatrix, projectionMatrix, viewport, &wx, &wy,
               &wz);
    EXPECT_NEAR(wx, 0, 1e-2);
    EXPECT_NEAR(wy, 600, 1e-2);

    // Matrices that cannot be inverted leave the last ray in place.
    const Vector3 nearBefore = mouseRayNear, farBefore = mouseRayFar;
    for (double& v : modelviewMatrix)
        v = 0;
    mouseX = 400;
    mouseY = 300;
    getMouseVectors();
    EXPECT_EQ(mouseRayNear.x, nearBefore.x);
    EXPECT_EQ(mouseRayNear.y, nearBefore.y);
    EXPECT_EQ(mouseRayFar.y, farBefore.y);
    EXPECT_FALSE(std::isnan(mouseRayFar.x));
}

TEST(Frustum, GameViewKeepsTheMassAndDropsWhatIsBehindOrBeyond)
{
    setGameView(1280, 720);
    extractFrustumFrom(modelviewMatrix, projectionMatrix);
    EXPECT_TRUE(pointInFrustum(0, 0, 0));
    EXPECT_TRUE(pointInFrustum(100, 500, 50));
    EXPECT_FALSE(pointInFrustum(0, -700, 0));     // behind the eye
    EXPECT_FALSE(pointInFrustum(0, -620, 0));     // nearer than the near plane (32)
    EXPECT_FALSE(pointInFrustum(0, 1400, 0));     // beyond the far plane (2000)
    EXPECT_FALSE(pointInFrustum(2000, 0, 0));     // far off to the right
    EXPECT_FALSE(pointInFrustum(0, 0, -600));     // below the view
    // Planes are normalised: the near plane's d is the signed distance from the origin.
    EXPECT_NEAR(frustumPlanes[5][1], 1, 1e-5);
    EXPECT_NEAR(frustumPlanes[5][3], 640 - 32, 1e-2);
    EXPECT_NEAR(frustumPlanes[4][3], 2000 - 640, 1e-1);
}

TEST(Frustum, PointOnAPlaneIsOutside)
{
    const double identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    extractFrustumFrom(identity, identity);   // the unit clip cube
    EXPECT_TRUE(pointInFrustum(0.5f, -0.5f, 0.99f));
    EXPECT_FALSE(pointInFrustum(1, 0, 0));
    EXPECT_FALSE(pointInFrustum(0, -1, 0));
    EXPECT_FALSE(pointInFrustum(0, 0, 1));
    EXPECT_FLOAT_EQ(frustumPlanes[0][0], -1);   // right: x < 1
    EXPECT_FLOAT_EQ(frustumPlanes[1][0], 1);    // left: x > -1
}

} // namespace

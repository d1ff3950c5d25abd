#include "engine/vecmath.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(VecMath, NormalizeLeavesZeroVectorsAlone)
{
    Vector3 zero = normalize(Vector3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);
    EXPECT_EQ(zero.z, 0.0f);

    Vector3 negativeZero = normalize(Vector3(0.0f, 0.0f, -0.0f));
    EXPECT_FALSE(std::isnan(negativeZero.z));
    EXPECT_EQ(negativeZero.z, 0.0f);

    // A tiny component still divides normally.
    Vector3 tiny = normalize(Vector3(0.0f, 1e-15f, 0.0f));
    EXPECT_FLOAT_EQ(tiny.y, 1.0f);

    Vector3 unit = normalize(Vector3(3.0f, 0.0f, 4.0f));
    EXPECT_FLOAT_EQ(unit.x, 0.6f);
    EXPECT_FLOAT_EQ(unit.z, 0.8f);
    EXPECT_FLOAT_EQ(magnitude(unit), 1.0f);
}

TEST(VecMath, AngleBetweenVectorsNeverNaN)
{
    EXPECT_EQ(angleBetweenVectors(Vector3(0, 0, 0), Vector3(1, 2, 3)), 0.0f);
    EXPECT_EQ(angleBetweenVectors(Vector3(1, 2, 3), Vector3(0, 0, 0)), 0.0f);
    EXPECT_NEAR(angleBetweenVectors(Vector3(1, 0, 0), Vector3(0, 5, 0)), 1.5707963f, 1e-6f);
    EXPECT_NEAR(angleBetweenVectors(Vector3(1, 0, 0), Vector3(-2, 0, 0)), 3.1415927f, 1e-6f);
    // Parallel vectors whose cosine rounds just above 1.
    float same = angleBetweenVectors(Vector3(0.1f, 0.2f, 0.3f), Vector3(0.1f, 0.2f, 0.3f));
    EXPECT_FALSE(std::isnan(same));
    EXPECT_NEAR(same, 0.0f, 1e-3f);
}

TEST(VecMath, ClosestPointOnLineClampsToTheSegment)
{
    Vector3 a(0, 0, 0), b(10, 0, 0);
    Vector3 behind = closestPointOnLine(a, b, Vector3(-5, 3, 0));
    EXPECT_EQ(behind.x, 0.0f);
    Vector3 beyond = closestPointOnLine(a, b, Vector3(15, 3, 0));
    EXPECT_EQ(beyond.x, 10.0f);
    Vector3 inside = closestPointOnLine(a, b, Vector3(4, 3, 2));
    EXPECT_FLOAT_EQ(inside.x, 4.0f);
    EXPECT_EQ(inside.y, 0.0f);
    Vector3 degenerate = closestPointOnLine(Vector3(1, 2, 3), Vector3(1, 2, 3), Vector3(9, 9, 9));
    EXPECT_EQ(degenerate.x, 1.0f);
    EXPECT_EQ(degenerate.y, 2.0f);
    EXPECT_EQ(degenerate.z, 3.0f);
}

TEST(VecMath, PolygonNormalAndPowersOfTwo)
{
    Vector3 poly[3] = {Vector3(0, 0, 0), Vector3(0, 2, 0), Vector3(2, 0, 0)};
    Vector3 n = polygonNormal(poly);
    EXPECT_FLOAT_EQ(n.z, 1.0f);

    EXPECT_EQ(nextPowerOfTwo(-3), 1);
    EXPECT_EQ(nextPowerOfTwo(0), 1);
    EXPECT_EQ(nextPowerOfTwo(1), 1);
    EXPECT_EQ(nextPowerOfTwo(5), 8);
    EXPECT_EQ(nextPowerOfTwo(64), 64);
    EXPECT_EQ(nextPowerOfTwo(65), 128);
    EXPECT_EQ(nextPowerOfTwo(2147483647), 1 << 30);   // no overflow

    EXPECT_FALSE(isPowerOfTwo(0));
    EXPECT_FALSE(isPowerOfTwo(-4));
    EXPECT_FALSE(isPowerOfTwo(1000));
    EXPECT_TRUE(isPowerOfTwo(1));
    EXPECT_TRUE(isPowerOfTwo(4096));
}

TEST(VecMath, BillboardFacesTheCamera)
{
    // Camera 20 units toward -y from the sprite, z up.
    Matrix4 m = billboardMatrix(Vector3(1, 2, 3), Vector3(1, -18, 3), Vector3(0, 0, 1));
    // z axis (elements 8-10) points at the camera.
    EXPECT_FLOAT_EQ(m.m[9], -1.0f);
    // x axis = up x look = (0,0,1) x (0,-1,0) = (1,0,0); y axis = look x right = (0,0,1).
    EXPECT_FLOAT_EQ(m.m[0], 1.0f);
    EXPECT_FLOAT_EQ(m.m[6], 1.0f);
    EXPECT_EQ(m.m[12], 1.0f);
    EXPECT_EQ(m.m[13], 2.0f);
    EXPECT_EQ(m.m[14], 3.0f);
    EXPECT_EQ(m.m[3], 0.0f);
    EXPECT_EQ(m.m[15], 1.0f);
}

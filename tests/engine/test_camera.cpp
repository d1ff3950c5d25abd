#include "engine/camera.h"
#include "engine/config.h"
#include "engine/random.h"
#include "engine/window.h"

#include <gtest/gtest.h>
#include <cmath>
#include <vector>

namespace {

void expectNear(Vector3 v, float x, float y, float z, float eps = 1e-3f)
{
    EXPECT_NEAR(v.x, x, eps);
    EXPECT_NEAR(v.y, y, eps);
    EXPECT_NEAR(v.z, z, eps);
}

struct CameraTest : ::testing::Test {
    void SetUp() override
    {
        camera = Camera();
        camera.set(0, -20 * blockSize, 0, 0, 0, 0, 0, 0, 1);
        orbitMomentum = Vector2(0, 0);
        orbitAxisWeights = Vector2(0, 0);
        lastMousePos = Vector2(0, 0);
        cameraAngles[0] = cameraAngles[1] = 0;
        mouseX = mouseY = 0;
        screenWidth = 1920;
        screenHeight = 1080;
    }
};

TEST_F(CameraTest, OrbitTurnsTheEyeAboutTheViewPoint)
{
    expectNear(rotateAboutAxis(Vector3(1, 0, 0), float(M_PI / 2), Vector3(0, 0, 1)), 0, 1, 0);
    camera.set(10, 0, 5, 0, 0, 5, 0, 0, 1);
    camera.orbitPosition(float(M_PI), 0, 0, 1);
    expectNear(camera.position, -10, 0, 5);
    // orbitUp treats up as a point relative to the view point.
    camera.set(0, -640, 0, 0, 0, 0, 0, 0, 1);
    camera.orbitUp(float(M_PI / 2), 1, 0, 0);
    expectNear(camera.up, 0, -1, 0);
}

TEST_F(CameraTest, DragBuildsMomentumAndTurnsInPitchThenYawOrder)
{
    lastMousePos = Vector2(100, 100);
    mouseX = 90;   // dragged 10 px to the left
    mouseY = 100;
    camera.update(true);
    EXPECT_FLOAT_EQ(orbitMomentum.x, 2.0f);   // 10 / 5 / 1920 * 1920
    EXPECT_FLOAT_EQ(orbitMomentum.y, 0.0f);
    EXPECT_FLOAT_EQ(orbitAxisWeights.x, 1.0f);
    EXPECT_FLOAT_EQ(orbitAxisWeights.y, 0.0f);
    const float turn = (10 + 0.2f) / 200;
    EXPECT_FLOAT_EQ(cameraAngles[0], turn);
    EXPECT_FLOAT_EQ(cameraAngles[1], 0.0f);
    EXPECT_FLOAT_EQ(lastMousePos.x, 90.0f);
    // A horizontal drag swings the eye about the up axis at constant distance.
    expectNear(camera.position, -640 * -std::sin(turn), -640 * std::cos(turn), 0, 0.01f);
    expectNear(camera.strafe, 1, 0, 0);

    // A narrower screen makes the same drag build more momentum (width only).
    screenWidth = 960;
    orbitMomentum = Vector2(0, 0);
    lastMousePos = Vector2(0, 0);
    mouseX = 0;
    mouseY = -5;
    camera.mouseLook(true);
    EXPECT_FLOAT_EQ(orbitMomentum.y, 2.0f);
    EXPECT_FLOAT_EQ(orbitAxisWeights.x, 0.0f);
    EXPECT_FLOAT_EQ(orbitAxisWeights.y, 1.0f);
}

TEST_F(CameraTest, WithoutADragThePointerDoesNotTurnTheView)
{
    const Vector3 start = camera.position;
    lastMousePos = Vector2(50, 50);
    mouseX = 10;
    mouseY = 50;
    camera.mouseLook(false);
    expectNear(camera.position, start.x, start.y, start.z);
    EXPECT_FLOAT_EQ(orbitMomentum.x, 0.0f);
    EXPECT_FLOAT_EQ(lastMousePos.x, 10.0f);   // the pointer is followed all the same
}

TEST_F(CameraTest, MomentumKeepsTurningAfterTheDragAndZeroMomentumHolds)
{
    orbitAxisWeights = Vector2(0.25f, 1);
    const Vector3 start = camera.position;
    camera.mouseLook(false);
    expectNear(camera.position, start.x, start.y, start.z);
    EXPECT_FLOAT_EQ(orbitAxisWeights.x, 0.25f);

    orbitMomentum = Vector2(20, 0);
    camera.mouseLook(false);
    EXPECT_FLOAT_EQ(cameraAngles[0], 20.0f / 10 / 200);
    EXPECT_GT(std::fabs(camera.position.x - start.x), 0.1f);
}

TEST_F(CameraTest, ShakeDrawsMagnitudesThenSignsInAxisOrder)
{
    // Full mass: n = 20, no pull-in at ratio 1.
    seedRandom(1234);
    std::vector<int> draws;
    for (int i = 0; i < 7; i++)
        draws.push_back(gameRandom());
    seedRandom(1234);
    const Vector3 eye = camera.computeLookEye(1.0f);
    float expected[3];
    for (int i = 0; i < 3; i++)
        expected[i] = (draws[3 + i] % 100 < 50 ? -1.0f : 1.0f) * float(draws[i] % 20) * 0.25f;
    expectNear(eye, expected[0], -640 + expected[1], expected[2], 1e-4f);
    expectNear(camera.getLookEye(), eye.x, eye.y, eye.z, 0);
    EXPECT_EQ(gameRandom(), draws[6]);   // exactly six draws

    // Above the limit the shake stays at full strength.
    seedRandom(1234);
    const Vector3 again = camera.computeLookEye(5.0f);
    expectNear(again, eye.x, eye.y, eye.z, 0);
}

TEST_F(CameraTest, ShakeStartsAt81PercentWithZeroOffsets)
{
    seedRandom(99);
    const int first = gameRandom();
    seedRandom(99);
    Vector3 eye = camera.computeLookEye(0.809f);
    EXPECT_EQ(gameRandom(), first);   // nothing drawn
    expectNear(eye, 0, -640 + 640 * 0.5f * 0.809f, 0, 1e-2f);

    seedRandom(99);
    std::vector<int> draws;
    for (int i = 0; i < 7; i++)
        draws.push_back(gameRandom());
    seedRandom(99);
    eye = camera.computeLookEye(0.81f);
    EXPECT_EQ(gameRandom(), draws[6]);   // six draws, all of magnitude rand() % 1 = 0
    expectNear(eye, 0, -640 * (1 - 0.5f * 0.81f), 0, 1e-2f);
}

TEST_F(CameraTest, PullInOnlyStrictlyBetweenEmptyAndFull)
{
    expectNear(camera.computeLookEye(0.5f), 0, -480, 0);
    expectNear(camera.computeLookEye(0.0f), 0, -640, 0);
    // A ratio that is no number (a limit of 0) must not turn the eye into NaN.
    for (float ratio : {std::nanf(""), INFINITY}) {
        const Vector3 eye = camera.computeLookEye(ratio);
        EXPECT_FALSE(std::isnan(eye.x) || std::isnan(eye.y) || std::isnan(eye.z));
        expectNear(eye, 0, -640, 0);
    }
}

TEST_F(CameraTest, LookAtAndPerspectiveMatchGluForTheGameView)
{
    double view[16];
    lookAtMatrix(Vector3(0, -640, 0), Vector3(0, 0, 0), Vector3(0, 0, 1), view);
    // Eye space: x right, y up (world z), looking down -z (world +y); the origin 640 ahead.
    const double expected[16] = {1, 0, 0, 0, 0, 0, -1, 0, 0, 1, 0, 0, 0, 0, -640, 1};
    for (int i = 0; i < 16; i++)
        EXPECT_NEAR(view[i], expected[i], 1e-9) << i;

    double proj[16];
    perspectiveMatrix(45, 1920.0 / 1080.0, 32, 2000, proj);
    const double cot = 1 / std::tan(22.5 * M_PI / 180);
    EXPECT_NEAR(proj[0], cot * 1080 / 1920, 1e-12);
    EXPECT_NEAR(proj[5], cot, 1e-12);
    EXPECT_NEAR(proj[10], -2032.0 / 1968.0, 1e-12);
    EXPECT_EQ(proj[11], -1);
    EXPECT_NEAR(proj[14], -2 * 32 * 2000 / 1968.0, 1e-9);
    EXPECT_EQ(proj[15], 0);
}

} // namespace

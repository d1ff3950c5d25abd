// The background movers: the achievements carousel, the congratulations fireworks, the stars and
// the polyparticle bursts.
#include "board_fixture.h"

#include <cmath>
#include <set>

#include "engine/config.h"
#include "engine/picking.h"
#include "engine/polyparticles.h"
#include "engine/random.h"
#include "game/achieve_carousel.h"
#include "game/credits.h"
#include "game/game_state.h"
#include "game/input.h"
#include "game/particles.h"
#include "game/starfield.h"
#include "game/states.h"
#include "platform/messages.h"

namespace {

// A frustum that every point lies inside.
void acceptEverything()
{
    for (auto& plane : frustumPlanes) {
        plane[0] = plane[1] = plane[2] = 0.0f;
        plane[3] = 1.0f;
    }
}

class MoversTest : public BoardTest {
protected:
    void SetUp() override
    {
        BoardTest::SetUp();
        screenWidth = 1600;
        screenHeight = 1200;
        gameState = gs::Achievements;
        for (PolyparticleSystem& s : particleSystems)
            s = PolyparticleSystem();
        gratsParticles.clear();
        gratsSpawnTimer = gratsSpawnDelay = 0.0f;
        stars.clear();
        acceptEverything();
        leftButtonDown = false;
    }
    void TearDown() override
    {
        gameState = gs::Intro;
        gratsParticles.clear();
        stars.clear();
        cubePolyparticles = geospherePolyparticles = PolyparticleSystem();
        for (PolyparticleSystem& s : particleSystems)
            s = PolyparticleSystem();
        BoardTest::TearDown();
    }
    // ms of 10 ms frames until the slot stops changing (position and scale at their targets).
    static float msUntilAtRest(int slot, float limit = 2000.0f)
    {
        float t = 0.0f;
        while (t < limit && (achieveCarousel[slot].x != achieveCarousel[slot].targetX ||
                             achieveCarousel[slot].scale != achieveCarousel[slot].targetScale)) {
            moveAchievementCarousel(10.0f);
            t += 10.0f;
        }
        return t;
    }
};

TEST_F(MoversTest, CarouselSlidesAtAScreenPerSecondAndAHalf)
{
    resetAchievementCarousel();
    stepAchievementCarousel(1);   // to page 2: slot 2 slides in 450 px, slot 3 grows beside it
    ASSERT_EQ(achievementPage, 2);
    moveAchievementCarousel(10.0f);
    EXPECT_FLOAT_EQ(achieveCarousel[2].x, 800.0f + 450.0f - 10.0f);
    EXPECT_NEAR(achieveCarousel[2].scale, 0.75f + 0.25f * 10.0f / 450.0f, 1e-5);   // follows its position
    stepAchievementCarousel(1);   // ignored while the front slot moves
    EXPECT_EQ(achievementPage, 2);
    EXPECT_FLOAT_EQ(msUntilAtRest(2) + 10.0f, 450.0f);
    EXPECT_FLOAT_EQ(achieveCarousel[1].x, 800.0f - 450.0f);
    EXPECT_FLOAT_EQ(achieveCarousel[1].scale, 0.75f);

    resetAchievementCarousel();
    stepAchievementCarousel(1);
    EXPECT_NEAR(msUntilAtRest(3), 500.0f, 10.0f);   // a growing neighbour: 1.5 a second
    ASSERT_EQ(msUntilAtRest(2), 0.0f);
    stepAchievementCarousel(1);   // to page 3: slot 1, two away, shrinks at 3.5 a second
    EXPECT_NEAR(msUntilAtRest(1), 1000.0f * 0.75f / 3.5f, 10.0f);
    EXPECT_FLOAT_EQ(achieveCarousel[1].scale, 0.0f);

    // At the last page the right arrow sets the same targets again.
    achievementPage = 9;
    for (int s = 1; s <= 9; ++s)
        achieveCarousel[s].x = achieveCarousel[s].targetX;
    stepAchievementCarousel(1);
    EXPECT_EQ(achievementPage, 9);
    EXPECT_FLOAT_EQ(achieveCarousel[9].targetX, 800.0f);
    EXPECT_FLOAT_EQ(achieveCarousel[8].targetX, 800.0f - 450.0f);
}

// A front slot whose position is in place while its scale is not takes the target scale, with
// no division by the zero distance; a frame of 0 ms moves nothing.
TEST_F(MoversTest, CarouselNeverScalesToNaN)
{
    resetAchievementCarousel();
    achieveCarousel[1].scale = 0.5f;
    achieveCarousel[2].x = 900.0f;   // moving
    moveAchievementCarousel(0.0f);
    EXPECT_FLOAT_EQ(achieveCarousel[1].scale, 0.5f);
    EXPECT_FLOAT_EQ(achieveCarousel[2].x, 900.0f);
    moveAchievementCarousel(10.0f);
    EXPECT_FLOAT_EQ(achieveCarousel[1].scale, 1.0f);
    moveAchievementCarousel(10.0f);
    for (int s = 1; s <= 9; ++s)
        EXPECT_FALSE(std::isnan(achieveCarousel[s].scale) || std::isnan(achieveCarousel[s].x)) << s;
}

TEST_F(MoversTest, FireworksLaunchRiseAndBurstInTheirColour)
{
    gameState = gs::Grats;
    geospherePolyparticles.particles.assign(3, Polyparticle());
    cubePolyparticles.particles.assign(1, Polyparticle());
    UpdateGrats(250.0f);
    UpdateGrats(250.0f);
    EXPECT_TRUE(gratsParticles.empty());   // 500 ms is not past the launch interval
    UpdateGrats(1.0f);
    ASSERT_EQ(gratsParticles.size(), 1u);
    const GratsParticle& p = gratsParticles[0];
    EXPECT_GE(p.colourIndex, 0);
    EXPECT_LE(p.colourIndex, 6);
    EXPECT_FLOAT_EQ(p.position.y, 500.0f);
    EXPECT_GE(p.velocity.z, 8.0f);
    EXPECT_LE(p.velocity.z, 12.0f);
    EXPECT_FLOAT_EQ(gratsSpawnTimer, 0.0f);
    EXPECT_LT(gratsSpawnDelay, 500.0f);

    // Its motion is per update, whatever the frame time.
    GratsParticle moving;
    moving.position = Vector3(0, 0, 0);
    moving.velocity = Vector3(1, 0, 10);
    moving.acceleration = Vector3(0, 0, -0.1f);
    moving.age = 990.0f;
    gratsParticles.assign(1, moving);
    gratsSpawnDelay = 10000.0f;
    UpdateGrats(10.0f);                   // age exactly at its lifetime: not yet
    ASSERT_EQ(gratsParticles.size(), 1u);
    EXPECT_FLOAT_EQ(gratsParticles[0].position.z, 9.9f);
    EXPECT_FLOAT_EQ(gratsParticles[0].rotationAngle, 1.0f);

    // Two bursts in one update fill two idle systems in vector order, colour 0 as colour 1.
    particleSystems[0].active = 1;
    GratsParticle red = moving, yellow = moving;
    red.colourIndex = 3;
    yellow.colourIndex = 0;
    red.age = yellow.age = 1000.0f;
    gratsParticles = {red, yellow};
    UpdateGrats(10.0f);
    EXPECT_TRUE(gratsParticles.empty());
    EXPECT_EQ(particleSystems[1].texture, "redparticle.tga");
    EXPECT_EQ(particleSystems[2].texture, "yellowparticle.tga");
    EXPECT_EQ(particleSystems[1].particles.size(), 3u);   // geospheres, not cubes

    // Every system busy: the burst takes system 0.
    for (PolyparticleSystem& s : particleSystems)
        s.active = 1;
    GratsParticle white = red;
    white.colourIndex = 6;
    gratsParticles = {white};
    UpdateGrats(10.0f);
    EXPECT_EQ(particleSystems[0].texture, "whiteparticle.tga");
}

TEST_F(MoversTest, ClicksAndEscapeLeaveTheirPages)
{
    gameState = gs::Grats;
    gratsSpawnDelay = 10000.0f;
    handleLeftButtonDown();
    UpdateGrats(10.0f);
    EXPECT_EQ(gameState, gs::GratsToScore);
    EXPECT_FALSE(leftButtonDown);

    gameState = gs::Credits;
    handleLeftButtonDown();
    EXPECT_EQ(gameState, gs::CreditsToMenu);

    gameState = gs::Credits;
    short (*saved)(int) = keyStateReader;
    keyStateReader = [](int vk) { return vk == VK_ESCAPE ? short(0x8000) : short(0); };
    UpdateCredits(10.0f);
    keyStateReader = saved;
    EXPECT_EQ(gameState, gs::CreditsToMenu);
}

TEST_F(MoversTest, StarsDriftAndAreReplaced)
{
    // With this seed no new star falls in the play column: all 100 stay.
    seedRandom(15);
    UpdateStarfield(20.0f);
    ASSERT_EQ(stars.size(), 100u);
    for (const Star& s : stars) {
        EXPECT_GE(s.size, 0.2f);
        EXPECT_LT(s.size, 0.3f);
        EXPECT_GE(s.position.y, 1300.0f);   // born at 1301..1800, then 1 unit on
        EXPECT_LE(s.position.y, 1799.0f);
        EXPECT_FLOAT_EQ(s.previousPosition.y - s.position.y, 1.0f);
        EXPECT_FLOAT_EQ(s.age, 20.0f);
    }

    // Stars beyond a plane at y = 1500 go at once and come back on the next call.
    frustumPlanes[0][1] = -1.0f;
    frustumPlanes[0][3] = 1500.0f;
    UpdateStarfield(0.0f);
    const std::size_t kept = stars.size();
    EXPECT_LT(kept, 100u);
    acceptEverything();
    const Vector3 firstKept = stars[0].position;
    UpdateStarfield(0.0f);
    EXPECT_GT(stars.size(), kept);   // topped up again (less any new ones in the play column)
    EXPECT_FLOAT_EQ(stars[0].position.y, firstKept.y);

    // The play column is open: five block sizes from the middle is outside it; dt 0 still
    // takes the previous position.
    Star edge, inside;
    edge.position = Vector3(5.0f * blockSize, 0.0f, 0.0f);
    edge.previousPosition = Vector3(1, 2, 3);
    inside.position = Vector3(5.0f * blockSize - 0.5f, 0.0f, -5.0f * blockSize + 0.5f);
    stars = {edge, inside};
    UpdateStarfield(0.0f);
    EXPECT_FLOAT_EQ(stars[0].position.x, 5.0f * blockSize);
    EXPECT_FLOAT_EQ(stars[0].previousPosition.y, 0.0f);
    for (const Star& s : stars)
        EXPECT_FALSE(s.position.x == inside.position.x && s.position.z == inside.position.z);
}

TEST_F(MoversTest, BurstsFlyAThirdAsFastOnTheCongratulationsPage)
{
    for (int state : {gs::Game, gs::Grats}) {
        gameState = state;
        PolyparticleSystem s;
        s.active = 1;
        s.particles.assign(1, Polyparticle());
        s.particles[0].velocity = Vector3(3, 0, 0);
        updatePolyparticle(45.0f, &s);
        EXPECT_FLOAT_EQ(s.particles[0].position.x, state == gs::Grats ? 1.0f : 3.0f);
        EXPECT_FLOAT_EQ(s.particles[0].previousPosition.x, 0.0f);
    }
}

} // namespace

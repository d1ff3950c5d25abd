// The background movers: the achievements carousel, the congratulations fireworks, the stars and
// the polyparticle bursts.
#include "board_fixture.h"

#include <cmath>

#include "engine/picking.h"
#include "engine/polyparticles.h"
#include "engine/random.h"
#include "game/achieve_carousel.h"
#include "game/credits.h"
#include "game/game_state.h"
#include "game/input.h"
#include "game/starfield.h"
#include "game/states.h"

namespace {

class MoversTest : public BoardTest {
protected:
    void SetUp() override
    {
        BoardTest::SetUp();
        screenWidth = 1600;
        screenHeight = 1200;
        gameState = gs::Grats;
        gratsSpawnTimer = gratsSpawnDelay = 0.0f;
        for (PolyparticleSystem& s : particleSystems)
            s = PolyparticleSystem();
        for (auto& plane : frustumPlanes)   // every point inside
            plane[0] = plane[1] = plane[2] = 0.0f, plane[3] = 1.0f;
    }
    void TearDown() override
    {
        gameState = gs::Intro;
        gratsParticles.clear();
        stars.clear();
        geospherePolyparticles = PolyparticleSystem();
        for (PolyparticleSystem& s : particleSystems)
            s = PolyparticleSystem();
        BoardTest::TearDown();
    }
    // ms of 10 ms frames until the slot's position and scale are at their targets.
    static float msUntilAtRest(int slot)
    {
        float t = 0.0f;
        for (const CarouselSlot& s = achieveCarousel[slot]; t < 2000.0f && (s.x != s.targetX || s.scale != s.targetScale);
             t += 10.0f)
            moveAchievementCarousel(10.0f);
        return t;
    }
};

// At 1200 px of height: 450 px in 450 ms with the scale following, a neighbour grows to 0.75 in
// 500 ms, a slot two away shrinks from 0.75 in 214 ms.
TEST_F(MoversTest, CarouselTimes)
{
    resetAchievementCarousel();
    stepAchievementCarousel(1);
    moveAchievementCarousel(10.0f);
    stepAchievementCarousel(1);   // ignored while the front slot moves
    EXPECT_NEAR(achieveCarousel[2].scale, 0.75f + 0.25f * 10.0f / 450.0f, 1e-5);
    EXPECT_FLOAT_EQ(msUntilAtRest(2), 440.0f);
    EXPECT_NEAR(msUntilAtRest(3), 55.0f, 10.0f);
    stepAchievementCarousel(1);
    EXPECT_NEAR(msUntilAtRest(1), 750.0f / 3.5f, 10.0f);
}

// A slot in place with its scale off its target takes the target (no division by the zero
// distance); a frame of 0 ms moves nothing.
TEST_F(MoversTest, CarouselNeverScalesToNaN)
{
    resetAchievementCarousel();
    achieveCarousel[1].scale = 0.5f;
    moveAchievementCarousel(0.0f);
    EXPECT_FLOAT_EQ(achieveCarousel[1].scale, 0.5f);
    moveAchievementCarousel(10.0f);
    moveAchievementCarousel(10.0f);
    EXPECT_FLOAT_EQ(achieveCarousel[1].scale, 1.0f);
}

TEST_F(MoversTest, FireworksLaunchAndBurstInOrder)
{
    geospherePolyparticles.particles.assign(3, Polyparticle());
    UpdateGrats(250.0f);
    UpdateGrats(250.0f);
    EXPECT_TRUE(gratsParticles.empty());   // 500 ms is not past the launch interval
    UpdateGrats(1.0f);
    ASSERT_EQ(gratsParticles.size(), 1u);
    gratsParticles[0].age = 990.0f;
    UpdateGrats(10.0f);                    // age equal to the lifetime: no burst yet
    ASSERT_EQ(gratsParticles.size(), 1u);

    // Two bursts in one update fill two idle systems in order, colour 0 as colour 1; with every
    // system busy a burst takes system 0.
    particleSystems[0].active = 1;
    GratsParticle red, yellow, white;
    red.colourIndex = 3;
    white.colourIndex = 6;
    red.age = yellow.age = white.age = 1001.0f;
    gratsParticles = {red, yellow};
    UpdateGrats(0.0f);
    EXPECT_TRUE(gratsParticles.empty());
    EXPECT_EQ(particleSystems[1].texture + particleSystems[2].texture, "redparticle.tgayellowparticle.tga");
    EXPECT_EQ(particleSystems[2].particles.size(), 3u);   // geospheres
    for (PolyparticleSystem& s : particleSystems)
        s.active = 1;
    gratsParticles = {white};
    UpdateGrats(0.0f);
    EXPECT_EQ(particleSystems[0].texture, "whiteparticle.tga");
}

TEST_F(MoversTest, StarsDriftAndStayOutOfThePlayColumn)
{
    seedRandom(15);   // none of this seed's first hundred stars falls in the play column
    UpdateStarfield(20.0f);
    ASSERT_EQ(stars.size(), 100u);
    EXPECT_FLOAT_EQ(stars[7].previousPosition.y - stars[7].position.y, 1.0f);
    // Five block sizes out is outside the column (strict); dt 0 still copies the position.
    Star edge, inside;
    edge.position = Vector3(5.0f * blockSize, 0.0f, 0.0f);
    inside.position = Vector3(5.0f * blockSize - 0.5f, 0.0f, 0.5f - 5.0f * blockSize);
    stars = {edge, inside};
    UpdateStarfield(0.0f);
    EXPECT_FLOAT_EQ(stars[0].previousPosition.x, 5.0f * blockSize);
    EXPECT_NE(stars[1].position.x, inside.position.x);   // gone, and new stars fill in
}

} // namespace

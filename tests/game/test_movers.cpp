// The background movers: the achievements carousel, the congratulations fireworks, the stars and
// the polyparticle bursts.
#include "board_fixture.h"

#include <cmath>

#include "engine/picking.h"
#include "engine/polyparticles.h"
#include "game/achieve_carousel.h"
#include "game/credits.h"
#include "game/game_state.h"
#include "game/input.h"
#include "game/particles.h"
#include "game/starfield.h"
#include "game/states.h"
#include "engine/random.h"
#include "platform/messages.h"

namespace {

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
        gameState = gs::Grats;
        for (PolyparticleSystem& s : particleSystems)
            s = PolyparticleSystem();
        gratsParticles.clear();
        gratsSpawnTimer = gratsSpawnDelay = 0.0f;
        stars.clear();
        acceptEverything();
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
    EXPECT_NEAR(achieveCarousel[2].scale, 0.75f + 0.25f * 10.0f / 450.0f, 1e-5);
    stepAchievementCarousel(1);   // ignored while the front slot moves
    EXPECT_EQ(achievementPage, 2);
    EXPECT_FLOAT_EQ(msUntilAtRest(2), 440.0f);
    EXPECT_NEAR(msUntilAtRest(3), 55.0f, 10.0f);   // 500 ms in all
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
    for (int s = 1; s <= 9; ++s)
        EXPECT_FALSE(std::isnan(achieveCarousel[s].scale)) << s;
}

TEST_F(MoversTest, FireworksLaunchRiseAndBurst)
{
    geospherePolyparticles.particles.assign(3, Polyparticle());
    UpdateGrats(250.0f);
    UpdateGrats(250.0f);
    EXPECT_TRUE(gratsParticles.empty());   // exactly 500 ms: not yet
    UpdateGrats(1.0f);
    ASSERT_EQ(gratsParticles.size(), 1u);
    EXPECT_LE(gratsParticles[0].colourIndex, 6);
    EXPECT_GE(gratsParticles[0].velocity.z, 8.0f);

    GratsParticle p;   // motion per update, whatever the frame time
    p.velocity = Vector3(1, 0, 10);
    p.acceleration = Vector3(0, 0, -0.1f);
    p.age = 990.0f;
    gratsParticles = {p};
    gratsSpawnDelay = 10000.0f;
    UpdateGrats(10.0f);   // age equal to the lifetime: no burst yet
    ASSERT_EQ(gratsParticles.size(), 1u);
    EXPECT_FLOAT_EQ(gratsParticles[0].position.z, 9.9f);

    // Two bursts in one update fill two idle systems in order, colour 0 as colour 1; with every
    // system busy a burst takes system 0.
    particleSystems[0].active = 1;
    GratsParticle red = p, yellow = p, white = p;
    red.colourIndex = 3;
    white.colourIndex = 6;
    red.age = yellow.age = white.age = 1000.0f;
    gratsParticles = {red, yellow};
    UpdateGrats(10.0f);
    EXPECT_TRUE(gratsParticles.empty());
    EXPECT_EQ(particleSystems[1].texture, "redparticle.tga");
    EXPECT_EQ(particleSystems[2].texture, "yellowparticle.tga");
    EXPECT_EQ(particleSystems[2].particles.size(), 3u);   // geospheres
    for (PolyparticleSystem& s : particleSystems)
        s.active = 1;
    gratsParticles = {white};
    UpdateGrats(10.0f);
    EXPECT_EQ(particleSystems[0].texture, "whiteparticle.tga");

    handleLeftButtonDown();   // a click leads on to the score page
    UpdateGrats(10.0f);
    EXPECT_EQ(gameState, gs::GratsToScore);
    gameState = gs::Credits;
    short (*saved)(int) = keyStateReader;
    keyStateReader = [](int vk) { return vk == VK_ESCAPE ? short(0x8000) : short(0); };
    UpdateCredits(10.0f);   // Escape leaves the credits
    keyStateReader = saved;
    EXPECT_EQ(gameState, gs::CreditsToMenu);
}

TEST_F(MoversTest, StarsDriftAndAreReplaced)
{
    seedRandom(15);   // no star of this seed's first hundred falls in the play column
    UpdateStarfield(20.0f);
    ASSERT_EQ(stars.size(), 100u);
    EXPECT_FLOAT_EQ(stars[7].previousPosition.y - stars[7].position.y, 1.0f);
    frustumPlanes[0][1] = -1.0f;   // keep y < 1500 only
    frustumPlanes[0][3] = 1500.0f;
    UpdateStarfield(0.0f);
    const std::size_t kept = stars.size();
    EXPECT_LT(kept, 100u);
    acceptEverything();
    UpdateStarfield(0.0f);
    EXPECT_GT(stars.size(), kept);

    // Five block sizes out is outside the play column (strict); dt 0 still copies the position.
    Star edge, inside;
    edge.position = Vector3(5.0f * blockSize, 0.0f, 0.0f);
    inside.position = Vector3(5.0f * blockSize - 0.5f, 0.0f, 0.5f - 5.0f * blockSize);
    stars = {edge, inside};
    UpdateStarfield(0.0f);
    EXPECT_FLOAT_EQ(stars[0].position.x, 5.0f * blockSize);
    EXPECT_FLOAT_EQ(stars[0].previousPosition.x, 5.0f * blockSize);
    EXPECT_NE(stars[1].position.x, inside.position.x);
}

TEST_F(MoversTest, BurstsFlyAThirdAsFastOnTheCongratulationsPage)
{
    for (int state : {gs::Game, gs::Grats}) {
        gameState = state;
        PolyparticleSystem s;
        s.particles.assign(1, Polyparticle());
        s.particles[0].velocity = Vector3(3, 0, 0);
        updatePolyparticle(45.0f, &s);
        EXPECT_FLOAT_EQ(s.particles[0].position.x, state == gs::Grats ? 1.0f : 3.0f);
    }
}

} // namespace

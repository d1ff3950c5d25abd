#include "rules_fixture.h"

#include <algorithm>
#include <tuple>

#include "game/layout.h"
#include "game/particles.h"

TEST_F(RulesTest, RemovedGroupScoresAndCutsTheMass)
{
    struct Row {
        int mode;
        bool multiplier;
        int n;
        float mass, recent, massAfter;
        int points;
    } rows[] = {
        {gm::Normal, true, 5, 40.0f, 0.0f, 40.0f - 6.6825f, 7500},
        {gm::Normal, false, 4, 8.0f, 0.0f, 5.4f, 1600},   // never below a tenth of the limit
        {gm::Casual, false, 4, 30.0f, 2.0f, 30.0f - 4 * 0.9f * 2.1275f - 2.0f, 1600},
        {gm::Rush, false, 4, 30.0f, 0.0f, 30.0f - 4 * 0.9f * 1.5f, 0},
    };
    for (const Row& r : rows) {
        resetRules(r.mode);
        multiplierActive = r.multiplier;
        massLevel = r.mass;
        recentMass = r.recent;
        pendingMass = 3.0f;
        massReductionFactor = modeMassReductionFactor(r.mode, 1);
        const int before = getScore();
        scoreRemovedGroup(r.n);
        EXPECT_EQ(getScore() - before, r.points) << r.mode;
        EXPECT_NEAR(massLevel, r.massAfter, 1e-4f) << r.mode;
        EXPECT_FLOAT_EQ(pendingMass + recentMass, 0.0f);
        EXPECT_FLOAT_EQ(chargeBacklog, r.multiplier ? 0.0f : static_cast<float>(r.n));
        // Rush shows no score text; elsewhere the text carries the points.
        ASSERT_EQ(floatys.size(), r.points ? 1u : 0u) << r.mode;
        if (r.points) {
            EXPECT_EQ(floatys[0].text, std::to_string(r.points));
        }
    }
    const std::pair<int, float> stages[] = {{1, 1.5f}, {2, 1.0225f}, {26, 0.25f}, {1, 1.5f}};
    for (const auto& [stage, factor] : stages)
        EXPECT_NEAR(modeMassReductionFactor(gm::Survival, stage), factor, 1e-4f) << stage;
}

TEST_F(RulesTest, MassTriggerAndStepRates)
{
    massLevel = 54.0f;
    checkMassTrigger();
    EXPECT_FALSE(deathExplosionActive);   // exactly the limit holds
    massLevel = 54.01f;
    gameState = gs::GameOver;
    checkMassTrigger();
    EXPECT_FALSE(deathExplosionActive);
    gameState = gs::Game;
    checkMassTrigger();
    EXPECT_TRUE(deathExplosionActive);

    const std::tuple<int, bool, bool, float, float, float> rows[] = {
        // mode, few colours, Fusion Pulse, mass, pending, mass a second later
        {gm::Normal, true, false, 10.0f, 9.0f, 13.0f},   // doubled growth, pending dropped
        {gm::Normal, false, true, 20.0f, 0.0f, 0.0f},    // the pulse drains to the floor
        {gm::Meditation, false, false, 40.0f, 5.0f, 5.4f},
    };
    for (const auto& [mode, few, pulse, mass, pending, after] : rows) {
        resetRules(mode);
        fewColoursLeft = few;
        fusionPulseActive = pulse;
        massLevel = mass;
        pendingMass = pending;
        updateMass(1000.0f);
        EXPECT_NEAR(massLevel, after, 1e-3f) << mode << few << pulse;
    }
}

TEST_F(RulesTest, MeterKeysCardsAndDrain)
{
    powerupCharge = 149.0f;
    handlePowerupKey(powerupTimewarp, true);
    EXPECT_FALSE(timewarpActive);
    handlePowerupKey(powerupTimewarp, false);
    powerupCharge = 150.0f;
    handlePowerupKey(powerupTimewarp, true);
    EXPECT_TRUE(timewarpActive);
    timewarpActive = false;
    handlePowerupKey(powerupTimewarp, true);   // held: not again
    EXPECT_FALSE(timewarpActive);
    EXPECT_EQ(powerupUseCounts[powerupTimewarp], 1);

    // A full price lasts its run of real time, however slow the frames run.
    startPowerup(powerupTimewarp, true);
    float realTime = 0.0f;
    while (timewarpActive && realTime < 30000.0f) {
        updatePowerupMeter(25.0f, 100.0f);
        realTime += 100.0f;
    }
    EXPECT_NEAR(realTime, 20000.0f, 100.0f);
    EXPECT_FLOAT_EQ(powerupCharge, 0.0f);

    // Held at 300, each price announces itself once; a card click buys and takes the press.
    screenWidth = 1280;
    screenHeight = 720;
    const LayoutRect card = powerupCardRect(powerupMultiplier);
    mouseX = static_cast<int>(card.left) + 1;
    mouseY = static_cast<int>(card.top) + 1;
    powerupCharge = 400.0f;
    for (int frame = 0; frame < 2; ++frame)
        updatePowerupMeter(10.0f, 10.0f);
    EXPECT_FLOAT_EQ(powerupCharge, 300.0f);
    EXPECT_EQ(powerupReadyCounts[0] + powerupReadyCounts[1] + powerupReadyCounts[2], 3);
    leftButtonDown = true;
    updatePowerupMeter(10.0f, 10.0f);
    EXPECT_TRUE(multiplierActive && multiplierNotice);
    EXPECT_FALSE(leftButtonDown);

    // Outside Classic the keys do nothing.
    resetRules(gm::Survival);
    powerupCharge = 300.0f;
    handlePowerupKey(powerupFusionPulse, true);
    EXPECT_FALSE(fusionPulseActive);
}

TEST_F(RulesTest, AwardsOfRemovedGroups)
{
    const std::tuple<int, int, size_t> groups[] = {
        {gm::Normal, 13, 1}, {gm::Meditation, 13, 1}, {gm::Meditation, 16, 1}, {gm::Normal, 16, 0}, {gm::Meditation, 14, 0}};
    for (const auto& [mode, n, keys] : groups) {
        resetRules(mode);
        EXPECT_EQ(groupRemovalAwards(n).size(), keys) << mode << " " << n;
    }
    // Rush: the first five removals never earn "killstreak", later ones do within 10 s.
    resetRules(gm::Rush);
    const float times[] = {1, 2, 3, 4, 5, 6, 30, 35, 38, 39, 40};
    for (int i = 0; i < 11; ++i) {
        apmTime = times[i];
        EXPECT_EQ(groupRemovalAwards(4).size(), i == 5 || i == 10 ? 1u : 0u) << i;
    }
}

TEST_F(RulesTest, BurstsTakeAnIdleSystemAndFlyStraight)
{
    particleSystems[0].active = 1;
    startBurst(Vector3(), 9);   // no texture, no burst
    startBurst(Vector3(1, 2, 3), 2);
    EXPECT_EQ(particleSystems[1].texture, "blueparticle.tga");
    EXPECT_FALSE(particleSystems[2].active);
    for (PolyparticleSystem& s : particleSystems)
        s.active = 1;
    startBurst(Vector3(), 7);
    EXPECT_EQ(particleSystems[0].texture, "greenparticle.tga");

    PolyparticleSystem& s = particleSystems[0];
    s.particles.assign(1, Polyparticle());
    s.particles[0].velocity = Vector3(3, 0, 0);
    updatePolyparticle(450.0f, &s);
    EXPECT_FLOAT_EQ(s.particles[0].position.x, 30.0f);
    EXPECT_FLOAT_EQ(s.particles[0].position.z, 0.0f);   // bursts do not fall
    updatePolyparticle(50.0f, &s);
    EXPECT_TRUE(s.active);                              // exactly 500 ms
    updatePolyparticle(1.0f, &s);
    EXPECT_FALSE(s.active);
}

TEST_F(RulesTest, CarriedColourChoices)
{
    // Colours 3 (three blocks), 5 (two), 1 (one); colour 4 is being removed and does not count.
    const int colours[] = {3, 3, 3, 5, 5, 1, 4};
    for (int i = 0; i < 7; ++i)
        putBlock(i, i, 0, 0, colours[i]);
    blocks[6].removing = 1;
    const std::tuple<int, int, int, std::vector<int>> rows[] = {
        // placements, last set down, carried, what may be carried next
        {0, -1, -1, {3, 5}},   // the two most common
        {0, 3, -1, {5, 1}},    // never the colour last set down
        {0, 1, 4, {3, 5}},     // a carried colour that left the board is chosen again
        {0, 1, 5, {5}},        // one still on the board stays
        {5, 3, -1, {5, 1}},    // hint: any colour of the board but the last one
    };
    for (const auto& [placements, previous, carried, allowed] : rows) {
        std::vector<int> seen;
        for (unsigned seed = 1; seed <= 40; ++seed) {
            seedRandom(seed);
            placementsSinceMatch = placements;
            previousCursorColour = previous;
            cursorColour = carried;
            for (int frame = 0; frame < 20 && (frame == 0 || cursorColour == -1); ++frame)
                chooseCarriedColour();
            EXPECT_NE(std::find(allowed.begin(), allowed.end(), cursorColour), allowed.end()) << cursorColour;
            seen.push_back(cursorColour);
        }
        // Each allowed colour comes up.
        for (int colour : allowed)
            EXPECT_NE(std::find(seen.begin(), seen.end(), colour), seen.end()) << placements << " " << colour;
    }
    // A single colour left is carried again, early on and as a hint.
    clearBoard();
    putBlock(0, 0, 0, 0, 2);
    previousCursorColour = 2;
    for (int placements : {0, 5}) {
        placementsSinceMatch = placements;
        cursorColour = -1;
        chooseCarriedColour();
        EXPECT_EQ(cursorColour, 2) << placements;
    }
    // Meditation: any colour but grey, whatever the board holds.
    gameMode = gm::Meditation;
    for (unsigned seed = 1; seed <= 60; ++seed) {
        seedRandom(seed);
        cursorColour = -1;
        chooseCarriedColour();
        EXPECT_TRUE(cursorColour >= 1 && cursorColour <= 7 && cursorColour != 6) << cursorColour;
    }
}

TEST_F(RulesTest, SurvivalThrowsBlocksInBesideBlocksNearTheMiddle)
{
    resetRules(gm::Survival);
    putBlock(0, 0, 0, 0, 3);
    putBlock(1, 1, 0, 0, 6);   // grey blocks are never aimed at
    pendingSpawns = 4;
    updateSurvivalSpawner();
    EXPECT_EQ(activeCount(), 6);
    for (int i = 2; i < 6; ++i)
        EXPECT_FLOAT_EQ(magnitude(blocks[i].targetPosition - blocks[0].position), blockSize) << i;
    // 49 blocks and a clear of 4: nothing is thrown in.
    for (int i = 6; i < 49; ++i)
        putBlock(i, 10 + i, 0, 0, 1);
    pendingSpawns = 4;
    updateSurvivalSpawner();
    EXPECT_EQ(pendingSpawns, 0);
    EXPECT_EQ(activeCount(), 49);
}

// Without the check a full pool handed the spawner record -1.
TEST_F(RulesTest, SpawnAttemptEndsWhenThePoolIsFull)
{
    resetRules(gm::Survival);
    for (int i = 0; i < blockCount; ++i)
        putBlock(i, i == 0 ? 0 : 100 + i, 0, 0, 1);
    colorQueue[3].colour = 5;
    colorQueue[4].colour = 2;
    EXPECT_FALSE(spawnSurvivalBlock());
    EXPECT_EQ(colorQueue[4].colour, 2);
}

// The penalty text shows the 250 points actually taken.
TEST_F(RulesTest, RushTakes250EverySecondWhileBlocksRemain)
{
    resetRules(gm::Rush);
    putBlock(0, 0, 0, 0, 1);
    for (int i = 0; i < 100; ++i)
        updateRushClock(10.0f);
    EXPECT_EQ(getScore(), 249750);
    EXPECT_EQ(displayedScore, 249750);
    ASSERT_EQ(floatys.size(), 1u);
    EXPECT_EQ(floatys[0].text, "-250");
    blocks[0].removing = 1;   // a board that is only being cleared costs nothing
    for (int i = 0; i < 200; ++i)
        updateRushClock(10.0f);
    EXPECT_EQ(getScore(), 249750);
}

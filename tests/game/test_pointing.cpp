#include "board_fixture.h"

#include "engine/picking.h"
#include "engine/window.h"
#include "game/game_types.h"
#include "game/input.h"
#include "game/mass.h"
#include "game/pointing.h"
#include "game/states.h"
#include "game/powerups.h"
#include "game/reports.h"
#include "game/scoring.h"

class Pointing : public BoardTest {
protected:
    void SetUp() override
    {
        BoardTest::SetUp();
        pickedBlock = pickedFace = -1;
        hoverTimer = 0.0f;
        markerAlpha = 0.0f;
        blocksLanded = 0;
        cursorColour = previousCursorColour = -1;
        timewarpActive = fusionPulseActive = false;
        mouseFlip = 0;
        rotateDragActive = leftButtonDown = false;
        dropCount = 0;
        placementsSinceMatch = 0;
        pendingMass = 0.0f;
        massLimit = 54.0f;
        gameMode = gm::Casual;
    }
    void TearDown() override
    {
        rotateDragActive = leftButtonDown = false;
        gameMode = gm::Overall;
        BoardTest::TearDown();
    }

    void runFrames(int frames, float dt)
    {
        for (int i = 0; i < frames; ++i) {
            moveBlocks(dt);
            resolveOverlaps();
            landBlocks();
            resetFarBlocks();
        }
    }

    // Ready to set a block of `colour` down on face `face` of block `target`.
    void armSetDown(int target, int face, int colour)
    {
        pickedBlock = target;
        pickedFace = face;
        hoverTimer = hoverDelay;
        markerAlpha = 200.0f;
        rotateDragActive = true;
        cursorColour = colour;
    }
};

TEST_F(Pointing, RayPicksTheFaceNearestTheEye)
{
    putBlock(0, 0, 0, 0, 1);
    putBlock(1, 0, 1, 0, 2);   // behind block 0 as seen from -y
    mouseRayNear = Vector3(0.0f, -600.0f, 5.0f);
    mouseRayFar = Vector3(0.0f, 600.0f, 5.0f);
    pickBlockFace(Vector3(0.0f, -640.0f, 0.0f));
    EXPECT_EQ(pickedBlock, 0);
    EXPECT_EQ(pickedFace, dirMinusY);

    // From the other side the far block's +y face is nearest.
    pickBlockFace(Vector3(0.0f, 640.0f, 0.0f));
    EXPECT_EQ(pickedBlock, 1);
    EXPECT_EQ(pickedFace, dirPlusY);

    // Flying, removing and hidden blocks are not pointed at.
    blocks[0].position.y -= 1.0f;
    pickBlockFace(Vector3(0.0f, -640.0f, 0.0f));
    EXPECT_EQ(pickedBlock, 1);
    blocks[0].position = blocks[0].targetPosition;
    blocks[0].removing = 1;
    blocks[1].hidden = 1;
    pickBlockFace(Vector3(0.0f, -640.0f, 0.0f));
    EXPECT_EQ(pickedBlock, -1);
    EXPECT_EQ(pickedFace, -1);

    blocks[0].removing = 0;
    mouseRayNear = Vector3(100.0f, -600.0f, 0.0f);
    mouseRayFar = Vector3(100.0f, 600.0f, 0.0f);
    pickBlockFace(Vector3(0.0f, -640.0f, 0.0f));
    EXPECT_EQ(pickedBlock, -1);
    EXPECT_EQ(pickedFace, -1);
}

TEST_F(Pointing, HoverTimerHoldsAtTheDelayAndTheMarkerFadesIn)
{
    updateHover(200.0f);
    EXPECT_FLOAT_EQ(hoverTimer, 200.0f);
    EXPECT_FLOAT_EQ(markerAlpha, 0.0f);
    updateHover(100.0f);
    EXPECT_FLOAT_EQ(hoverTimer, hoverDelay);
    EXPECT_FLOAT_EQ(markerAlpha, playerSpeed * 1.5f * 100.0f / 2.0f);
    for (int i = 0; i < 100; ++i)
        updateHover(100.0f);
    EXPECT_FLOAT_EQ(markerAlpha, 255.0f);

    hoverTimer = 0.0f;
    timewarpActive = true;
    updateHover(50.0f);
    EXPECT_FLOAT_EQ(hoverTimer, 50.0f * timewarpFactor);
}

TEST_F(Pointing, BlocksArriveExactlyOnTheirTargets)
{
    putBlock(0, 0, 0, 0, 1);
    blocks[0].position = Vector3(20 * blockSize, 0.0f, 0.0f);
    const float step = playerSpeed * 15.0f * 16.0f / 10.0f;
    moveBlocks(16.0f);
    EXPECT_FLOAT_EQ(blocks[0].position.x, 20 * blockSize - step);
    EXPECT_FLOAT_EQ(blocks[0].previousPosition.x, 20 * blockSize);
    runFrames(100, 16.0f);
    EXPECT_TRUE(blockAtRest(blocks[0]));

    // Fused blocks crawl; Timewarp speeds the flight by its factor.
    putBlock(1, 0, 5, 0, 1);
    blocks[1].position.x = 20 * blockSize;
    blocks[1].fused = 1;
    moveBlocks(16.0f);
    EXPECT_FLOAT_EQ(blocks[1].position.x, 20 * blockSize - step * 0.275f);
    timewarpActive = true;
    const float before = blocks[1].position.x;
    moveBlocks(16.0f);
    EXPECT_NEAR(before - blocks[1].position.x, step * 0.275f * timewarpFactor, 1e-3f);
}

TEST_F(Pointing, PlacedBlockClunksOnceLevelBlocksNever)
{
    putBlock(0, 0, 0, 0, 1);
    putBlock(2, 0, 0, 4, 1);                  // a level block still flying in
    blocks[2].position.x = -20 * blockSize;
    armSetDown(0, dirPlusX, 3);
    ASSERT_TRUE(trySetDown());
    ASSERT_EQ(blocks[1].colour, 3);
    runFrames(200, 16.0f);
    EXPECT_TRUE(blockAtRest(blocks[1]));
    EXPECT_TRUE(blockAtRest(blocks[2]));
    EXPECT_EQ(blocksLanded, 1);
    EXPECT_TRUE(blocks[1].landedSoundDone);
    runFrames(10, 16.0f);
    EXPECT_EQ(blocksLanded, 1);
}

TEST_F(Pointing, SetDownStartsAFlightAlongTheFaceNormal)
{
    putBlock(0, 0, 0, 0, 1);
    putBlock(5, 3, 3, 3, 2);
    blocks[5].settled = 0;
    placementsSinceMatch = 2;
    armSetDown(0, dirPlusZ, 4);
    mouseX = 300;
    mouseY = 200;
    ASSERT_TRUE(trySetDown());
    const BlockRecord& b = blocks[1];
    EXPECT_TRUE(b.active);
    EXPECT_FALSE(b.settled);
    EXPECT_FALSE(b.landedSoundDone);
    EXPECT_EQ(b.colour, 4);
    EXPECT_FLOAT_EQ(b.targetPosition.z, blockSize);
    EXPECT_FLOAT_EQ(b.position.z, 20 * blockSize);
    EXPECT_FLOAT_EQ(b.previousPosition.z, 20 * blockSize);
    EXPECT_TRUE(blocks[5].settled);
    EXPECT_EQ(cursorColour, -1);
    EXPECT_EQ(previousCursorColour, 4);
    EXPECT_FLOAT_EQ(hoverTimer, 0.0f);
    EXPECT_FLOAT_EQ(markerAlpha, 0.0f);
    EXPECT_FALSE(rotateDragActive);
    EXPECT_FLOAT_EQ(dropScreenPoint.x, 300.0f);
    EXPECT_EQ(dropCount, 1);
    EXPECT_EQ(placementsSinceMatch, 3);
    EXPECT_FLOAT_EQ(pendingMass, 2 * 54.0f * 0.005f);

    // Only the Classic modes add mass for placements, and the first placement after a match adds none.
    pendingMass = 0.0f;
    for (int mode : {gm::Rush, gm::Survival, gm::Meditation}) {
        gameMode = mode;
        armSetDown(0, dirMinusZ, 3);
        ASSERT_TRUE(trySetDown()) << mode;
    }
    EXPECT_FLOAT_EQ(pendingMass, 0.0f);
    gameMode = gm::Expert;
    placementsSinceMatch = 0;
    armSetDown(0, dirMinusZ, 3);
    ASSERT_TRUE(trySetDown());
    EXPECT_FLOAT_EQ(pendingMass, 0.0f);
    EXPECT_EQ(placementsSinceMatch, 1);
    gameMode = gm::Casual;

    // Without the drop gesture, a visible marker or a carried colour nothing happens.
    armSetDown(0, dirPlusX, 2);
    rotateDragActive = false;
    EXPECT_FALSE(trySetDown());
    armSetDown(0, dirPlusX, 2);
    markerAlpha = 100.0f;
    EXPECT_FALSE(trySetDown());
    armSetDown(0, dirPlusX, -1);
    EXPECT_FALSE(trySetDown());
    // Scheme 1 drops with the left button.
    mouseFlip = 1;
    armSetDown(0, dirPlusX, 2);
    rotateDragActive = false;
    leftButtonDown = true;
    EXPECT_TRUE(trySetDown());
}

// A fused block could never be found or removed, so a Classic level holding one could not be cleared.
TEST_F(Pointing, SetDownDuringAFusionPulseKeepsItsColourAndIsNotFused)
{
    putBlock(0, 0, 0, 0, 1);
    fusionPulseActive = true;
    armSetDown(0, dirMinusX, 5);
    ASSERT_TRUE(trySetDown());
    EXPECT_FALSE(blocks[1].fused);
    EXPECT_EQ(blocks[1].colour, 5);
    fusionPulseActive = false;
}

TEST_F(Pointing, SetDownRefusedWhenThePoolIsFullOrMeditationIsDone)
{
    for (int i = 0; i < blockCount; ++i)
        putBlock(i, i % 8, (i / 8) % 8, i / 64, 1);
    armSetDown(0, dirMinusY, 2);
    EXPECT_FALSE(trySetDown());
    EXPECT_EQ(cursorColour, 2);
    EXPECT_EQ(dropCount, 0);

    clearBoard();
    putBlock(0, 0, 0, 0, 6);
    gameMode = gm::Meditation;
    blocksLanded = 100;
    armSetDown(0, dirMinusY, 2);
    EXPECT_FALSE(trySetDown());
}

TEST_F(Pointing, TheLaterBlockOnAnOccupiedCellGoes)
{
    putBlock(2, 1, 0, 0, 1);
    putBlock(7, 1, 0, 0, 2);
    blocks[7].position.x += 40.0f;
    runFrames(1, 16.0f);
    EXPECT_TRUE(blocks[2].active);
    EXPECT_TRUE(blocks[7].active);   // still flying
    runFrames(10, 16.0f);
    EXPECT_TRUE(blocks[2].active);
    EXPECT_FALSE(blocks[7].active);
}

TEST_F(Pointing, FarAwayBlocksAreReset)
{
    putBlock(0, 0, 0, 0, 1);
    blocks[0].position = blocks[0].targetPosition = Vector3(0.0f, 200000.0f, 0.0f);
    runFrames(1, 16.0f);
    EXPECT_FALSE(blocks[0].active);
}

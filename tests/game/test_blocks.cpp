#include "board_fixture.h"

#include "game/scoring.h"

using BlockQueries = BoardTest;

TEST_F(BlockQueries, ResetKeepsColourAndParksTheRecordAboveTheGrid)
{
    putBlock(3, 1, 2, 3, 5);
    blocks[3].removing = blocks[3].fused = blocks[3].hidden = 1;
    blocks[3].powerupLevel = 2;
    resetBlock(3);
    const BlockRecord& b = blocks[3];
    EXPECT_FALSE(b.active || b.removing || b.settled || b.fused || b.hidden);
    EXPECT_EQ(b.colour, 5);
    EXPECT_EQ(b.powerupLevel, 2);
    EXPECT_FLOAT_EQ(b.position.z, (rowCount + 1) * blockSize + 10 * blockSize);
    EXPECT_FLOAT_EQ(b.previousPosition.z, b.position.z);
    EXPECT_FLOAT_EQ(b.size.x, blockSize);
    EXPECT_EQ(b.slot, 4);
}

TEST_F(BlockQueries, PointWindowIsInclusiveAndLowestIndexWins)
{
    putBlock(7, 2, 0, 0, 1);
    putBlock(4, 2, 0, 0, 2);
    const float edge = blockSize / 8.0f;
    EXPECT_EQ(findBlockAt(64.0f, 0.0f, 0.0f), 4);
    EXPECT_EQ(findBlockAt(64.0f + edge, -edge, edge), 4);
    EXPECT_EQ(findBlockAt(64.0f + edge + 0.01f, 0.0f, 0.0f), -1);
    EXPECT_EQ(findBlockAt(64.0f, 0.0f, -edge - 0.01f), -1);
}

TEST_F(BlockQueries, FlyingFusedAndRemovingBlocksAreHiddenFromSearches)
{
    putBlock(0, 0, 0, 0, 1);
    blocks[0].position.x += 1.0f;   // within the window but not at rest
    EXPECT_EQ(findBlockAt(0, 0, 0), -1);
    EXPECT_EQ(findAnyBlockAt(0, 0, 0), -1);

    putBlock(1, 1, 0, 0, 1);
    blocks[1].fused = 1;
    EXPECT_EQ(findBlockAt(blockSize, 0, 0), -1);
    EXPECT_EQ(findAnyBlockAt(blockSize, 0, 0), -1);

    putBlock(2, 2, 0, 0, 1);
    blocks[2].removing = 1;
    EXPECT_EQ(findBlockAt(2 * blockSize, 0, 0), -1);
    EXPECT_EQ(findAnyBlockAt(2 * blockSize, 0, 0), 2);
}

TEST_F(BlockQueries, NeighboursInAllSixDirectionsAndNoneBeyondTheEdge)
{
    const int centre = putBlock(0, 0, 0, 0, 1);
    putBlock(1, -1, 0, 0, 1);
    putBlock(2, 0, 0, 1, 1);
    putBlock(3, 1, 0, 0, 1);
    putBlock(4, 0, 0, -1, 1);
    putBlock(5, 0, 1, 0, 1);
    putBlock(6, 0, -1, 0, 1);
    for (int dir = 1; dir <= 6; ++dir)
        EXPECT_EQ(getNeighborBlock(centre, dir), dir) << "direction " << dir;
    EXPECT_EQ(getNeighborBlock(centre, 0), -1);
    EXPECT_EQ(getNeighborBlock(centre, 7), -1);
    EXPECT_EQ(getNeighborBlock(-1, 1), -1);
    EXPECT_EQ(getNeighborBlock(blockCount, 1), -1);
    // The edge of the mass: the outer block has nothing further out.
    EXPECT_EQ(getNeighborBlock(1, 1), -1);
    EXPECT_EQ(getNeighborBlock(5, 5), -1);
}

TEST_F(BlockQueries, SlotQueryUsesAStrictTolerance)
{
    BlockRecord& b = blocks[9];
    b.active = 1;
    b.slot = 2;
    const float centre = 3 * blockSize - blockSize / 2;
    b.position.z = centre + playerSpeed - 0.01f;
    EXPECT_EQ(getBlockAtSlot(2, 3), 9);
    EXPECT_EQ(getBlockAtSlot(1, 3), -1);
    b.position.z = centre + playerSpeed;
    EXPECT_EQ(getBlockAtSlot(2, 3), -1);
    b.position.z = centre;
    currentBlock = 9;
    EXPECT_EQ(getBlockAtSlot(2, 3), -1);
}

TEST_F(BlockQueries, PaidRowsAndRectangles)
{
    setScore(0);
    BlockRecord& b = blocks[0];
    b.active = 1;
    b.slot = 0;
    b.position.z = blockSize - blockSize / 2;
    clearPaidRows(1);   // price 0
    EXPECT_TRUE(b.removing);
    EXPECT_FLOAT_EQ(rowCooldowns[1], static_cast<float>(powerupCooldown));
    rowCooldowns[1] = 0.0f;

    EXPECT_TRUE(rectsOverlap(0, 100, 100, 0, 50, 100, 150, 0));
    EXPECT_FALSE(rectsOverlap(0, 100, 100, 0, 99, 100, 199, 0));   // only the shrunk margins touch
    EXPECT_FALSE(rectsOverlap(0, 100, 100, 50, 0, 40, 100, 0));   // y2 > y3
}

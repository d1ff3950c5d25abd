#include "board_fixture.h"

#include <set>

using PieceQueues = BoardTest;

TEST_F(PieceQueues, LaddersCoverTheirRangesWithTheGivenShares)
{
    int colours[8] = {};
    int patterns[18] = {};
    for (int i = 0; i < 30000; ++i)
        ++colours[drawLadderColour()];
    for (int i = 0; i < 17000; ++i)
        ++patterns[drawLadderPattern()];
    EXPECT_EQ(colours[0], 0);
    EXPECT_EQ(colours[6], 0);   // grey is the Meditation seed's colour only
    EXPECT_GT(colours[7], colours[1]);   // 6 in 30 against 4 in 30
    for (int p = 1; p <= 17; ++p)
        EXPECT_GT(patterns[p], 0) << p;
    EXPECT_EQ(patterns[0], 0);
}

TEST_F(PieceQueues, FirstBlockFillsFiveEntriesLaterOnesDrawOne)
{
    const int first = newBlock();
    ASSERT_EQ(first, 0);
    EXPECT_FALSE(blocks[0].active);   // the caller activates it
    for (int i = 0; i <= 4; ++i)
        EXPECT_GE(colorQueue[i].colour, 1) << i;
    EXPECT_EQ(blocks[0].colour, colorQueue[4].colour);
    EXPECT_EQ(blocks[0].powerupLevel, colorQueue[4].powerupLevel);
    EXPECT_FLOAT_EQ(colorQueue[4].position.y, -50.0f);

    const int before[4] = {colorQueue[1].colour, colorQueue[2].colour, colorQueue[3].colour,
                           colorQueue[4].colour};
    blocks[0].active = 1;
    EXPECT_EQ(newBlock(), 1);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(colorQueue[i].colour, before[i]) << "shifted by one";
}


TEST_F(PieceQueues, BiasTakesTheMostCommonColourButNotTheLastOne)
{
    int index = 0;
    for (int i = 0; i < 10; ++i)
        putBlock(index++, i, 0, 0, 1);
    for (int i = 0; i < 10; ++i)
        putBlock(index++, i, 1, 0, 2);
    for (int i = 0; i < 4; ++i)
        putBlock(index++, i, 2, 0, 3);
    for (int i = 0; i < queueLength; ++i)
        colorQueue[i].colour = 1;
    colourBiasActive = true;
    EXPECT_EQ(blocks[newBlock()].colour, 2);

    // Two colours present: the last colour is not left out; the tie goes to the lower colour.
    for (int i = 20; i < 24; ++i)
        blocks[i].active = 0;
    for (int i = 0; i < queueLength; ++i)
        colorQueue[i].colour = 1;
    EXPECT_EQ(blocks[newBlock()].colour, 1);
}

TEST_F(PieceQueues, BiasOnAnEmptyMassFallsBackToTheLadder)
{
    colourBiasActive = true;
    std::set<int> seen;
    for (int i = 0; i < 40; ++i) {
        int index = newBlock();
        ASSERT_NE(index, -1);
        seen.insert(blocks[index].colour);
    }
    EXPECT_GT(seen.size(), 1u);
    EXPECT_EQ(seen.count(0), 0u);
}

// The mass may hold records of colour 0 or of the powerup colours 8..10. Counting those let the
// bias choose a colour below 1 or above 7; with an empty queue the refill loop then never ended.
TEST_F(PieceQueues, BiasCountsOnlyTheSevenColours)
{
    for (int i = 0; i < 30; ++i)
        putBlock(i, i, 0, 0, 0);
    for (int i = 30; i < 40; ++i)
        putBlock(i, i, 0, 0, 9);
    putBlock(40, 0, 5, 0, 3);
    for (int i = 0; i < queueLength; ++i)
        colorQueue[i].colour = 2;
    colourBiasActive = true;
    for (int round = 0; round < 5; ++round)
        EXPECT_EQ(blocks[newBlock()].colour, 3) << round;

    // Only colourless records: the ladder decides and the empty queue fills.
    blocks[40].active = 0;
    for (int i = 30; i < 40; ++i)
        blocks[i].active = 0;
    for (int i = 0; i < queueLength; ++i)
        colorQueue[i] = BlockRecord();
    const int index = newBlock();
    ASSERT_NE(index, -1);
    for (int i = 0; i <= 4; ++i) {
        EXPECT_GE(colorQueue[i].colour, 1);
        EXPECT_LE(colorQueue[i].colour, 7);
    }
}

TEST_F(PieceQueues, FullPoolReturnsMinusOneAndLeavesTheQueue)
{
    newBlock();
    for (int i = 0; i < blockCount; ++i)
        blocks[i].active = 1;
    BlockRecord before[queueLength];
    for (int i = 0; i < queueLength; ++i)
        before[i] = colorQueue[i];
    EXPECT_EQ(newBlock(), -1);
    for (int i = 0; i < queueLength; ++i)
        EXPECT_EQ(colorQueue[i].colour, before[i].colour);
}

TEST_F(PieceQueues, ShapeQueueFillsNineThenAdvancesByOne)
{
    nextShape();
    for (int i = 0; i < queueLength; ++i) {
        EXPECT_GE(shapeQueue[i].colour, 1);
        EXPECT_GE(shapeQueue[i].size.z, 1.0f);
        EXPECT_LE(shapeQueue[i].size.z, 17.0f);
    }
    const int second = shapeQueue[1].colour;
    nextShape();
    EXPECT_EQ(shapeQueue[0].colour, second);
}

TEST_F(PieceQueues, PowerupLevelsAllOccur)
{
    int levels[4] = {};
    for (int i = 0; i < 3000; ++i) {
        int index = newBlock();
        ++levels[blocks[index].powerupLevel];
    }
    EXPECT_GT(levels[0], levels[3]);
    EXPECT_GT(levels[2], 0);   // Busters get a share
    EXPECT_GT(levels[3], 0);
}

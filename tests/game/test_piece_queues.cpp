#include "board_fixture.h"

#include <set>
#include <vector>

using PieceQueues = BoardTest;

namespace {

// The colour ladder as shares of rand() % 30, and the pattern ladder of rand() % 170.
int ladderColourOf(int r)
{
    static const int shares[][2] = {{6, 7}, {5, 5}, {5, 4}, {5, 3}, {5, 2}, {4, 1}};
    for (const auto& share : shares) {
        if (r < share[0])
            return share[1];
        r -= share[0];
    }
    return -1;
}

int ladderPatternOf(int r)
{
    if (r < 11)
        return 1;
    return r >= 161 ? 17 : 2 + (r - 11) / 10;
}

// The next raw draws of the random source after seeding it with `seed`.
std::vector<int> peekDraws(unsigned seed, int n)
{
    seedRandom(seed);
    std::vector<int> draws;
    for (int i = 0; i < n; ++i)
        draws.push_back(gameRandom());
    seedRandom(seed);
    return draws;
}

} // namespace

// The shares and the order of the draws are part of the rules: every boundary of the ladders, the
// 21-in-100 powerup roll, and a shape's colour drawn before its pattern.
TEST_F(PieceQueues, DrawsFollowTheLaddersInTheirOrder)
{
    for (unsigned seed = 1; seed <= 3000; ++seed) {
        const std::vector<int> r = peekDraws(seed, 1);
        ASSERT_EQ(drawLadderColour(), ladderColourOf(r[0] % 30)) << r[0] % 30;
        seedRandom(seed);
        ASSERT_EQ(drawLadderPattern(), ladderPatternOf(r[0] % 170)) << r[0] % 170;
    }

    // A full queue: one pass per block, colour from the ladder, then the powerup roll.
    for (int i = 0; i < queueLength; ++i)
        colorQueue[i].colour = 3;
    int rolled = 0;
    for (unsigned seed = 1; seed <= 2000; ++seed) {
        const std::vector<int> r = peekDraws(seed, 3);
        const int index = newBlock();
        ASSERT_EQ(index, 0);
        ASSERT_EQ(blocks[0].colour, ladderColourOf(r[0] % 30));
        const bool powered = r[1] % 100 <= 20;
        ASSERT_EQ(blocks[0].powerupLevel != 0, powered) << r[1] % 100;
        rolled += powered ? 1 : 0;
    }
    EXPECT_GT(rolled, 0);

    nextShape();   // fill the shape queue
    for (unsigned seed = 1; seed <= 500; ++seed) {
        const std::vector<int> r = peekDraws(seed, 2);
        nextShape();
        ASSERT_EQ(shapeQueue[8].colour, ladderColourOf(r[0] % 30));
        ASSERT_FLOAT_EQ(shapeQueue[8].size.z, static_cast<float>(ladderPatternOf(r[1] % 170)));
    }
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

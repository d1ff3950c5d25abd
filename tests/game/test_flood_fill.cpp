#include "board_fixture.h"

#include "game/flood_fill.h"
#include "game/scoring.h"

class FloodFill : public BoardTest {
protected:
    int fill(int start)
    {
        resetFloodFill();
        recursiveFloodFill(start, blocks[start].colour);
        return countMatchedBlocks();
    }
};

TEST_F(FloodFill, LoneBlockIsAGroupOfOne)
{
    putBlock(0, 0, 0, 0, 3);
    putBlock(1, 1, 0, 0, 4);
    EXPECT_EQ(fill(0), 1);
    EXPECT_EQ(floodOrder[0], 0);
    EXPECT_TRUE(floodVisited[1]);   // examined, not matched
    EXPECT_FALSE(floodMatched[1]);
}

TEST_F(FloodFill, GroupsOfThreeAndFourFollowTheDirectionOrder)
{
    // An L of four: 0 at the origin, 1 at -x, 2 at +x, 3 above 2.
    putBlock(0, 0, 0, 0, 2);
    putBlock(1, -1, 0, 0, 2);
    putBlock(2, 1, 0, 0, 2);
    putBlock(3, 1, 1, 0, 2);
    EXPECT_EQ(fill(0), 4);
    EXPECT_EQ(floodOrder[0], 0);
    EXPECT_EQ(floodOrder[1], 1);   // -x is tried first
    EXPECT_EQ(floodOrder[2], 2);
    EXPECT_EQ(floodOrder[3], 3);   // reached from 2 through +y

    blocks[3].colour = 5;
    EXPECT_EQ(fill(1), 3);
}

TEST_F(FloodFill, OtherColoursSeparateAndRemovingOrFlyingBlocksDoNotJoin)
{
    putBlock(0, 0, 0, 0, 1);
    putBlock(1, 1, 0, 0, 6);   // separator
    putBlock(2, 2, 0, 0, 1);
    EXPECT_EQ(fill(0), 1);
    EXPECT_FALSE(floodMatched[2]);

    blocks[1].colour = 1;
    blocks[1].removing = 1;
    EXPECT_EQ(fill(0), 1);

    blocks[1].removing = 0;
    blocks[1].position.x += 0.5f;  // still flying in
    EXPECT_EQ(fill(0), 1);

    blocks[1].position = blocks[1].targetPosition;
    EXPECT_EQ(fill(0), 3);
}

TEST_F(FloodFill, ManyBlocksAndStaggeredRemoval)
{
    // A solid 8 x 8 x 8 cube: all 512 records in one group.
    int index = 0;
    for (int x = 0; x < 8; ++x)
        for (int y = 0; y < 8; ++y)
            for (int z = 0; z < 8; ++z)
                putBlock(index++, x, y, z, 7);
    EXPECT_EQ(fill(0), blockCount);

    removeMatchedBlocks();
    std::vector<bool> seen(blockCount, false);
    for (int i = 0; i < blockCount; ++i) {
        EXPECT_TRUE(blocks[i].removing);
        EXPECT_FLOAT_EQ(blocks[i].removeTimer, -floodOrder[i] * 130.0f);
        EXPECT_FLOAT_EQ(blocks[i].removeDelay, blocks[i].removeTimer);
        EXPECT_EQ(blocks[i].groupOrder, floodOrder[i]);
        ASSERT_FALSE(seen[floodOrder[i]]);
        seen[floodOrder[i]] = true;
    }
    // Once they are being removed, the next search finds only the start.
    EXPECT_EQ(fill(0), 1);
}

TEST_F(FloodFill, ShapeOfFourGivesAPowerupAndItsMessage)
{
    shapeMode = 1;
    shapesMade = 0;
    setScore(0);
    // Pattern 11: B, then +z, then -x twice.
    putBlock(0, 0, 0, 0, 4);
    putBlock(1, 0, 0, 1, 4);
    putBlock(2, -1, 0, 1, 4);
    putBlock(3, -2, 0, 1, 4);
    blocks[2].powerupLevel = 2;
    for (FeedbackText& f : feedbackTexts)
        f = FeedbackText();

    EXPECT_FALSE(matchShape(0, 4, 12));
    EXPECT_FALSE(matchShape(0, 3, 11));
    EXPECT_TRUE(matchShape(0, 4, 11));
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(blocks[i].removing);
    EXPECT_EQ(shapesMade, 1);
    EXPECT_EQ(getScore(), 100);
    EXPECT_EQ(colorQueue[5].colour, 9);
    EXPECT_GE(shapeQueue[0].colour, 1);   // the shape queue advanced (and filled)
    for (const FeedbackText& f : feedbackTexts) {
        EXPECT_TRUE(f.active);
        EXPECT_EQ(f.text, "Buster!");
    }
    // Already removing: no second match.
    EXPECT_FALSE(matchShape(0, 4, 11));

    // Every entry is busy: a new message changes nothing.
    showFeedbackText("Bomb!");
    EXPECT_EQ(feedbackTexts[0].text, "Buster!");
    shapeMode = 2;
    for (FeedbackText& f : feedbackTexts)
        f = FeedbackText();
}

TEST_F(FloodFill, ShapeOfFiveHandsThePowerupToTheCurrentBlockWithoutAMessage)
{
    shapeMode = 2;
    shapesMade = 0;
    setScore(0);
    // Pattern 3: B, one step +x, then three along +z.
    putBlock(0, 0, 0, 0, 2);
    putBlock(1, 1, 0, 0, 2);
    putBlock(2, 1, 0, 1, 2);
    putBlock(3, 1, 0, 2, 2);
    putBlock(4, 1, 0, 3, 2);
    putBlock(10, 5, 5, 5, 5);
    blocks[1].powerupLevel = 1;
    blocks[2].powerupLevel = 3;
    blocks[4].powerupLevel = 2;
    for (FeedbackText& f : feedbackTexts)
        f = FeedbackText();

    currentBlock = 2;   // the current block is never part of a shape
    EXPECT_FALSE(matchShape(0, 2, 3));
    EXPECT_FALSE(blocks[0].removing);

    currentBlock = 10;
    EXPECT_TRUE(matchShape(0, 2, 3));
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(blocks[i].removing);
    EXPECT_EQ(getScore(), formCompletion);
    EXPECT_EQ(shapesMade, 1);
    EXPECT_EQ(blocks[10].colour, 10);   // the highest level among the cells decides: Drill
    EXPECT_EQ(colorQueue[5].colour, 10);
    for (const FeedbackText& f : feedbackTexts)
        EXPECT_FALSE(f.active);
}

TEST_F(FloodFill, ShapeCellsAreCentredAndBadInputIsRefused)
{
    shapeMode = 2;
    auto cells = shapeCells(3, 32.0f);   // one step +x, then three along +z
    ASSERT_EQ(cells.size(), 5u);
    EXPECT_FLOAT_EQ(cells[0].x, -16.0f);
    EXPECT_FLOAT_EQ(cells[0].y, -48.0f);
    EXPECT_FLOAT_EQ(cells[4].x, 16.0f);
    EXPECT_FLOAT_EQ(cells[4].y, 48.0f);
    shapeMode = 1;
    cells = shapeCells(3, 32.0f);        // T of four: three wide in x, two deep in z
    ASSERT_EQ(cells.size(), 4u);
    EXPECT_FLOAT_EQ(cells[0].y, -16.0f);
    shapeMode = 2;
    EXPECT_TRUE(shapeCells(0, 32.0f).empty());
    EXPECT_FALSE(matchShape(0, 1, 18));
    EXPECT_EQ(colourSetting(3), -1);
    EXPECT_EQ(colourSetting(9), -1);
}

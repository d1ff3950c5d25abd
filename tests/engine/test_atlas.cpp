// Atlas packing: best fit, splits, page sizes and their floor, the placement protocol.
#include "render_test_support.h"

#include "engine/atlas.h"
#include "engine/log.h"

#include <gtest/gtest.h>

namespace {

// One page of the given size with one free rectangle, bound, without touching GL.
void fakePage(int size)
{
    atlasPages.assign(1, 0);
    atlasPageSizes.assign(1, size);
    atlasSlots.assign(1, std::vector<AtlasSlot>(1));
    atlasSlots[0][0].width = atlasSlots[0][0].height = static_cast<float>(size);
    boundAtlasPage = 0;
}

AtlasSlot freeSlot(float x, float y, float w, float h)
{
    AtlasSlot s;
    s.x = x;
    s.y = y;
    s.width = w;
    s.height = h;
    return s;
}

class AtlasPacking : public ::testing::Test {
protected:
    void TearDown() override
    {
        atlasPages.clear();
        atlasSlots.clear();
        atlasPageSizes.clear();
        boundAtlasPage = -1;
        atlasSize = 4096;
        smallTextures = 0;
    }
};

TEST_F(AtlasPacking, AnExactFitTakesTheRectangleAndLeavesTwoEmptyOnes)
{
    fakePage(64);
    const int slot = chooseAtlasSlot(64, 64);
    ASSERT_EQ(slot, 0);
    const Vector2 at = placeInAtlasSlot(slot, 64, 64, "a.tga");
    EXPECT_EQ(at.x, 0.0f);
    EXPECT_EQ(at.y, 0.0f);
    ASSERT_EQ(atlasSlots[0].size(), 3u);
    EXPECT_EQ(atlasSlots[0][0].width, 0.0f);   // right
    EXPECT_EQ(atlasSlots[0][1].height, 0.0f);  // below
    EXPECT_EQ(atlasSlots[0][2].name, "a.tga");
    EXPECT_EQ(chooseAtlasSlot(1, 1), -1);
}

TEST_F(AtlasPacking, SplitsDependOnTheImageShape)
{
    fakePage(256);
    placeInAtlasSlot(0, 32, 64, "tall");  // tall: narrow strip below, full-height strip right
    const AtlasSlot right = atlasSlots[0][0], below = atlasSlots[0][1];
    EXPECT_EQ(right.x, 32.0f);
    EXPECT_EQ(right.y, 0.0f);
    EXPECT_EQ(right.width, 224.0f);
    EXPECT_EQ(right.height, 256.0f);
    EXPECT_EQ(below.x, 0.0f);
    EXPECT_EQ(below.y, 64.0f);
    EXPECT_EQ(below.width, 32.0f);
    EXPECT_EQ(below.height, 192.0f);

    fakePage(256);
    placeInAtlasSlot(0, 64, 32, "wide");  // wide: full-width strip below, own-height strip right
    EXPECT_EQ(atlasSlots[0][0].width, 192.0f);
    EXPECT_EQ(atlasSlots[0][0].height, 32.0f);
    EXPECT_EQ(atlasSlots[0][1].width, 256.0f);
    EXPECT_EQ(atlasSlots[0][1].height, 224.0f);
}

TEST_F(AtlasPacking, BestFitPrefersLeastSpareThenTheEarliest)
{
    fakePage(512);
    atlasSlots[0] = {freeSlot(0, 0, 40, 40), freeSlot(100, 0, 20, 20), freeSlot(200, 0, 20, 20),
                     freeSlot(300, 0, 16, 8)};
    atlasSlots[0][1].name = "taken";
    EXPECT_EQ(chooseAtlasSlot(16, 16), 2);   // 20x20 free beats 40x40; the taken one is skipped
    EXPECT_EQ(chooseAtlasSlot(16, 8), 3);    // the exact fit ends the search
    atlasSlots[0][1].name.clear();
    EXPECT_EQ(chooseAtlasSlot(16, 16), 1);   // equal spare: the earlier rectangle
    EXPECT_EQ(chooseAtlasSlot(41, 1), -1);
}

TEST_F(AtlasPacking, PageSizesAreValidPowersOfTwoWithAFloor)
{
    EXPECT_EQ(validAtlasSize(4096, 16384), 4096);
    EXPECT_EQ(validAtlasSize(4096, 2048), 2048);
    EXPECT_EQ(validAtlasSize(3000, 0), 2048);      // a console value that is no power of two
    EXPECT_EQ(validAtlasSize(1000, 0), 512);
    EXPECT_EQ(validAtlasSize(0, 0), minAtlasSize);
    EXPECT_EQ(validAtlasSize(-5, 0), minAtlasSize);
    EXPECT_EQ(validAtlasSize(4096, minAtlasSize / 2), 0);
    // Halving on out-of-memory stops at the floor instead of going on for ever.
    int size = 4096, steps = 0;
    while ((size = halvedAtlasSize(size)) != 0) ++steps;
    EXPECT_EQ(steps, 4);  // 2048, 1024, 512, 256
}

TEST_F(AtlasPacking, PlacementCreatesPagesButNeverForAnImageNoPageCanHold)
{
    resetRenderState();
    atlasSize = 256;
    Vector2 at;
    EXPECT_EQ(placeInAtlas(300, 10, "too-wide", at), -1);
    EXPECT_TRUE(atlasPages.empty());

    EXPECT_EQ(placeInAtlas(200, 200, "one", at), 0);
    EXPECT_EQ(atlasPages.size(), 1u);
    EXPECT_EQ(smallTextures, 1);  // pages below 2048 texels use the reduced images
    EXPECT_EQ(placeInAtlas(200, 200, "two", at), 1);
    EXPECT_EQ(atlasPages.size(), 2u);

    // A page made after the console changed the size keeps its own size; earlier ones theirs.
    atlasSize = 512;
    EXPECT_EQ(placeInAtlas(400, 400, "three", at), 2);
    EXPECT_EQ(atlasPageSizes[0], 256);
    EXPECT_EQ(atlasPageSizes[2], 512);
    bindAtlasPage(7);  // out of range: nothing happens
    EXPECT_EQ(boundAtlasPage, 2);

    // Once page 0 exists, a page made for the overflow is a quarter of the full edge, doubled
    // until the image fits; the full edge stays what it was.
    resetRenderState();
    atlasSize = 2048;
    EXPECT_EQ(placeInAtlas(2048, 2048, "filler", at), 0);
    EXPECT_EQ(placeInAtlas(100, 100, "small", at), 1);
    EXPECT_EQ(atlasPageSizes[1], 512);
    EXPECT_EQ(placeInAtlas(700, 300, "wider", at), 2);
    EXPECT_EQ(atlasPageSizes[2], 1024);
    EXPECT_EQ(placeInAtlas(300, 300, "fits", at), 1);   // earlier pages are tried first
    EXPECT_EQ(placeInAtlas(2000, 10, "long", at), 3);
    EXPECT_EQ(atlasPageSizes[3], 2048);
    EXPECT_EQ(atlasSize, 2048);

    // Pages of exactly 2048 texels still take the full-size images.
    resetRenderState();
    smallTextures = 0;
    atlasSize = 2048;
    EXPECT_EQ(placeInAtlas(10, 10, "full", at), 0);
    EXPECT_EQ(atlasPageSizes[0], 2048);
    EXPECT_EQ(smallTextures, 0);
    resetRenderState();
}

}  // namespace

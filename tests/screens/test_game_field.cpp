// The game field: which blocks and faces are drawn, the carried colour's pass, the floating texts
// and the motion-blur pass.
#include "screens_fixture.h"

#include "screens/game_field.h"

namespace {

class FieldTest : public ScreensTest {
protected:
    void SetUp() override
    {
        ScreensTest::SetUp();
        for (const char* t : {"yellow.tga", "blue.tga", "grey.tga", "yellowH.tga", "blueH.tga", "bomb.tga",
                              "buster.tga", "drill.tga"})
            loadTexture(t);
        markerAlpha = 0.0f;
        hoverTimer = 0.0f;
        rotateDragActive = leftButtonDown = false;
        mouseFlip = 0;
    }
    void TearDown() override
    {
        rotateDragActive = false;
        ScreensTest::TearDown();
    }
    static void put(int index, int x, int y, int z, int colour)
    {
        BlockRecord& b = blocks[index];
        b.position = b.targetPosition = Vector3(x * blockSize, y * blockSize, z * blockSize);
        b.active = b.settled = b.landedSoundDone = 1;
        b.colour = colour;
    }
    std::vector<std::string> chunks() const
    {
        std::vector<std::string> out;
        for (const DrawCall& c : of(DrawOp::Chunk))
            out.push_back(c.text);
        return out;
    }
};

} // namespace

TEST_F(FieldTest, OnlySurfaceBlocksAreDrawnInTheirFaceTexture)
{
    int n = 0;
    for (int x = 0; x < 3; ++x)
        for (int y = 0; y < 3; ++y)
            for (int z = 0; z < 3; ++z)
                put(n++, x, y, z, 1);
    cursorColour = 1;   // no colour choice this frame
    renderBlocks();
    EXPECT_EQ(chunks(), std::vector<std::string>(26, "yellow.tga"));   // the middle one is enclosed

    // The Multiplier leaves only the highlight faces.
    calls.clear();
    multiplierActive = true;
    blockFlashLevel = 1.0f;
    renderBlocks();
    EXPECT_EQ(chunks(), std::vector<std::string>(26, "yellowH.tga"));
    multiplierActive = false;
    blockFlashLevel = 0.0f;

    // Bomb, Buster and Drill have faces of their own; a fused block is grey, at its own place.
    for (int i = 0; i < blockCount; ++i)
        resetBlock(i);
    put(0, 0, 0, 0, 8);
    put(1, 4, 0, 0, 9);
    put(2, 8, 0, 0, 10);
    put(3, 12, 0, 0, 2);
    blocks[3].fused = 1;
    calls.clear();
    renderBlocks();
    EXPECT_EQ(chunks(), (std::vector<std::string>{"bomb.tga", "buster.tga", "drill.tga", "grey.tga"}));
}

TEST_F(FieldTest, TheCarriedColourPassRunsOnlyForAFreePointerOrABlockAtRestWithAFace)
{
    put(0, 0, 0, 0, 1);
    put(1, 2, 0, 0, 2);
    auto run = [&](int picked, int face, int carried) {
        pickedBlock = picked;
        pickedFace = face;
        cursorColour = carried;
        calls.clear();
        renderBlocks();
        return static_cast<int>(of(DrawOp::Mesh).size()) - 2;   // meshes beyond the two blocks
    };

    EXPECT_EQ(run(-1, -1, 2), 0);   // a colour and nothing picked: nothing more
    EXPECT_EQ(cursorColour, 2);
    EXPECT_EQ(run(-1, -1, -1), 0);  // no colour: one of the board's is chosen, no preview
    EXPECT_TRUE(cursorColour == 1 || cursorColour == 2) << cursorColour;
    EXPECT_EQ(run(0, 7, -1), 0);    // a face outside 1..6 does nothing at all
    EXPECT_EQ(cursorColour, -1);
    blocks[1].position.x += 5.0f;   // still flying: no preview beside it
    EXPECT_EQ(run(1, dirPlusZ, 1), 0);
    EXPECT_EQ(cursorColour, 1);
    blocks[1].position.x -= 5.0f;

    // Picked at rest: the preview, then the set-down when the gesture and the hover allow it.
    markerAlpha = 200.0f;
    hoverTimer = hoverDelay;
    rotateDragActive = true;
    EXPECT_EQ(run(0, dirPlusZ, 2), 1);
    EXPECT_EQ(chunks().back(), "blue.tga");
    EXPECT_EQ(sounds(), std::vector<std::string>{"swish.ogg"});
    EXPECT_TRUE(blocks[2].active);
    EXPECT_EQ(blocks[2].colour, 2);
    EXPECT_FLOAT_EQ(blocks[2].targetPosition.z, blockSize);
}

TEST_F(FieldTest, FloatingTextsFadeGrowAndTakeTheirColours)
{
    struct Row {
        float age;
        bool emphasised;
        float text, shadow, scale;
    };
    const Row rows[] = {
        {0.0f, false, 255.0f, 255.0f, 0.8125f},     // 0.5 + 0.5 x 1250 / 2000
        {250.0f, false, 223.125f, 212.5f, 0.5f},
        {1500.0f, false, 63.75f, 0.0f, 0.5f},       // the shadow is gone at three quarters
        {2000.0f, false, 0.0f, 0.0f, 0.5f},
        {0.0f, true, 255.0f, 255.0f, 0.984375f},    // (0.5 + 0.5 x 1250 / 4000) x 1.5
        {2000.0f, true, 127.5f, 85.0f, 0.75f},
        {4000.0f, true, 0.0f, 0.0f, 0.75f},
    };
    for (const Row& row : rows) {
        Floaty f;
        f.age = row.age;
        f.emphasised = row.emphasised;
        const FloatyLook look = floatyLook(f);
        EXPECT_FLOAT_EQ(look.textAlpha, row.text) << row.age << " " << row.emphasised;
        EXPECT_FLOAT_EQ(look.shadowAlpha, row.shadow) << row.age << " " << row.emphasised;
        EXPECT_FLOAT_EQ(look.scale, row.scale) << row.age << " " << row.emphasised;
        EXPECT_EQ(look.b, 255.0f);
    }
    Floaty f;
    f.age = 1000.0f;
    f.golden = true;
    EXPECT_EQ(floatyLook(f).b, 0.0f);   // yellow
    f.golden = false;
    gameMode = gm::Rush;
    EXPECT_EQ(floatyLook(f).g, 86.0f);  // orange-red in Rush
    multiplierActive = true;
    EXPECT_EQ(floatyLook(f).b, 0.0f);
    EXPECT_FLOAT_EQ(floatyLook(f).scale, 0.625f);
}

// A pass that makes no copy leaves no old frame behind for the next Timewarp or the
// congratulations page to blend.
TEST_F(FieldTest, EveryBlurPassWithoutACopyForgetsTheKeptFrame)
{
    loadTexture("motionblur");
    motionBlur = 1;
    motionBlurSuspended = false;
    auto capturedAfter = [&](float alpha, bool force) {
        motionBlurCaptured = true;
        renderMotionBlur(0.0f, 0.0f, alpha, force);
        return motionBlurCaptured;
    };
    EXPECT_TRUE(capturedAfter(0.5f, true));
    EXPECT_FALSE(capturedAfter(0.0f, true));    // alpha 0
    EXPECT_FALSE(capturedAfter(0.5f, false));   // neither Timewarp nor forced
    timewarpActive = true;
    EXPECT_TRUE(capturedAfter(0.5f, false));
    motionBlurSuspended = true;                 // slow frames switched it off for the run
    EXPECT_FALSE(capturedAfter(0.5f, true));
    motionBlurSuspended = false;
    motionBlur = 0;
    EXPECT_FALSE(capturedAfter(0.5f, true));
    motionBlur = 1;
    timewarpActive = false;

    // The first pass after a break only copies; the next blends the copy over the frame.
    calls.clear();
    motionBlurCaptured = false;
    renderMotionBlur(0.0f, 0.0f, 0.6f, true);
    EXPECT_TRUE(of(DrawOp::QuadUV).empty());
    renderMotionBlur(3.0f, 0.0f, 0.6f, true);
    ASSERT_EQ(of(DrawOp::QuadUV).size(), 1u);
    EXPECT_FLOAT_EQ(of(DrawOp::QuadUV)[0].alpha, 153.0f);
    EXPECT_FLOAT_EQ(of(DrawOp::QuadUV)[0].x, 843.0f);
}

TEST_F(FieldTest, FusionGlowWithoutASnapshotIsDark)
{
    EXPECT_EQ(fusionGlowAlpha(20.0f, 0.0f), 0.0f);
    EXPECT_FLOAT_EQ(fusionGlowAlpha(10.0f, 20.0f), 127.5f);
    // Past the snapshot the value leaves the byte range; the conversion clamps, never wraps.
    EXPECT_EQ(alphaByte(fusionGlowAlpha(30.0f, 10.0f), 1.0f), 255);
}

// Texture streaming against packs made with the pack writer: the state machine, its log lines,
// the rewind, missing names, backdrop take-over, rejected and damaged images, the seek step.
#include "render_test_support.h"

#include "engine/asset_pack.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "engine/memtrack.h"
#include "engine/log.h"
#include "engine/textures.h"

#include <gtest/gtest.h>
#include <random>

namespace {

std::vector<unsigned char> noise(std::size_t bytes, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<unsigned char> out(bytes);
    for (unsigned char& b : out) b = static_cast<unsigned char>(random());
    return out;
}

class TextureStreaming : public ::testing::Test {
protected:
    void SetUp() override
    {
        atlasSize = 2048;  // smaller pages would switch to the reduced images
        smallTextures = 0;
    }
    void TearDown() override
    {
        resetRenderState();
        atlasSize = 4096;
        smallTextures = 0;
    }
};

TEST_F(TextureStreaming, LookupQueuesOnceAndNeverQueuesEmptyNames)
{
    openTestPack("lookup.ass", {{"textures\\a.tga", solidTga(4, 4, 32, 1, 2, 3)}});
    EXPECT_EQ(getTextureIndex("a.tga"), textureNotLoaded);
    EXPECT_EQ(getTextureIndex("a.tga"), textureNotLoaded);
    ASSERT_EQ(textureQueue.size(), 1u);
    EXPECT_EQ(getTextureIndex(""), textureNotLoaded);
    EXPECT_EQ(textureQueue.size(), 1u);
    EXPECT_FALSE(isTextureReady("a.tga"));
}

TEST_F(TextureStreaming, StreamsAFileStepByStepWithTheLogLinesInOrder)
{
    openTestPack("order.ass", {{"textures\\pad.tga", solidTga(8, 8, 24, 0, 0, 0)},
                               {"textures\\a.tga", solidTga(16, 8, 32, 10, 20, 30)},
                               {"textures\\b.tga", solidTga(8, 16, 24, 40, 50, 60)}});
    const int offset = getAssetOffset("textures\\a.tga");
    const int size = getAssetSize("textures\\a.tga");
    getTextureIndex("a.tga");
    getTextureIndex("b.tga");
    std::vector<std::string> log;

    streamFrame(&log);  // start: no seek step in the same frame
    EXPECT_TRUE(textureStream.seeking);
    EXPECT_FALSE(textureStream.seekDone);
    streamAll(&log);
    EXPECT_TRUE(logHasInOrder(log, {"streaming textures\\a.tga", "asset offset " + std::to_string(offset),
                                    "asset size " + std::to_string(size), "starting seek", "seek complete",
                                    "loading headers", "headers loaded", "read finished", "buffering texture",
                                    "glTexImage2D start", "4 channel", "glTexImage2D done", "push back",
                                    "texture complete", "streaming textures\\b.tga", "3 channel",
                                    "texture complete"}));
    ASSERT_EQ(textures.size(), 2u);
    EXPECT_EQ(textures[0].name, "a.tga");
    EXPECT_EQ(textures[0].width, 16.0f);
    EXPECT_EQ(textures[0].height, 8.0f);
    EXPECT_EQ(textures[1].fadeIn, 0.0f);  // finished in the last frame
    EXPECT_EQ(textures[1].name, "b.tga");
    EXPECT_EQ(textures[1].height, 16.0f);
    EXPECT_EQ(getTextureIndex("b.tga"), 1);
    EXPECT_TRUE(isTextureReady("a.tga"));
    EXPECT_FALSE(textureStream.seeking || textureStream.seekDone || textureStream.headerLoaded);
    EXPECT_EQ(textureStream.pixels, nullptr);

    // Fade-in grows with the frame time up to 250 ms and then stops.
    for (int i = 0; i < 30; ++i) streamFrame(nullptr, 10.0f);
    EXPECT_GE(textures[0].fadeIn, 250.0f);
    EXPECT_LT(textures[0].fadeIn, 260.0f);
}

TEST_F(TextureStreaming, AnEarlierFileRewindsTheStream)
{
    openTestPack("rewind.ass", {{"textures\\first.tga", solidTga(4, 4, 24, 1, 1, 1)},
                                {"textures\\second.tga", solidTga(4, 4, 24, 2, 2, 2)}});
    getTextureIndex("second.tga");
    std::vector<std::string> log;
    streamAll(&log);
    EXPECT_EQ(countLines(log, "rewinding seek"), 0);
    getTextureIndex("first.tga");
    streamAll(&log);
    EXPECT_EQ(countLines(log, "rewinding seek"), 1);
    EXPECT_EQ(findTextureIndex("first.tga"), 1);
}

TEST_F(TextureStreaming, MissingNamesWarnOnceCountAsReadyAndLetOthersLoad)
{
    openTestPack("missing.ass", {{"textures\\here.tga", solidTga(4, 4, 24, 1, 1, 1)}});
    getTextureIndex("gone.tga");
    getTextureIndex("here.tga");
    std::vector<std::string> log;
    for (int frame = 0; frame < 200; ++frame) {
        getTextureIndex("gone.tga");  // a screen asks every frame
        streamFrame(&log);
    }
    EXPECT_EQ(countLines(log, "WARNING: texture textures\\gone.tga not found!"), 1);
    EXPECT_EQ(countLines(log, "file failed"), 1);
    EXPECT_GE(findTextureIndex("here.tga"), 0);
    EXPECT_TRUE(textureQueue.empty());
    EXPECT_TRUE(isTextureReady("gone.tga"));
    EXPECT_TRUE(isTextureReady(""));
    EXPECT_EQ(getTextureIndex("gone.tga"), textureNotLoaded);
}

TEST_F(TextureStreaming, SmallTexturesReadTheReducedImages)
{
    openTestPack("small.ass", {{"textures\\a.tga", solidTga(32, 32, 24, 1, 1, 1)},
                               {"textures\\small\\a.tga", solidTga(16, 16, 24, 1, 1, 1)}});
    smallTextures = 1;
    getTextureIndex("a.tga");
    std::vector<std::string> log;
    streamAll(&log);
    EXPECT_EQ(countLines(log, "streaming textures\\small\\a.tga"), 1);
    ASSERT_EQ(textures.size(), 1u);
    EXPECT_EQ(textures[0].width, 16.0f);
}

TEST_F(TextureStreaming, ANewBackdropTakesTheOldRectangleAndLookupsStayRight)
{
    openTestPack("backdrops.ass", {{"textures\\background1.tga", solidTga(64, 32, 24, 1, 1, 1)},
                                   {"textures\\icon.tga", solidTga(8, 8, 24, 2, 2, 2)},
                                   {"textures\\background2.tga", solidTga(64, 32, 24, 3, 3, 3)},
                                   {"textures\\background3.tga", solidTga(128, 64, 24, 4, 4, 4)}});
    getTextureIndex("background1.tga");
    getTextureIndex("icon.tga");
    streamAll();
    ASSERT_EQ(getTextureIndex("icon.tga"), 1);  // now cached at index 1
    const TextureRecord first = textures[0];
    activeChunk = 1;

    getTextureIndex("background2.tga");
    streamAll();
    EXPECT_EQ(findTextureIndex("background1.tga"), textureNotLoaded);
    const int second = findTextureIndex("background2.tga");
    ASSERT_GE(second, 0);
    EXPECT_EQ(textures[second].atlasX, first.atlasX);
    EXPECT_EQ(textures[second].atlasY, first.atlasY);
    EXPECT_EQ(textures[second].atlasPage, first.atlasPage);
    // The removal moved icon.tga to index 0: neither cache may still name index 1.
    EXPECT_EQ(getTextureIndex("icon.tga"), 0);
    EXPECT_EQ(activeChunk, -1);
    EXPECT_EQ(getTextureIndex("background1.tga"), textureNotLoaded);
    EXPECT_EQ(textureQueue.size(), 1u);
    textureQueue.clear();

    // A larger backdrop does not fit the old rectangle: it gets its own, the old one stays.
    getTextureIndex("background3.tga");
    streamAll();
    const int third = findTextureIndex("background3.tga");
    ASSERT_GE(third, 0);
    EXPECT_GE(findTextureIndex("background2.tga"), 0);
    EXPECT_FALSE(textures[third].atlasX == first.atlasX && textures[third].atlasY == first.atlasY);
}

TEST_F(TextureStreaming, RejectedImagesAreDroppedAndTheQueueMoves)
{
    std::vector<unsigned char> rle = solidTga(4, 4, 24, 1, 1, 1);
    rle[2] = 10;
    std::vector<unsigned char> colourMapped = solidTga(4, 4, 24, 1, 1, 1);
    colourMapped[2] = 1;
    // A header promising 65535 x 65535 pixels in a file of a few bytes.
    std::vector<unsigned char> crafted = solidTga(2, 2, 32, 1, 1, 1);
    crafted[12] = crafted[13] = crafted[14] = crafted[15] = 0xff;
    openTestPack("rejects.ass", {{"textures\\sixteen.tga", solidTga(4, 4, 16, 1, 1, 1)},
                                 {"textures\\rle.tga", rle},
                                 {"textures\\mapped.tga", colourMapped},
                                 {"textures\\crafted.tga", crafted},
                                 {"textures\\huge.tga", solidTga(3000, 2, 24, 1, 1, 1)},
                                 {"textures\\fine.tga", solidTga(4, 4, 24, 1, 1, 1)}});
    for (const char* name : {"sixteen.tga", "rle.tga", "mapped.tga", "crafted.tga", "huge.tga", "fine.tga"})
        getTextureIndex(name);
    std::vector<std::string> log;
    testing::internal::CaptureStderr();
    streamAll(&log, 10000);
    const std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(textureQueue.empty());
    EXPECT_EQ(countLines(log, "rejected 16bit file"), 1);
    EXPECT_NE(shown.find("Unable to load file sixteen.tga"), std::string::npos);
    EXPECT_EQ(shown.find("Unable to load file rle.tga"), std::string::npos);
    EXPECT_EQ(countLines(log, "rejected image type 10"), 1);
    EXPECT_EQ(countLines(log, "rejected image type 1"), 1);
    EXPECT_EQ(countLines(log, "rejected damaged file crafted.tga"), 1);
    // Larger than a page of the atlas in use (2048): never placed, no page made for it.
    EXPECT_EQ(countLines(log, "rejected huge.tga: larger than an atlas page"), 1);
    ASSERT_EQ(textures.size(), 1u);
    EXPECT_EQ(textures[0].name, "fine.tga");
    EXPECT_EQ(atlasPages.size(), 1u);
    // Asked for again, a rejected file is not streamed (and its message box not shown) again.
    EXPECT_EQ(getTextureIndex("sixteen.tga"), textureNotLoaded);
    EXPECT_EQ(getTextureIndex("crafted.tga"), textureNotLoaded);
    EXPECT_TRUE(textureQueue.empty());
    EXPECT_TRUE(isTextureReady("sixteen.tga"));
}

TEST_F(TextureStreaming, APackCutShortDropsTheFileAndTheStreamGoesIdle)
{
    openTestPack("short.ass", {{"textures\\early.tga", solidTga(4, 4, 24, 1, 1, 1)},
                               {"textures\\late.tga", makeTga(128, 128, 32, [](int x, int y) {
                                    return TgaPixel{static_cast<unsigned char>(x * 7 + y),
                                                    static_cast<unsigned char>(x ^ y), static_cast<unsigned char>(y),
                                                    255};
                                })}});
    // Cut the compressed file so the last image's pixels end early; the index stays whole.
    std::vector<unsigned char> bytes;
    {
        FILE* f = std::fopen(testPackPath("short.ass").c_str(), "rb");
        ASSERT_NE(f, nullptr);
        int c;
        while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<unsigned char>(c));
        std::fclose(f);
    }
    bytes.resize(bytes.size() - 2000);
    {
        FILE* f = std::fopen(testPackPath("short.ass").c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    closeAssetPack();
    readAssetIndex();
    ASSERT_GE(getAssetOffset("textures\\late.tga"), 0);

    getTextureIndex("late.tga");
    getTextureIndex("early.tga");
    std::vector<std::string> log;
    streamAll(&log);
    EXPECT_EQ(findTextureIndex("late.tga"), textureNotLoaded);
    EXPECT_GE(findTextureIndex("early.tga"), 0);
    EXPECT_EQ(countLines(log, "read failed: late.tga is cut short"), 1);
    EXPECT_EQ(textureStream.pixels, nullptr);
}

TEST_F(TextureStreaming, AHeaderCutShortByThePackEndIsDropped)
{
    // The last file of the pack holds fewer bytes than a Targa header.
    const std::vector<unsigned char> whole = solidTga(4, 4, 24, 1, 1, 1);
    openTestPack("stub.ass", {{"textures\\fine.tga", whole},
                              {"textures\\stub.tga", std::vector<unsigned char>(whole.begin(), whole.begin() + 10)}});
    getTextureIndex("stub.tga");
    getTextureIndex("fine.tga");
    std::vector<std::string> log;
    streamAll(&log);
    EXPECT_EQ(countLines(log, "header read failed"), 1);
    EXPECT_EQ(countLines(log, "headers loaded"), 1);  // fine.tga only
    EXPECT_EQ(findTextureIndex("stub.tga"), textureNotLoaded);
    EXPECT_GE(findTextureIndex("fine.tga"), 0);
    EXPECT_TRUE(isTextureReady("stub.tga"));
    EXPECT_TRUE(textureQueue.empty());
}

// A 23-byte Targa whose header and index entry both claim 2048 x 2048 x 32: the pixel buffer
// follows the bytes that arrive, not the claim. A buffer that cannot be had drops the file
// without marking it broken.
TEST_F(TextureStreaming, TheBytesThereNotTheHeaderSizeThePixelBuffer)
{
    std::vector<unsigned char> forged = solidTga(2, 2, 32, 1, 1, 1);
    forged[12] = forged[14] = 0;
    forged[13] = forged[15] = 8;  // 2048 x 2048
    forged.resize(23);
    openTestPack("forged.ass", {{"textures\\small.tga", solidTga(4, 4, 32, 1, 2, 3)},
                                {"textures\\forged.tga", forged}});
    assetIndex.back().size = 18 + 2048 * 2048 * 4;
    struct RestoreLimit {
        ~RestoreLimit() { trackedBlockLimit = SIZE_MAX; }
    } restore;
    trackedBlockLimit = 4 << 20;  // far below the 16 MiB claimed
    getTextureIndex("forged.tga");
    std::vector<std::string> log;
    streamAll(&log);
    EXPECT_EQ(countLines(log, "read failed: forged.tga is cut short"), 1);
    EXPECT_EQ(textureStream.pixels, nullptr);

    trackedBlockLimit = 16;  // less than the 64 pixel bytes of small.tga
    getTextureIndex("small.tga");
    streamAll(&log);
    EXPECT_EQ(countLines(log, "out of memory reading small.tga"), 1);
    EXPECT_TRUE(textureQueue.empty());
    trackedBlockLimit = SIZE_MAX;
    getTextureIndex("small.tga");
    streamAll(&log);
    EXPECT_GE(findTextureIndex("small.tga"), 0);
}

TEST_F(TextureStreaming, APackReopenedBetweenHeaderAndPixelsStillLoadsTheRightPixels)
{
    if (!openGlWindow(64, 64)) GTEST_SKIP() << "no display";
    struct CloseWindow {
        ~CloseWindow() { closeGlWindow(); }
    } closeWindow;
    openTestPack("reopen.ass", {{"textures\\red.tga", solidTga(8, 8, 24, 255, 0, 0)}});
    getTextureIndex("red.tga");
    for (int frame = 0; frame < 100 && !textureStream.headerLoaded; ++frame) streamFrame(nullptr);
    ASSERT_TRUE(textureStream.headerLoaded);
    // A new window pass closes the pack and reads its index again; the stream now stands
    // right after the index.
    readAssetIndex();
    streamAll();
    const int index = findTextureIndex("red.tga");
    ASSERT_GE(index, 0);

    const int size = atlasPageSizes[textures[index].atlasPage];
    std::vector<unsigned char> page(static_cast<std::size_t>(size) * size * 4);
    glBindTexture(GL_TEXTURE_2D, atlasPages[textures[index].atlasPage]);
    boundAtlasPage = -1;
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, page.data());
    const std::size_t first =
        (static_cast<std::size_t>(textures[index].atlasY) * size + static_cast<std::size_t>(textures[index].atlasX)) * 4;
    EXPECT_EQ(page[first], 255);
    EXPECT_EQ(page[first + 1], 0);
    EXPECT_EQ(page[first + 2], 0);
}

TEST_F(TextureStreaming, ASeekStepReadsItsBytesAndTheStepIsCapped)
{
    // Incompressible padding before the image, so the compressed position shows real reading.
    openTestPack("seek.ass", {{"textures\\pad.tga", noise(3 * maxSeekStep, 7)},
                              {"textures\\far.tga", solidTga(4, 4, 24, 1, 1, 1)}});
    getTextureIndex("far.tga");
    streamFrame(nullptr);  // start
    ASSERT_TRUE(textureStream.seeking);
    const long rawBefore = gzoffset(assetPackFile);
    const long posBefore = gztell(assetPackFile);
    // One read's worth (the seek reads 64 KiB at a time): a busy machine cuts a longer step
    // short at its share of the frame, so its count would depend on the load.
    seekStep = 64 << 10;
    streamFrame(nullptr);
    EXPECT_EQ(gztell(assetPackFile) - posBefore, 64 << 10);
    // zlib only defers a gzseek; this step must have decompressed its bytes (less the up to
    // 16 KiB that zlib had decompressed ahead while the index was read).
    EXPECT_GT(gzoffset(assetPackFile) - rawBefore, 40 << 10);

    seekStep = maxSeekStep;
    while (textureStream.seeking) {
        streamFrame(nullptr);
        EXPECT_LE(seekStep, maxSeekStep);
        EXPECT_GE(seekStep, 1);
    }
    streamAll();
    EXPECT_GE(findTextureIndex("far.tga"), 0);
}

TEST(TextureAlpha, AlphaIsClampedBeforeItBecomesAByte)
{
    EXPECT_EQ(alphaByte(300.0f, 1.0f), 255);
    EXPECT_EQ(alphaByte(-20.0f, 1.0f), 0);
    EXPECT_EQ(alphaByte(200.0f, 0.5f), 100);
    EXPECT_EQ(alphaByte(200.0f, 3.0f), 200);  // fade-in beyond 250 ms is full alpha
    EXPECT_EQ(alphaByte(200.0f, -1.0f), 0);
}

}  // namespace

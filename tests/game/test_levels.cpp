#include "board_fixture.h"

#include <unistd.h>
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>

#include "engine/asset_pack.h"
#include "engine/camera.h"
#include "game/explosion.h"
#include "engine/log.h"
#include "game/game_types.h"
#include "game/level_end.h"
#include "game/levels.h"
#include "game/mass.h"
#include "game/pointing.h"
#include "game/reports.h"
#include "game/scoring.h"
#include "game/states.h"

namespace {

void putInt(std::vector<unsigned char>& out, int32_t v)
{
    unsigned char b[4];
    std::memcpy(b, &v, 4);
    out.insert(out.end(), b, b + 4);
}

void putFloat(std::vector<unsigned char>& out, float v)
{
    unsigned char b[4];
    std::memcpy(b, &v, 4);
    out.insert(out.end(), b, b + 4);
}

std::vector<unsigned char> levelBytes(int32_t count, const std::vector<Vector3>& points)
{
    std::vector<unsigned char> out;
    putInt(out, count);
    for (const Vector3& p : points) {
        putFloat(out, p.x);
        putFloat(out, p.y);
        putFloat(out, p.z);
    }
    return out;
}

int activeBlocks()
{
    int n = 0;
    for (const BlockRecord& b : blocks)
        n += b.active ? 1 : 0;
    return n;
}

bool loggedError()
{
    for (const std::string& line : consoleLines)
        if (line.find("ERROR") != std::string::npos)
            return true;
    return false;
}

} // namespace

class LevelFiles : public BoardTest {
protected:
    std::string savedPath;
    std::vector<AssetIndexEntry> savedIndex;
    std::string packPath;

    void SetUp() override
    {
        BoardTest::SetUp();
        savedPath = assetPackPath;
        savedIndex = assetIndex;
        // ctest runs tests in parallel processes: one pack file per process.
        packPath = ::testing::TempDir() + "levels_test_pack_" + std::to_string(::getpid()) + ".ass";
        gameMode = gm::Casual;
    }
    void TearDown() override
    {
        assetPackPath = savedPath;
        assetIndex = savedIndex;
        std::remove(packPath.c_str());
        gameMode = gm::Overall;
        BoardTest::TearDown();
    }

    // A pack whose content is the given assets back to back, with the index in memory.
    void writePack(const std::vector<std::pair<std::string, std::vector<unsigned char>>>& assets)
    {
        gzFile file = gzopen(packPath.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        assetIndex.clear();
        int offset = 0;
        for (const auto& [name, bytes] : assets) {
            if (!bytes.empty())
                gzwrite(file, bytes.data(), static_cast<unsigned>(bytes.size()));
            AssetIndexEntry e;
            e.name = name;
            e.offset = offset;
            e.size = static_cast<int32_t>(bytes.size());
            assetIndex.push_back(e);
            offset += static_cast<int>(bytes.size());
        }
        gzclose(file);
        assetPackPath = packPath;
    }
};

TEST_F(LevelFiles, AssetNamesFollowTheLevelNumber)
{
    EXPECT_EQ(levelAssetName(0), "levels\\1.blvl");
    EXPECT_EQ(levelAssetName(9), "levels\\10.blvl");
    EXPECT_EQ(levelAssetName(-3), "levels\\2.blvl");
}

TEST_F(LevelFiles, ParseGoodAndDamagedImages)
{
    std::vector<Vector3> out;
    auto good = levelBytes(2, {{0, 0, 0}, {32, 0, 64}});
    EXPECT_EQ(parseLevelFile(good.data(), good.size(), 512, out), LevelFileStatus::Complete);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_FLOAT_EQ(out[1].z, 64.0f);

    // A count far beyond the bytes present reads only what is there.
    auto lying = levelBytes(0x7fffffff, {{0, 0, 0}, {32, 0, 0}});
    lying.push_back(0);   // a partial record
    EXPECT_EQ(parseLevelFile(lying.data(), lying.size(), 512, out), LevelFileStatus::Truncated);
    EXPECT_EQ(out.size(), 2u);

    auto negative = levelBytes(-5, {{0, 0, 0}});
    EXPECT_EQ(parseLevelFile(negative.data(), negative.size(), 512, out), LevelFileStatus::BadCount);
    EXPECT_TRUE(out.empty());

    EXPECT_EQ(parseLevelFile(good.data(), 3, 512, out), LevelFileStatus::Truncated);
    EXPECT_TRUE(out.empty());

    // The free records bound the count too.
    EXPECT_EQ(parseLevelFile(good.data(), good.size(), 1, out), LevelFileStatus::Complete);
    EXPECT_EQ(out.size(), 1u);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    auto bad = levelBytes(3, {{nan, 0, 0}, {0, 32, 0}, {0, 0, -inf}});
    int rejected = 0;
    EXPECT_EQ(parseLevelFile(bad.data(), bad.size(), 512, out, &rejected), LevelFileStatus::Complete);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_FLOAT_EQ(out[0].y, 32.0f);
    EXPECT_EQ(rejected, 2);
}

TEST_F(LevelFiles, BlocksFlyInFromTwentyBlocksOnAHorizontalSide)
{
    std::vector<Vector3> targets;
    for (int i = 0; i < 60; ++i)
        targets.push_back(Vector3(32.0f * (i % 5), 32.0f * (i / 5), 0.0f));
    ASSERT_EQ(placeLevelBlocks(targets), 60);
    for (int i = 0; i < 60; ++i) {
        const BlockRecord& b = blocks[i];
        EXPECT_TRUE(b.active && b.settled && b.landedSoundDone);
        EXPECT_FALSE(b.fused);
        const Vector3 d = b.position - b.targetPosition;
        EXPECT_FLOAT_EQ(d.y, 0.0f);
        EXPECT_FLOAT_EQ(std::fabs(d.x) + std::fabs(d.z), 20.0f * blockSize);
        EXPECT_TRUE(d.x == 0.0f || d.z == 0.0f);
    }
}

TEST_F(LevelFiles, PlacementStopsWhenThePoolIsFull)
{
    for (int i = 0; i < blockCount - 2; ++i)
        blocks[i].active = 1;
    std::vector<Vector3> targets(5, Vector3(0, 0, 0));
    EXPECT_EQ(placeLevelBlocks(targets), 2);
    EXPECT_EQ(activeBlocks(), blockCount);
}

TEST_F(LevelFiles, EachModeStartsFromItsLevel)
{
    writePack({{"levels\\1.blvl", levelBytes(1, {{0, 0, 0}})},
               {"levels\\2.blvl", levelBytes(2, {{0, 0, 0}, {32, 0, 0}})},
               {"levels\\5.blvl", levelBytes(3, {{0, 0, 0}, {32, 0, 0}, {64, 0, 0}})},
               {"levels\\3.blvl", levelBytes(0, {})}});

    gameMode = gm::Casual;
    setScore(77);
    loadLevel(true);
    EXPECT_EQ(levelNumber, 0);
    EXPECT_EQ(activeBlocks(), 1);
    EXPECT_EQ(getScore(), 0);
    EXPECT_EQ(comboLevel, 1);
    EXPECT_EQ(currentBlock, -1);
    EXPECT_FLOAT_EQ(massLimit, 54.0f);
    EXPECT_FLOAT_EQ(massLevel, 5.4f);
    EXPECT_FLOAT_EQ(camera.position.y, -20.0f * blockSize);
    EXPECT_FLOAT_EQ(camera.up.z, 1.0f);

    // The colour carried at the end of the last game is dropped: it may be on no block here.
    cursorColour = 3;
    gameMode = gm::Survival;
    loadLevel(true);
    EXPECT_EQ(cursorColour, -1);
    EXPECT_EQ(levelNumber, 1);
    EXPECT_EQ(activeBlocks(), 2);

    gameMode = gm::Rush;
    loadLevel(true);
    EXPECT_EQ(levelNumber, 4);
    EXPECT_EQ(activeBlocks(), 3);
    EXPECT_EQ(getScore(), 250000);
    EXPECT_EQ(displayedScore, 250000);

    gameMode = gm::Meditation;
    loadLevel(true);
    ASSERT_EQ(activeBlocks(), 1);
    EXPECT_EQ(blocks[0].colour, 6);
    EXPECT_FLOAT_EQ(blocks[0].position.x, 0.0f);
    EXPECT_TRUE(blockAtRest(blocks[0]));

    // A rebuilt Classic board keeps the level number; count 0 gives an empty board.
    gameMode = gm::Normal;
    levelNumber = 2;
    setScore(500);
    loadLevel(false);
    EXPECT_EQ(levelNumber, 2);
    EXPECT_EQ(activeBlocks(), 0);
    EXPECT_EQ(getScore(), 0);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(levelObjectives[i], 5 + 3 * i);
}

// A level start resets only the score report: the highscore request belongs to whoever started
// the game or the next level, the death report to its explosion.
TEST_F(LevelFiles, LevelStartClearsOnlyTheScoreReportFlags)
{
    writePack({{"levels\\1.blvl", levelBytes(0, {})}});
    for (bool newGame : {true, false}) {
        levelNumber = 0;
        scoreRequestSent = scoreReplyReceived = true;
        highscoreRequestSent = highscoreReplyReceived = deathRequestSent = true;
        loadLevel(newGame);
        EXPECT_FALSE(scoreRequestSent || scoreReplyReceived) << newGame;
        EXPECT_TRUE(highscoreRequestSent && highscoreReplyReceived && deathRequestSent) << newGame;
    }
    highscoreRequestSent = highscoreReplyReceived = deathRequestSent = false;
}

TEST_F(LevelFiles, MissingLevelIsLoggedAndPlacesNothing)
{
    writePack({{"levels\\1.blvl", levelBytes(1, {{0, 0, 0}})}});
    consoleLines.clear();
    gameMode = gm::Casual;
    levelNumber = 6;
    loadLevel(false);
    EXPECT_EQ(activeBlocks(), 0);
    EXPECT_TRUE(loggedError());
    EXPECT_TRUE(levelLoadFailed);
    EXPECT_FALSE(loadLevelFile(6));
    levelNumber = 0;
    loadLevel(false);
    EXPECT_FALSE(levelLoadFailed);
}

TEST_F(LevelFiles, DamagedLevelInThePackIsBoundedByItsSize)
{
    // The count claims 1000 blocks, the asset holds two and the next asset's bytes follow it.
    auto damaged = levelBytes(1000, {{0, 0, 0}, {32, 0, 0}});
    writePack({{"levels\\1.blvl", damaged}, {"levels\\2.blvl", levelBytes(1, {{96, 96, 96}})}});
    EXPECT_TRUE(loadLevelFile(0));
    EXPECT_EQ(activeBlocks(), 2);
}

// A level listed in the index whose bytes cannot be read, or whose every block is damaged, leaves
// an empty board; that must count as a failed start, not as a level with nothing left to clear.
TEST_F(LevelFiles, UnreadableOrUnusableLevelFailsTheStart)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    auto promisesThree = levelBytes(3, {});
    auto allBad = levelBytes(2, {{nan, 0, 0}, {0, nan, 0}});
    writePack({{"levels\\1.blvl", levelBytes(0, {})},
               {"levels\\2.blvl", {}},
               {"levels\\3.blvl", promisesThree},
               {"levels\\4.blvl", allBad}});
    // Level 5 points past the end of the stream.
    AssetIndexEntry past;
    past.name = "levels\\5.blvl";
    past.offset = 100000;
    past.size = 16;
    assetIndex.push_back(past);

    EXPECT_TRUE(loadLevelFile(0));   // count 0: a legitimately empty level
    for (int level = 1; level <= 4; ++level) {
        consoleLines.clear();
        EXPECT_FALSE(loadLevelFile(level)) << levelAssetName(level);
        EXPECT_TRUE(loggedError()) << levelAssetName(level);
        EXPECT_EQ(activeBlocks(), 0);
    }
    gameMode = gm::Casual;
    levelNumber = 4;
    loadLevel(false);
    EXPECT_TRUE(levelLoadFailed);
}

TEST_F(LevelFiles, UnreadablePackPlacesNothing)
{
    writePack({{"levels\\1.blvl", levelBytes(1, {{0, 0, 0}})}});
    assetPackPath = packPath + ".missing";
    EXPECT_FALSE(loadLevelFile(0));
    EXPECT_EQ(activeBlocks(), 0);
}

TEST_F(LevelFiles, RealPackLevelsSitOnTheGrid)
{
    const std::string pack = std::string(TS_BINARY_DIR) + "/run/data/assets.ass";
    if (!std::ifstream(pack).good())
        GTEST_SKIP() << "no asset pack at " << pack;
    assetPackPath = pack;
    readAssetIndex();
    closeAssetPack();
    ASSERT_FALSE(assetIndex.empty());
    for (int level = 0; level < 10; ++level) {
        clearBoard();
        ASSERT_TRUE(loadLevelFile(level)) << level;
        int n = 0;
        for (const BlockRecord& b : blocks) {
            if (!b.active)
                continue;
            ++n;
            EXPECT_EQ(std::fmod(b.targetPosition.x, blockSize), 0.0f);
            EXPECT_EQ(std::fmod(b.targetPosition.y, blockSize), 0.0f);
            EXPECT_EQ(std::fmod(b.targetPosition.z, blockSize), 0.0f);
        }
        EXPECT_GT(n, 0) << "level " << level + 1;
    }
}

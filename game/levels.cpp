#include "game/levels.h"

#include <zlib.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/asset_pack.h"
#include "engine/camera.h"
#include "engine/config.h"
#include "engine/log.h"
#include "engine/random.h"
#include "game/blocks.h"
#include "game/effects.h"
#include "game/explosion.h"
#include "game/flood_fill.h"
#include "game/game_types.h"
#include "game/input.h"
#include "game/level_end.h"
#include "game/mass.h"
#include "game/piece_queues.h"
#include "game/play_achievements.h"
#include "game/pointing.h"
#include "game/powerups.h"
#include "game/reports.h"
#include "game/scoring.h"
#include "game/states.h"
#include "game/tuning.h"

int levelNumber = 0;
int levelObjectives[20];
bool levelLoadFailed = false;

namespace {

constexpr std::size_t levelBlockBytes = 12;

int32_t readInt32(const unsigned char* p)
{
    uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    int32_t out;
    std::memcpy(&out, &v, sizeof out);
    return out;
}

float readFloat32(const unsigned char* p)
{
    uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    float out;
    std::memcpy(&out, &v, sizeof out);
    return out;
}

int freeRecords()
{
    int count = 0;
    for (const BlockRecord& b : blocks)
        if (!b.active)
            ++count;
    return count;
}

} // namespace

std::string levelAssetName(int level)
{
    return "levels\\" + std::to_string(std::abs(level + 1)) + ".blvl";
}

LevelFileStatus parseLevelFile(const unsigned char* data, std::size_t length, std::size_t maxBlocks,
                               std::vector<Vector3>& positions, int* rejected)
{
    positions.clear();
    if (rejected)
        *rejected = 0;
    if (length < 4)
        return LevelFileStatus::Truncated;
    const int32_t count = readInt32(data);
    if (count < 0)
        return LevelFileStatus::BadCount;

    const std::size_t present = (length - 4) / levelBlockBytes;
    std::size_t n = static_cast<std::size_t>(count);
    const LevelFileStatus status = n > present ? LevelFileStatus::Truncated : LevelFileStatus::Complete;
    if (n > present)
        n = present;
    if (n > maxBlocks)
        n = maxBlocks;

    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char* p = data + 4 + i * levelBlockBytes;
        Vector3 v(readFloat32(p), readFloat32(p + 4), readFloat32(p + 8));
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) {
            if (rejected)
                ++*rejected;
            continue;
        }
        positions.push_back(v);
    }
    return status;
}

int placeLevelBlocks(const std::vector<Vector3>& positions)
{
    int placed = 0;
    for (const Vector3& target : positions) {
        const int index = newBlock();
        if (index == -1)
            break;
        BlockRecord& b = blocks[index];
        b.targetPosition = target;
        // Sides 1..4 only: a block never flies in from above or below.
        int side;
        do
            side = gameRandom() % 7;
        while (side < 1 || side > 4);
        b.position = target + directionVector(side) * (20.0f * blockSize);
        b.active = 1;
        b.settled = 1;
        b.fused = 0;
        b.landedSoundDone = 1;
        ++placed;
    }
    return placed;
}

bool loadLevelFile(int level)
{
    const std::string name = levelAssetName(level);
    const AssetLocation at = lookUpAsset(name);
    const int offset = at.offset;
    const int size = at.size;
    if (offset < 0 || size < 0) {
        // An empty board would look like a cleared level; say so loudly.
        logMessage("ERROR: level " + name + " is missing from the asset pack; the board stays empty");
        return false;
    }

    gzFile file = gzopen(assetPackPath.c_str(), "rb");
    if (!file) {
        logMessage("ERROR: cannot open " + assetPackPath + " to read " + name);
        return false;
    }
    // Never read more than the pool could take.
    const std::size_t limit = 4 + levelBlockBytes * blockCount;
    const std::size_t wanted = static_cast<std::size_t>(size) < limit ? static_cast<std::size_t>(size) : limit;
    std::vector<unsigned char> data(wanted);
    std::size_t got = 0;
    if (gzseek(file, offset, SEEK_SET) == offset && wanted > 0) {
        const int n = gzread(file, data.data(), static_cast<unsigned>(wanted));
        got = n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    gzclose(file);

    if (got < 4) {
        // Not even the count could be read: the same empty board as a missing level.
        logMessage("ERROR: level " + name + " cannot be read from " + assetPackPath + "; the board stays empty");
        return false;
    }

    std::vector<Vector3> positions;
    int rejected = 0;
    const LevelFileStatus status =
        parseLevelFile(data.data(), got, static_cast<std::size_t>(freeRecords()), positions, &rejected);
    if (status == LevelFileStatus::BadCount) {
        logMessage("ERROR: level " + name + " has a negative block count; the board stays empty");
        return false;
    }
    if (positions.empty() && (status == LevelFileStatus::Truncated || rejected > 0)) {
        // The file promised blocks and none of them is usable.
        logMessage("ERROR: level " + name + " is damaged and holds no usable block; the board stays empty");
        return false;
    }
    if (status == LevelFileStatus::Truncated)
        logMessage("Level " + name + " ends early; placing the blocks read");
    if (rejected > 0)
        logMessage("Level " + name + ": " + std::to_string(rejected) + " blocks with bad coordinates skipped");
    placeLevelBlocks(positions);
    return true;
}

void loadLevel(bool newGame)
{
    colourBiasActive = false;
    actionCount = 0.0f;
    apmTime = 0.0f;

    for (int i = 0; i < blockCount; ++i)
        resetBlock(i);

    for (int i = 0; i < 20; ++i)
        levelObjectives[i] = i * levelObjectiveIncrease + levelObjectiveBase;

    if (newGame) {
        nextShape();
        levelNumber = 0;
    }

    cameraTurnsX.clear();
    cameraTurnsY.clear();
    removalTimes.clear();
    floatys.clear();
    cameraAngles[0] = cameraAngles[1] = 0.0f;
    orbitMomentum = Vector2(0.0f, 0.0f);
    shapesMade = 0;
    blockBonusTotal = 0;
    comboLevel = 1;
    bestCombo = 0;
    blocksLanded = 0;
    setScore(gameMode == gm::Rush ? 250000 : 0);
    displayedScore = getScore();
    gameTime = 0.0f;
    // Only the score report starts over: the highscore request goes out once per game or score-page
    // start (whoever starts it clears its flags), and a death report once per explosion.
    scoreRequestSent = scoreReplyReceived = false;
    redZoneSurvived = false;
    dangerTime = 0.0f;
    for (float& t : powerupNoticeTimers)
        t = 5000.0f;
    multiplierActive = timewarpActive = fusionPulseActive = false;
    levelCompleteTimer = 0.0f;
    deathExplosionActive = false;
    for (float& t : deathExplosionTimers)
        t = 0.0f;
    for (float& t : deathExplosionLateTimers)
        t = 0.0f;
    // The death report's flag is left alone: every explosion clears it as it starts.
    explosionFinished = levelEnding = restartRequested = false;
    meditationGoalReached = false;
    meditationEndTimer = 0.0f;
    endBreakSoundPlayed = false;
    dropCount = 0;
    viewRotateCount = 0;
    for (int i = 0; i < 3; ++i)
        powerupReadyCounts[i] = powerupUseCounts[i] = 0;
    killCount = 0;
    placementsSinceMatch = 0;

    if (gameMode == gm::Survival) {
        survivalCountdownElapsed = 0.0f;
        levelNumber = 1;
        survivalStage = 1;
        survivalSecondTimer = 0.0f;
    }
    if (gameMode == gm::Rush) {
        rushPenaltyTimer = 0.0f;
        rushPenaltyLimit = 10000.0f;
        levelNumber = 4;
    }

    levelLoadFailed = false;
    if (gameMode != gm::Meditation) {
        levelLoadFailed = !loadLevelFile(levelNumber);
    } else {
        const int index = newBlock();
        if (index != -1) {
            BlockRecord& b = blocks[index];
            b.position = Vector3(0.0f, 0.0f, 0.0f);
            b.targetPosition = b.position;
            b.active = 1;
            b.settled = 1;
            b.fused = 0;
            b.landedSoundDone = 1;
            b.colour = 6;
        }
    }

    pendingMass = 0.0f;
    massLimit = 54.0f;
    massLevel = massLimit * 0.1f;
    currentBlock = -1;
    // The last game's colour may be on no block of this board; the field chooses afresh.
    cursorColour = -1;

    camera.set(0.0f, -20.0f * blockSize, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);
}

#include "game/game_types.h"

#include <string>
#include <vector>

#include "engine/config.h"
#include "engine/random.h"
#include "game/blocks.h"
#include "game/effects.h"
#include "game/piece_queues.h"
#include "game/scoring.h"
#include "game/states.h"

int gameMode = gm::Overall;
float rushPenaltyTimer = 0.0f;
float rushPenaltyLimit = 10000.0f;
int pendingSpawns = 0;

namespace {

bool anyBlockLeft()
{
    for (const BlockRecord& b : blocks)
        if (b.active && !b.removing)
            return true;
    return false;
}

} // namespace

void updateRushClock(float dtMs)
{
    if (gameMode != gm::Rush)
        return;
    rushPenaltyTimer += dtMs;
    if (rushPenaltyTimer < 1000.0f || !anyBlockLeft())
        return;
    setScore(getScore() - rushPenalty);
    rushPenaltyTimer = 0.0f;
    displayedScore = getScore();
    // The text shows what was taken.
    spawnFloaty(scoreTextPoint(), "-" + std::to_string(rushPenalty), false, false);
}

bool spawnSurvivalBlock()
{
    // A failed try changes no block, so the blocks to throw beside stay the same for every try.
    std::vector<int> candidates;
    for (int i = 0; i < blockCount; ++i) {
        const BlockRecord& b = blocks[i];
        if (b.active && !b.removing && !b.fused && b.colour != 6 && b.settled &&
            magnitude(b.position) < survivalSpawnReach)
            candidates.push_back(i);
    }
    if (candidates.empty())
        return false;
    for (int attempt = 0; attempt < survivalSpawnTries; ++attempt) {
        const int pick = candidates[gameRandom() % static_cast<int>(candidates.size())];
        const int direction = gameRandom() % 7;
        if (direction == 0)
            continue;
        const Vector3 from = blocks[pick].position;
        const Vector3 target = from + directionVector(direction) * blockSize;
        if (findBlockAt(target.x, target.y, target.z) != -1)
            continue;
        const int index = newBlock();
        // A full pool ends the attempt; the record index must never be -1.
        if (index == -1)
            return false;
        colorQueue[4].colour = colorQueue[3].colour;
        BlockRecord& b = blocks[index];
        b.position = b.previousPosition = from + directionVector(direction) * (20.0f * blockSize);
        b.targetPosition = target;
        b.active = 1;
        b.settled = 0;
        b.colour = drawLadderColour();
        return true;
    }
    return false;
}

void updateSurvivalSpawner()
{
    if (gameMode != gm::Survival)
        return;
    int total = 0;
    for (const BlockRecord& b : blocks)
        if (b.active)
            ++total;
    if (pendingSpawns + total > survivalBlockLimit)
        pendingSpawns = 0;
    bool thrown = false;
    while (pendingSpawns > 0 && pendingSpawns + total < survivalBlockLimit) {
        thrown = spawnSurvivalBlock() || thrown;
        --pendingSpawns;
    }
    // Thrown-in blocks fly to their cells without the landing sound and without counting.
    if (thrown)
        for (BlockRecord& b : blocks)
            b.settled = 1;
}

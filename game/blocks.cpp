#include "game/blocks.h"

#include <cmath>

#include "engine/config.h"
#include "engine/profiler.h"
#include "game/score.h"
#include "game/tuning.h"

BlockRecord blocks[blockCount];
int currentBlock = -1;

int rowPrices[8] = {-1, 0, 0, 0, 0, 0, -1, -1};
float rowCooldowns[8] = {};

Vector3 directionVector(int direction)
{
    switch (direction) {
    case dirMinusX: return Vector3(-1.0f, 0.0f, 0.0f);
    case dirPlusZ: return Vector3(0.0f, 0.0f, 1.0f);
    case dirPlusX: return Vector3(1.0f, 0.0f, 0.0f);
    case dirMinusZ: return Vector3(0.0f, 0.0f, -1.0f);
    case dirPlusY: return Vector3(0.0f, 1.0f, 0.0f);
    case dirMinusY: return Vector3(0.0f, -1.0f, 0.0f);
    default: return Vector3();
    }
}

bool blockAtRest(const BlockRecord& block)
{
    // Exact: the movement snaps a block onto its target.
    return block.position.x == block.targetPosition.x && block.position.y == block.targetPosition.y &&
           block.position.z == block.targetPosition.z;
}

void resetBlock(int index)
{
    if (index < 0 || index >= blockCount)
        return;
    BlockRecord& b = blocks[index];
    b.active = 0;
    b.removing = 0;
    b.position = Vector3(0.0f, 0.0f, (rowCount + 1) * blockSize + 10.0f * blockSize);
    b.previousPosition = b.position;
    b.size = Vector3(blockSize, blockSize, blockSize);
    b.removeTimer = 0.0f;
    b.slot = 4;
    b.settled = 0;
    b.fused = 0;
    b.hidden = 0;
}

static int findBlock(float x, float y, float z, bool skipRemoving)
{
    const float window = blockSize / 8.0f;
    for (int i = 0; i < blockCount; ++i) {
        const BlockRecord& b = blocks[i];
        if (!b.active || b.fused || (skipRemoving && b.removing) || !blockAtRest(b))
            continue;
        if (std::fabs(b.position.x - x) <= window && std::fabs(b.position.y - y) <= window &&
            std::fabs(b.position.z - z) <= window)
            return i;
    }
    return -1;
}

int findBlockAt(float x, float y, float z)
{
    return findBlock(x, y, z, true);
}

int findAnyBlockAt(float x, float y, float z)
{
    return findBlock(x, y, z, false);
}

int getNeighborBlock(int block, int direction)
{
    if (block < 0 || block >= blockCount || direction < 1 || direction > 6)
        return -1;
    Vector3 p = blocks[block].position + directionVector(direction) * blockSize;
    return findBlockAt(p.x, p.y, p.z);
}

int getBlockAtSlot(int slot, int row)
{
    PROFILE_SCOPE("getBlockAtSlot");
    const float centre = row * blockSize - blockSize / 2.0f;
    for (int i = 0; i < blockCount; ++i) {
        const BlockRecord& b = blocks[i];
        if (!b.active || i == currentBlock || b.slot != slot)
            continue;
        if (b.position.z > centre - playerSpeed && b.position.z < centre + playerSpeed)
            return i;
    }
    return -1;
}

void sweepSlots()
{
    for (int row = 0; row < rowCount; ++row)
        for (int slot = 0; slot < columnCount; ++slot)
            getBlockAtSlot(slot, row);
}

void clearPaidRows(int rows)
{
    if (rows < 0 || rows >= 8 || getScore() < rowPrices[rows])
        return;
    setScore(getScore() - rowPrices[rows]);
    rowCooldowns[rows] = static_cast<float>(powerupCooldown);
    for (int row = 1; row <= rows; ++row)
        for (int slot = 0; slot < columnCount; ++slot) {
            int found = getBlockAtSlot(slot, row);
            if (found != -1)
                blocks[found].removing = 1;
        }
}

bool rectsOverlap(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    if (y2 > y3 || y4 > y1)
        return false;
    const float shrinkA = (x2 - x1) * 0.01f;
    const float shrinkB = (x4 - x3) * 0.01f;
    const float aLeft = x1 + shrinkA, aRight = x2 - shrinkA;
    const float bLeft = x3 + shrinkB, bRight = x4 - shrinkB;
    return aLeft <= bRight && bLeft <= aRight;
}

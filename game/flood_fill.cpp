#include "game/flood_fill.h"

#include <algorithm>
#include <cstring>

#include "engine/profiler.h"
#include "game/piece_queues.h"
#include "game/score.h"
#include "game/tuning.h"

uint8_t floodVisited[blockCount];
uint8_t floodMatched[blockCount];
int32_t floodOrder[blockCount];
int floodCount = 0;

FeedbackText feedbackTexts[5];

int shapeMode = 2;
int shapesMade = 0;

namespace {

// One step of a pattern: the new cell is the neighbour of cell `from` (0 the start block) in `direction`.
struct ShapeStep {
    int from;
    int direction;
};

// [mode - 1][pattern - 1][step]; shapes of four use the first three steps.
const ShapeStep shapeSteps[2][17][4] = {
    {
        {{0, 3}, {1, 2}, {2, 1}, {}},
        {{0, 2}, {1, 3}, {1, 2}, {}},
        {{0, 3}, {1, 3}, {1, 2}, {}},
        {{0, 2}, {1, 1}, {1, 2}, {}},
        {{0, 2}, {1, 1}, {1, 3}, {}},
        {{0, 2}, {1, 3}, {2, 2}, {}},
        {{0, 3}, {0, 2}, {2, 1}, {}},
        {{0, 2}, {1, 2}, {2, 3}, {}},
        {{0, 2}, {0, 3}, {2, 3}, {}},
        {{0, 3}, {1, 2}, {2, 2}, {}},
        {{0, 2}, {1, 1}, {2, 1}, {}},
        {{0, 2}, {1, 2}, {2, 1}, {}},
        {{0, 2}, {1, 3}, {2, 3}, {}},
        {{0, 3}, {0, 2}, {2, 2}, {}},
        {{0, 3}, {1, 3}, {2, 2}, {}},
        {{0, 2}, {1, 1}, {2, 2}, {}},
        {{0, 3}, {1, 2}, {2, 3}, {}},
    },
    {
        {{0, 2}, {1, 1}, {1, 2}, {3, 3}},
        {{0, 2}, {1, 3}, {1, 2}, {3, 1}},
        {{0, 3}, {1, 2}, {2, 2}, {3, 2}},
        {{0, 3}, {0, 2}, {2, 2}, {3, 2}},
        {{0, 2}, {1, 1}, {2, 2}, {3, 3}},
        {{0, 2}, {1, 2}, {2, 3}, {3, 4}},
        {{0, 2}, {1, 3}, {2, 2}, {3, 2}},
        {{0, 2}, {1, 1}, {2, 2}, {3, 2}},
        {{0, 2}, {1, 2}, {2, 1}, {2, 3}},
        {{0, 2}, {0, 3}, {2, 3}, {3, 2}},
        {{0, 3}, {1, 3}, {2, 2}, {3, 2}},
        {{0, 3}, {1, 2}, {2, 3}, {3, 2}},
        {{0, 2}, {1, 2}, {1, 1}, {1, 3}},
        {{0, 2}, {1, 2}, {2, 1}, {2, 2}},
        {{0, 2}, {1, 2}, {2, 3}, {2, 2}},
        {{0, 3}, {1, 2}, {2, 2}, {3, 3}},
        {{0, 3}, {0, 2}, {2, 2}, {3, 1}},
    },
};

int shapeStepCount(int mode)
{
    return mode == 1 ? 3 : 4;
}

} // namespace

void resetFloodFill()
{
    floodCount = 0;
    std::memset(floodVisited, 0, sizeof floodVisited);
    std::memset(floodMatched, 0, sizeof floodMatched);
    std::memset(floodOrder, 0, sizeof floodOrder);
}

void recursiveFloodFill(int block, int colour)
{
    if (block < 0 || block >= blockCount || floodVisited[block])
        return;
    floodVisited[block] = 1;
    if (blocks[block].colour != colour)
        return;

    PROFILE_SCOPE("recursiveFloodFill");
    floodMatched[block] = 1;
    floodOrder[block] = floodCount++;
    static const int order[6] = {dirMinusX, dirPlusX, dirPlusZ, dirMinusZ, dirPlusY, dirMinusY};
    for (int direction : order) {
        int next = getNeighborBlock(block, direction);
        if (next != -1)
            recursiveFloodFill(next, colour);
    }
}

int countMatchedBlocks()
{
    int count = 0;
    for (int i = 0; i < blockCount; ++i)
        if (blocks[i].active && floodMatched[i])
            ++count;
    return count;
}

void removeMatchedBlocks()
{
    for (int i = 0; i < blockCount; ++i) {
        if (!floodMatched[i])
            continue;
        blocks[i].removing = 1;
        blocks[i].removeTimer = blocks[i].removeDelay = -(floodOrder[i] * removeStagger);
        blocks[i].groupOrder = floodOrder[i];
    }
}

bool matchShape(int block, int colour, int pattern)
{
    if ((shapeMode != 1 && shapeMode != 2) || pattern < 1 || pattern > 17)
        return false;
    const int steps = shapeStepCount(shapeMode);
    int cells[5] = {block, -1, -1, -1, -1};
    for (int s = 0; s < steps; ++s) {
        const ShapeStep& step = shapeSteps[shapeMode - 1][pattern - 1][s];
        int from = cells[step.from];
        cells[s + 1] = from == -1 ? -1 : getNeighborBlock(from, step.direction);
    }
    const int cellCount = steps + 1;

    for (int i = 0; i < cellCount; ++i)
        if (cells[i] == currentBlock)
            return false;
    for (int i = 0; i < cellCount; ++i)
        if (cells[i] == -1)
            return false;
    for (int i = 0; i < cellCount; ++i)
        if (blocks[cells[i]].colour != colour)
            return false;
    for (int i = 0; i < cellCount; ++i)
        if (blocks[cells[i]].removing)
            return false;

    int highestLevel = 0;
    for (int i = 0; i < cellCount; ++i) {
        blocks[cells[i]].removing = 1;
        highestLevel = std::max(highestLevel, static_cast<int>(blocks[cells[i]].powerupLevel));
    }
    ++shapesMade;
    setScore(getScore() + (shapeMode == 1 ? 100 : formCompletion));
    nextShape();

    if (highestLevel > 0) {
        const int powerupColour = 7 + std::min(highestLevel, 3);
        colorQueue[5].colour = powerupColour;
        // Play keeps no current block; with none, only the queue entry takes the powerup.
        if (currentBlock >= 0 && currentBlock < blockCount)
            blocks[currentBlock].colour = powerupColour;
        if (shapeMode == 1) {
            static const char* const messages[3] = {"Bomb!", "Buster!", "Drill!"};
            showFeedbackText(messages[std::min(highestLevel, 3) - 1]);
        }
    }
    return true;
}

std::vector<Vector2> shapeCells(int pattern, float size)
{
    std::vector<Vector2> cells;
    if ((shapeMode != 1 && shapeMode != 2) || pattern < 1 || pattern > 17)
        return cells;
    const int steps = shapeStepCount(shapeMode);
    cells.push_back(Vector2(0.0f, 0.0f));
    for (int s = 0; s < steps; ++s) {
        const ShapeStep& step = shapeSteps[shapeMode - 1][pattern - 1][s];
        Vector3 d = directionVector(step.direction);
        Vector2 from = cells[step.from];
        cells.push_back(Vector2(from.x + d.x * size, from.y + d.z * size));
    }
    float minX = cells[0].x, maxX = minX, minZ = cells[0].y, maxZ = minZ;
    for (const Vector2& c : cells) {
        minX = std::min(minX, c.x);
        maxX = std::max(maxX, c.x);
        minZ = std::min(minZ, c.y);
        maxZ = std::max(maxZ, c.y);
    }
    const float midX = (minX + maxX) / 2.0f, midZ = (minZ + maxZ) / 2.0f;
    for (Vector2& c : cells) {
        c.x -= midX;
        c.y -= midZ;
    }
    return cells;
}

int colourSetting(int colour)
{
    static const int settings[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    if (colour < 1 || colour > 7)
        return -1;
    return settings[colour];
}

void showFeedbackText(std::string text)
{
    for (FeedbackText& entry : feedbackTexts) {
        if (entry.active)
            continue;
        entry.text = text;
        entry.active = 1;
        entry.timer = 0.0f;
    }
}

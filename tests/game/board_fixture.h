// Shared set-up of the game tests: an empty pool, empty queues and a seeded random source.
#pragma once
#include <gtest/gtest.h>

#include "engine/config.h"
#include "engine/random.h"
#include "game/blocks.h"
#include "game/piece_queues.h"
#include "game/tuning.h"

inline void clearBoard()
{
    for (int i = 0; i < blockCount; ++i) {
        resetBlock(i);
        blocks[i].colour = 0;
        blocks[i].powerupLevel = 0;
        blocks[i].targetPosition = blocks[i].position;
        blocks[i].landedSoundDone = 0;
        blocks[i].groupOrder = 0;
    }
    for (int i = 0; i < queueLength; ++i) {
        colorQueue[i] = BlockRecord();
        shapeQueue[i] = BlockRecord();
    }
    colourBiasActive = false;
    currentBlock = -1;
    seedRandom(1234);
}

// An active block at rest on the cell (cx, cy, cz), in block units.
inline int putBlock(int index, int cx, int cy, int cz, int colour)
{
    BlockRecord& b = blocks[index];
    b.position = Vector3(cx * blockSize, cy * blockSize, cz * blockSize);
    b.targetPosition = b.position;
    b.active = 1;
    b.settled = 1;
    b.landedSoundDone = 1;
    b.colour = colour;
    return index;
}

class BoardTest : public ::testing::Test {
protected:
    void SetUp() override { clearBoard(); }
    void TearDown() override { clearBoard(); }
};

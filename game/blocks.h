// The pool of block records and the point and neighbour queries over it.
#pragma once
#include <cstdint>

#include "engine/vecmath.h"

// One block of the mass; also the entry type of the colour and shape queues.
struct BlockRecord {
    Vector3 position;           // current position; flies towards targetPosition
    Vector3 previousPosition;   // position of the previous frame
    Vector3 size;               // edge lengths; queue entries keep a screen offset in x, y and a pattern in z
    Vector3 targetPosition;     // rest position, a cell point
    int32_t slot = 4;
    int32_t colour = 0;         // 1..7 colours, 8..10 Bomb, Buster, Drill; 0 none
    int32_t powerupLevel = 0;   // 0 none, 1 Bomb, 2 Buster, 3 Drill
    uint8_t active = 0;
    uint8_t removing = 0;
    float removeTimer = 0.0f;   // ms, runs up from a negative start; the block goes at 0
    float removeDelay = 0.0f;   // start value of removeTimer
    uint8_t settled = 0;        // has rested in the mass at least once
    uint8_t fused = 0;          // left out of every neighbour search, moves slowly
    float fusedTime = 0.0f;
    uint8_t hidden = 0;
    int32_t groupOrder = 0;
    uint8_t landedSoundDone = 0;
};

constexpr int blockCount = 512;

// Directions of neighbour steps: 1 -x, 2 +z, 3 +x, 4 -z, 5 +y, 6 -y.
enum { dirMinusX = 1, dirPlusZ = 2, dirPlusX = 3, dirMinusZ = 4, dirPlusY = 5, dirMinusY = 6 };

extern BlockRecord blocks[blockCount];
// The player's current block; stays -1 in play.
extern int currentBlock;

// Price of clearing n rows (entry n), and the cooldown left per row count.
extern int rowPrices[8];
extern float rowCooldowns[8];

// Unit vector of a direction 1..6; zero for any other value.
Vector3 directionVector(int direction);
bool blockAtRest(const BlockRecord& block);

void resetBlock(int index);
// Lowest active, non-removing, non-fused block at rest within blockSize/8 of the point; -1 none.
int findBlockAt(float x, float y, float z);
// As findBlockAt, but a block being removed still counts.
int findAnyBlockAt(float x, float y, float z);
int getNeighborBlock(int block, int direction);
int getBlockAtSlot(int slot, int row);

// Slot-grid operations the game's update does not call.
void sweepSlots();
void clearPaidRows(int rows);
bool rectsOverlap(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);

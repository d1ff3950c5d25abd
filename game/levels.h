// Level start and the ".blvl" level files of the pack.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "engine/vecmath.h"

extern int levelNumber;            // counted from 0
extern int levelObjectives[20];
// The last level start could not read its level file (missing or unreadable): its empty board is
// a failure, not a cleared level.
extern bool levelLoadFailed;

// "levels\N.blvl" with N = |levelNumber + 1|.
std::string levelAssetName(int level);

// How a level file read ended.
enum class LevelFileStatus {
    Complete,      // every block the count promised was read
    Truncated,     // the data ended before the count's blocks (the blocks read are kept)
    BadCount,      // a negative count: nothing is placed
};

// Parses a level file image into rest positions. The count is bounded by the bytes present and
// by maxBlocks; blocks with a non-finite coordinate are dropped.
LevelFileStatus parseLevelFile(const unsigned char* data, std::size_t length, std::size_t maxBlocks,
                               std::vector<Vector3>& positions, int* rejected = nullptr);
// Places level blocks at these rest positions, each flying in from 20 block sizes away on a
// random horizontal side. Stops when the pool is full; returns the number placed.
int placeLevelBlocks(const std::vector<Vector3>& positions);
// Reads the level's file from the pack and places its blocks; false when the level is missing,
// unreadable or so damaged that no block of it is usable (logged).
bool loadLevelFile(int level);

// Sets up the board: resets the rules' state and builds the starting mass.
void loadLevel(bool newGame);

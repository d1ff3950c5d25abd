// Group search, staggered removal, shape matching and the feedback messages it fills.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/vecmath.h"
#include "game/blocks.h"

// Marks of the current search, one entry per block record.
extern uint8_t floodVisited[blockCount];
extern uint8_t floodMatched[blockCount];
extern int32_t floodOrder[blockCount];
extern int floodCount;

// Delay between the removals of two successive group members (ms).
inline constexpr float removeStagger = 130.0f;

struct FeedbackText {
    std::string text;
    float timer = 0.0f;   // ms shown
    uint8_t active = 0;
};
extern FeedbackText feedbackTexts[5];

extern int shapeMode;     // 1 shapes of four blocks, 2 shapes of five
extern int shapesMade;    // shapes completed in the level

void resetFloodFill();
// Marks the group of `colour` connected to `block` (depth first: -x, +x, +z, -z, +y, -y).
void recursiveFloodFill(int block, int colour);
int countMatchedBlocks();
// Every matched block starts its removal, floodOrder x removeStagger ms after the first.
void removeMatchedBlocks();

// Recognises pattern 1..17 of the current shapeMode starting at `block`; on a match the shape's
// blocks go, the shape queue advances and a block powerup is handed out.
bool matchShape(int block, int colour, int pattern);
// Cell centres of a pattern in the x-z plane (x, z), centred on the shape.
std::vector<Vector2> shapeCells(int pattern, float size);
int colourSetting(int colour);
// Writes the text into every free message entry.
void showFeedbackText(std::string text);

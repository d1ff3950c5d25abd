// The colour and shape queues, and the allocation of block records.
#pragma once

#include "game/blocks.h"

constexpr int queueLength = 9;

// Entry 4 is where each new colour enters; entries 0..3 hold the earlier ones, oldest first.
extern BlockRecord colorQueue[queueLength];
// Entry 8 is where each new shape enters; colour is the shape's colour, size.z its pattern 1..17.
extern BlockRecord shapeQueue[queueLength];
// Set on every frame of play: blocks entering during play take the mass's most common colour.
extern bool colourBiasActive;

// A colour from the colour ladder (1..5 and 7; never 6).
int drawLadderColour();
// A shape pattern 1..17 from the pattern ladder.
int drawLadderPattern();

// Takes the lowest free record, resets it and gives it the colour and powerup level of entry 4
// of the colour queue; -1, with nothing changed, when all 512 records are in use.
int newBlock();
// Advances the shape queue (filling it when its head is empty).
void nextShape();

// Pointing at block faces, the hover timer, block movement, overlaps, landing and the set-down.
#pragma once

#include "engine/vecmath.h"
#include "game/blocks.h"

extern int pickedBlock;            // block under the pointer, -1 none
extern int pickedFace;             // its face (direction 1..6), -1 none
extern float hoverTimer;           // ms the pointer has rested on the picked face
inline constexpr float hoverDelay = 250.0f;
extern float markerAlpha;          // placement marker opacity 0..255
extern int blocksLanded;           // player blocks landed in this game
extern int cursorColour;           // colour the pointer carries, -1 none (chosen by the field drawing)
extern int previousCursorColour;   // colour of the last block set down, -1 before the first
extern Vector2 dropScreenPoint;    // pointer position of the last set-down

// The four corners of one face of a block, blockSize/2 from its centre.
void blockFaceQuad(Vector3 centre, int face, Vector3 quad[4]);
// Picks the face under the current pointer ray (mouseRayNear..mouseRayFar): the hit nearest to `eye`.
void pickBlockFace(Vector3 eye);
// Reads the GL matrices and the pointer ray, then picks from the camera's eye.
void updatePointing();
void updateHover(float dtMs);
void moveBlocks(float dtMs);
// A block at rest on a cell already held by a lower-index block leaves the pool.
void resolveOverlaps();
// Newly placed blocks that came to rest clunk once and count as landed.
void landBlocks();
void resetFarBlocks();
// The per-frame block steps of play after pointing: hover, movement, overlaps, landing, far blocks.
void updateBlockPlay(float dtMs);

// After this many placements without a removal the carried colour becomes a hint.
inline constexpr int hintPlacements = 5;
// Chooses the colour the pointer carries while it has none (or, early on, while its colour has left
// the board): early on one of the two most common colours, later a hint drawn from the board's
// colours, in Meditation any colour but grey. Called by the block drawing each frame.
void chooseCarriedColour();
// Sets the carried colour down on the picked face when the drop gesture and the hover allow it.
// Called by the block drawing; true when a block was placed.
bool trySetDown();

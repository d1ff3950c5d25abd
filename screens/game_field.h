// The game page: the mass of blocks with the placement preview, the particle bursts, the floating
// texts, the motion-blur trail, the game-over flash and the heads-up display.
#pragma once
#include <string>

struct Floaty;

extern bool motionBlurCaptured;   // the "motionblur" chunk holds an earlier frame

void renderGame();
// Every visible block, then the carried colour's choice, its preview and the set-down.
void renderBlocks();
void renderParticleSystems();
void renderFloatys();
// Blends the kept frame over this one (moved by the offsets) and keeps the result: a trail of
// strength alpha (0..1). Runs only while Timewarp runs or when forced.
void renderMotionBlur(float offsetX, float offsetY, float alpha, bool force);

// Tiles and effects that no page draws.
void renderBlockTile(float x, float y, float height, float size, float alpha, int colour);
void renderPowerupTile(float x, float y, float height, float size, float alpha, int kind);
void renderNukeBlocks();

// The face texture of a block colour: the plain or highlight image of 1..7, the Bomb, Buster and
// Drill images for 8..10; "" for any other colour.
std::string blockFaceTexture(int colour, bool highlight);

// The Fusion Pulse glow's alpha: 255 x the mass over its level when the pulse began.
float fusionGlowAlpha(float level, float snapshot);

// How a floating text looks at its age.
struct FloatyLook {
    float textAlpha = 0.0f, shadowAlpha = 0.0f;
    float scale = 0.0f;
    float r = 255.0f, g = 255.0f, b = 255.0f;
};
FloatyLook floatyLook(const Floaty& floaty);

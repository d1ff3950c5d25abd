// The frame's elements around the page: the backdrop image with the 3D starfield, the screen fade
// and the pointer.
#pragma once
#include <string>

#include "engine/vecmath.h"

struct Star;

// The backdrop image inside the frame's first 2D projection, which it pops; then the camera again
// and the stars.
void renderBackground();
void renderStarfield();
// The black quad of the fade; clamps fadeLevel to 0..fadeDuration first.
void renderFadeIn();
// The pointer, coloured by the carried colour in play.
void renderCursor();

// Where a star is drawn: its height becomes depth along the view from the eye, its x and z the
// sideways and upward offsets, each clamped to the field.
Vector3 starPoint(const Star& star, Vector3 eye, Vector3 up);
// A star fades in over its first second: 0..255.
float starAlpha(float ageMs);
// Clamps fadeLevel (written back) and gives the fade quad's alpha, 0 when fully faded in.
float fadeQuadAlpha();
// The pointer's texture for the current state and carried colour.
std::string cursorTexture();

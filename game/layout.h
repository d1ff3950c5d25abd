// Screen rectangles that the game hit-tests and the screens draw, in window pixels (y downwards).
#pragma once

struct ScreenRect {
    float left = 0.0f, top = 0.0f, right = 0.0f, bottom = 0.0f;
};

// The card of a powerup (0 Multiplier, 1 Timewarp, 2 Fusion Pulse) at the bottom left of play:
// squares of a twentieth of the screen width.
ScreenRect powerupCardRect(int kind);
// The pointer lies strictly inside the rectangle; an edge is outside.
bool pointerInside(const ScreenRect& rect);

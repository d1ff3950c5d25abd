// Screen rectangles that the game hit-tests and the screens draw, in window pixels (y downwards).
// (The engine's ScreenRect is whole pixels; these boxes keep their fractions so the strict
// hit tests match the drawn highlights exactly.)
#pragma once

struct LayoutRect {
    float left = 0.0f, top = 0.0f, right = 0.0f, bottom = 0.0f;
};

// The box of size w x h centred on (cx, cy).
LayoutRect centredRect(float cx, float cy, float w, float h);

// The card of a powerup (0 Multiplier, 1 Timewarp, 2 Fusion Pulse) at the bottom left of play:
// squares of a twentieth of the screen width.
LayoutRect powerupCardRect(int kind);

// The pause popup's buttons. Its window is 0.6 x 0.3 of the screen height, centred.
// Pause menu: 1 "Resume", 2 "Restart", 3 "Options", 4 "Quit", one above the other.
LayoutRect pauseMenuButtonRect(int button);
// The tutorial-reset question: 1 "Yes" at the window's left, 2 "No" at its right.
LayoutRect resetPromptButtonRect(int button);
// The server-wait popup while it waits or after the reply: its one button ("Continue in offline
// mode", then "Resume").
LayoutRect serverWaitButtonRect();
// Its go-offline confirmation: 1 "Back" at the window's left, 2 "Continue" at its right.
LayoutRect offlineConfirmButtonRect(int button);

// The score page's buttons on one row: 1 "Retry" left, 2 "Continue" centre, 3 "Quit" right.
LayoutRect scorePageButtonRect(int button);

// The achievements page's buttons: 1 the left arrow, 2 the right arrow (0.05 x H squares at the
// sides), 7 "Back" (a menu bar under the bottom row); an empty box for any other number.
LayoutRect achievementsButtonRect(int button);

// The pointer lies strictly inside the rectangle; an edge is outside.
bool pointerInside(const LayoutRect& rect);

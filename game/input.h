// Keyboard and mouse handlers called by the window procedure, and the input globals they write.
// The pointer position itself is the window's (engine/window.h).
#pragma once
#include "engine/vecmath.h"
#include <string>

extern bool leftButtonDown;
extern bool rotateDragActive;
extern float mouseHoldTime;           // ms the button has been held
extern int leftHoldTime;              // ms, second hold timer of the left button
extern int rotateDragTime;            // ms, age of the current rotate drag
extern const int quickClickLimit;     // 200 ms
extern const int rotateDragLimit;     // 100 ms
extern Vector2 dragStart;
extern float actionCount;
extern int viewRotateCount;
extern bool consoleVisible;
extern std::string consoleInput;

// Whether the pointer turns the view (the camera's mouse look): the left button held in mouse
// schemes 0 and 2, the rotate drag in scheme 1.
bool viewDragging();

// A key's state, polled by the game's update: bit 0x8000 set while held (the value is then
// negative), bit 1 its toggle state (Caps Lock on). virtualKey 0..255, else 0.
short getKeyState(int virtualKey);
// Where getKeyState reads from: the platform's key states; tests hold keys down through it.
extern short (*keyStateReader)(int virtualKey);

// key: a virtual-key code (0..255; 'A'..'Z', '0'..'9', 8 Backspace, 13 Return, 27 Escape, 0xC0 backquote).
// Types into the console while it is open, else into the text field of the login or new-profile
// step shown; Left Ctrl + backquote opens and closes the console. A field that refused a
// character takes none until its text changes otherwise.
void handleKeyDown(int key);
// Whether a text field takes this text, in the form it shows it (a star a character for a
// password): the test every typed character passes. The e-mail field takes up to 254 characters,
// shown by their tail when they outgrow its box; the others take what fits their box. False where
// the step has no field.
bool fieldTextFits(int state, int popup, const std::string& shown);
// In play, on the score page and on the congratulations page a press only starts a hold (or a
// drag); on every other page it is the page's click.
void handleLeftButtonDown();
void handleLeftButtonUp();
void handleRightButtonDown();
void handleRightButtonUp();

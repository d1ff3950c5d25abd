#include "game/input.h"

#include "platform/messages.h"

int mouseX = 0, mouseY = 0;
bool leftButtonDown = false;
bool rotateDragActive = false;
float mouseHoldTime = 0.0f;
int leftHoldTime = 0;
int rotateDragTime = 0;
const int quickClickLimit = 200;
const int rotateDragLimit = 100;
Vector2 dragStart(0, 0);
float actionCount = 0.0f;
int viewRotateCount = 0;
bool consoleVisible = false;
std::string consoleInput;

short getKeyState(int virtualKey)
{
    return platformGetKeyState(virtualKey);
}

void handleMouseMove(int x, int y)
{
    mouseX = x;
    mouseY = y;
}

// Placeholders until the input handlers are written: the button flags follow the buttons so the
// camera's mouse look works; keys, text fields, click dispatch and action counting come later.
void handleKeyDown(int) {}
void handleLeftButtonDown() { leftButtonDown = true; }
void handleLeftButtonUp() { leftButtonDown = false; }
void handleRightButtonDown() { rotateDragActive = true; }
void handleRightButtonUp() { rotateDragActive = false; }

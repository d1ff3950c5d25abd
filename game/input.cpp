#include "game/input.h"

#include "engine/config.h"
#include "platform/messages.h"

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

bool viewDragging()
{
    return ((mouseFlip == 0 || mouseFlip == 2) && leftButtonDown) || (mouseFlip == 1 && rotateDragActive);
}

// Placeholders until the input handlers are written: the button flags follow the buttons so the
// camera's mouse look works; keys, text fields, click dispatch and action counting come later.
void handleKeyDown(int) {}
void handleLeftButtonDown() { leftButtonDown = true; }
void handleLeftButtonUp() { leftButtonDown = false; }
void handleRightButtonDown() { rotateDragActive = true; }
void handleRightButtonUp() { rotateDragActive = false; }

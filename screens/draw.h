// Frame composition: the entry the main loop calls once a frame, and the page of each state.
#pragma once

// Clears, applies the camera, draws the backdrop and starfield, the page of the game state, the
// pause popup, the pointer, the fade and the developer overlays; the projection stack is left as
// it was found.
void Draw();

// The page that draws a game state (a transition state is drawn by the page it leaves).
struct PageEntry {
    const char* name;
    void (*draw)();
};
// Null for a state of no page.
const PageEntry* pageFor(int state);
// The intro and credits states: no backdrop, starfield or pointer.
bool isBackdropLessState(int state);
// The states renderGame draws, which push their own 2D projection after the 3D field.
bool isFieldState(int state);

// The window system: display modes, the game window and its OpenGL context, cursor, icon, focus.
// One game window at a time; handles are opaque to the rest of the program.
#pragma once
#include <string>
#include <vector>

struct PlatformDisplayMode {
    int width = 0, height = 0, bitsPerPixel = 0, refreshRate = 0;
};

// The pixel format asked of the window system.
struct PlatformPixelFormat {
    int colorBits = 24;
    int alphaBits = 1;
    int depthBits = 16;
    int stencilBits = 0;
    bool doubleBuffer = true;
    int samples = 0;          // multisample count, 0 for none
};

// Starts the video side of the window system (idempotent); false when there is no display.
// From then on an X error on a game window, or its destruction by another client, never ends
// the program on the spot: platformTakeWindowLoss answers it. A lost connection to the display
// is reported and ends the program with status 1 at once, since nothing can be drawn or closed.
bool platformVideoStart();
// The end of the program's use of video (the windows are gone by then).
void platformVideoStop();

// The modes of the first display in the window system's order, and its desktop size.
std::vector<PlatformDisplayMode> platformDisplayModes();
bool platformDesktopSize(int& width, int& height);

// Chooses the full-screen mode for the next window; false when the display has no such mode.
bool platformSetFullscreenMode(int width, int height, int bitsPerPixel);
// Forgets the chosen mode: the desktop mode returns when the full-screen window goes.
void platformRestoreDesktopMode();

// A hidden window with an OpenGL surface of the given format; null on failure (the reason is logged
// to stderr). decorated: a title bar with close and minimise; fullscreen: in the chosen mode.
void* platformOpenWindow(const std::string& title, int x, int y, int width, int height, bool fullscreen,
                         const PlatformPixelFormat& format);
void platformCloseWindow(void* window);
// A compatibility-profile (1.x) context for the window, made current; null on failure.
void* platformCreateContext(void* window);
bool platformMakeCurrent(void* window, void* context);
void platformDeleteContext(void* context);
// Whether the window system offers a surface of this format (tried on a hidden 1x1 window).
bool platformFormatAvailable(const PlatformPixelFormat& format);
// The multisample count of the current context's surface.
int platformContextSamples();
// The window system's own extension list (GLX on X11), empty when there is none.
std::string platformWindowSystemExtensions();
// True when the window system took the swap interval (0 off, 1 wait for the vertical retrace).
bool platformSetSwapInterval(int interval);
bool platformSwapIntervalAvailable();

void platformShowWindow(void* window);
void platformMinimizeWindow(void* window);
// The window that has the keyboard focus, or null.
void* platformActiveWindow();
void platformShowCursor(bool visible);
// Puts the game's own 64x64 icon on the window.
void platformSetWindowIcon(void* window);
void platformSwapBuffers(void* window);

// Where the window system's failures are told (the game's log; stderr until one is given).
void platformSetWindowSystemReport(void (*report)(std::string line));
// True once after an open game window was destroyed under the game or had an X error, reported
// by then; the message pump turns it into a WM_CLOSE.
bool platformTakeWindowLoss();

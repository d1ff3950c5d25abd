// The game window: creation with its OpenGL context (full-screen mode switch, two-pass multisample
// set-up, extension set-up), destruction, the projection that follows its size, and the window's
// own share of its messages: size, key flags and the pointer position.
#pragma once
#include <cstdint>
#include <string>

struct ApplicationInfo {
    std::string className;   // "TS"
};

struct GameWindow {
    std::uint32_t* keys = nullptr;   // 256 key-held flags owned by the caller; cleared at creation
    void* hWnd = nullptr;            // the platform window, null when there is none
    void* hRC = nullptr;             // its GL context, null when there is none
    ApplicationInfo* application = nullptr;
    std::string title;
    int width = 0, height = 0;       // requested client size
    int bitsPerPixel = 0;
    bool isFullScreen = false;
    bool isVisible = false;          // false while minimised
    std::uint64_t lastTickCount = 0; // counter reading when the window was created
};

// A fresh record for the game window: title "Tessarine", the given client size, 32 bits per pixel,
// full screen as asked; keys points at the caller's 256 key flags.
GameWindow makeGameWindow(ApplicationInfo* application, std::uint32_t* keys, int width, int height,
                          bool isFullScreen);

// The game window (compared with the active window by the main loop's focus test).
extern void* mainWindow;
// The pointer in client coordinates, origin top left, as the last pointer move left it.
extern int mouseX, mouseY;
extern bool multisampleSupported;
extern int multisampleFormat;        // the sample count of the multisampled format found

// Fills displayModes with the display's sizes in the window system's order (start-up, once).
void buildDisplayModeList();
bool registerWindowClass(ApplicationInfo* application);
void unregisterWindowClass(ApplicationInfo* application);
bool createWindow(GameWindow* window);
bool destroyWindow(GameWindow* window);
bool changeDisplayMode(int width, int height, int bitsPerPixel);
// Viewport and projection for a client area of this size: 45 degrees high, near 32, far 2000.
void resizeView(int width, int height);
bool initMultisample(GameWindow* window);

// The window's own share of one message (platform/messages.h has the codes): minimise and restore,
// the key flags, the pointer position. The game's share is the app's window procedure.
long handleWindowMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

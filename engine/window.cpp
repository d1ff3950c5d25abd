#include "engine/window.h"

#include "engine/atlas.h"
#include "engine/config.h"
#include "engine/console.h"
#include "engine/draw2d.h"
#include "engine/gl_extensions.h"
#include "engine/log.h"
#include "platform/messages.h"
#include "platform/system.h"
#include "platform/video.h"

#include <GL/glu.h>
#include <cstdlib>
#include <cstring>

void* mainWindow = nullptr;
int mouseX = 0, mouseY = 0;
bool multisampleSupported = false;
int multisampleFormat = 0;

// The record of the window that exists, for the window procedure.
static GameWindow* windowRecord = nullptr;

void buildDisplayModeList()
{
    // Runs of one size (other depths and rates) collapse into one entry; order is kept.
    for (const PlatformDisplayMode& mode : platformDisplayModes()) {
        Vector2 size(float(mode.width), float(mode.height));
        if (!displayModes.empty() && displayModes.back().x == size.x && displayModes.back().y == size.y)
            continue;
        displayModes.push_back(size);
    }
}

bool registerWindowClass(ApplicationInfo*)
{
    // The window system takes the place of the class: without it no window can exist.
    if (!platformVideoStart()) {
        platformMessageBox("RegisterClassEx Failed!", "Error");
        return false;
    }
    return true;
}

void unregisterWindowClass(ApplicationInfo*)
{
    platformVideoStop();
}

static void releaseWindow(GameWindow* window)
{
    if (window->hRC) {
        platformMakeCurrent(window->hWnd, nullptr);
        platformDeleteContext(window->hRC);
        window->hRC = nullptr;
    }
    if (window->hWnd) {
        platformCloseWindow(window->hWnd);
        window->hWnd = nullptr;
    }
    if (mainWindow && windowRecord == window)
        mainWindow = nullptr;
}

bool createWindow(GameWindow* window)
{
    logMessage("Creating window");

    PlatformPixelFormat format;
    format.colorBits = window->bitsPerPixel >= 24 ? 24 : window->bitsPerPixel;
    format.alphaBits = 1;
    format.depthBits = 16;
    format.stencilBits = 0;
    format.doubleBuffer = true;

    int desktopWidth = window->width, desktopHeight = window->height;
    platformDesktopSize(desktopWidth, desktopHeight);
    int x = desktopWidth / 2 - window->width / 2;
    int y = desktopHeight / 2 - window->height / 2;

    logMessage("Resolution " + std::to_string(std::abs(window->width)) + "x" +
               std::to_string(std::abs(window->height)));

    if (fullscreen == 0)
        window->isFullScreen = false;
    if (window->isFullScreen && !changeDisplayMode(window->width, window->height, window->bitsPerPixel)) {
        platformMessageBox("Mode Switch Failed.\nRunning In Windowed Mode.", "Error");
        window->isFullScreen = false;
    }
    if (window->isFullScreen)
        x = y = 0;

    format.samples = multisampleSupported ? multisampleFormat : 0;
    window->hWnd = platformOpenWindow(window->title, x, y, window->width, window->height, window->isFullScreen,
                                      format);
    if (!window->hWnd) {
        // Nothing shows the chosen mode any more.
        if (window->isFullScreen)
            platformRestoreDesktopMode();
        return false;
    }
    windowRecord = window;
    platformSetWindowIcon(window->hWnd);
    mainWindow = window->hWnd;

    if (!multisampleSupported)
        logMessage("Setting up antialiasing query pass");
    else
        logMessage("Setting up antialiasing at " + std::to_string(AAlevel) + "x");

    window->hRC = platformCreateContext(window->hWnd);
    if (!window->hRC || !platformMakeCurrent(window->hWnd, window->hRC)) {
        releaseWindow(window);
        if (window->isFullScreen)
            platformRestoreDesktopMode();
        return false;
    }

    // The query pass reads the renderer: a first run on a software rasteriser asks for no
    // multisampling, so no second window is made.
    if (!multisampleSupported) {
        const GLubyte* renderer = glGetString(GL_RENDERER);
        if (renderer && chooseVisualQualityForRenderer(reinterpret_cast<const char*>(renderer)))
            logMessage(visualQualityNote);
    }
    if (!multisampleSupported && initMultisample(window)) {
        destroyWindow(window);
        return createWindow(window);
    }

    setupExtensions();
    fitAtlasToTextureLimit(maxTextureSize);

    if (!(vboSupported && bgraSupported && swapControlSupported && smallTextures == 0))
        platformMessageBox("Your OpenGL version appears to be out of date. If you have issues running the game, "
                           "please update your graphics drivers.",
                           "Warning");

    platformShowCursor(false);
    platformShowWindow(window->hWnd);
    window->isVisible = true;
    resizeView(window->width, window->height);
    if (window->keys)
        std::memset(window->keys, 0, 256 * sizeof(window->keys[0]));
    window->lastTickCount = platformCounter();
    return true;
}

bool destroyWindow(GameWindow* window)
{
    if (window->hWnd)
        releaseWindow(window);
    if (window->isFullScreen)
        platformRestoreDesktopMode();
    if (windowRecord == window)
        windowRecord = nullptr;
    return true;
}

bool changeDisplayMode(int width, int height, int bitsPerPixel)
{
    return platformSetFullscreenMode(width, height, bitsPerPixel);
}

void resizeView(int width, int height)
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A zero height (a window squeezed to nothing) must not make the aspect infinite.
    gluPerspective(45.0, double(width) / double(height > 0 ? height : 1), 32.0, 2000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

bool initMultisample(GameWindow*)
{
    if (!isWglExtensionSupported("GLX_ARB_multisample") && !isExtensionSupported("GL_ARB_multisample")) {
        multisampleSupported = false;
        return false;
    }
    PlatformPixelFormat format;
    format.colorBits = 24;
    format.alphaBits = 8;
    format.depthBits = 16;
    format.stencilBits = 0;
    format.doubleBuffer = true;
    for (int samples = 16; samples >= 2; samples /= 2) {
        if (AAlevel < samples)
            continue;
        format.samples = samples;
        if (platformFormatAvailable(format)) {
            multisampleSupported = true;
            multisampleFormat = samples;
            return true;
        }
        if (AAlevel > 2)
            AAlevel /= 2;
    }
    return multisampleSupported;
}

long handleWindowMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)
{
    switch (message) {
    case WM_SIZE:
        if (wParam == SIZE_MINIMIZED) {
            if (windowRecord)
                windowRecord->isVisible = false;
            return 0;
        }
        if (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED) {
            if (windowRecord)
                windowRecord->isVisible = true;
            if (windowRecord && windowRecord->hRC)
                resizeView(int(loWord(std::uintptr_t(lParam))), int(hiWord(std::uintptr_t(lParam))));
            return 0;
        }
        return 0;
    case WM_KEYUP:
        if (wParam < 256 && windowRecord && windowRecord->keys)
            windowRecord->keys[wParam] = 0;
        return 0;
    case WM_MOUSEMOVE:
        mouseX = int(loWord(std::uintptr_t(lParam)));
        mouseY = int(hiWord(std::uintptr_t(lParam)));
        return 0;
    default:
        return 0;
    }
}

GameWindow makeGameWindow(ApplicationInfo* application, std::uint32_t* keys, int width, int height,
                          bool isFullScreen)
{
    GameWindow window;
    window.keys = keys;
    window.application = application;
    window.title = "Tessarine";
    window.width = width;
    window.height = height;
    window.bitsPerPixel = 32;
    window.isFullScreen = isFullScreen;
    return window;
}

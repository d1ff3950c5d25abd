#include "engine/config.h"
#include "engine/gl_extensions.h"
#include "engine/log.h"
#include "engine/window.h"
#include "platform/messages.h"
#include "platform/system.h"
#include "platform/video.h"
#include "game_window_fixture.h"

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

// Last: the X11 headers it brings define None, Bool and Status.
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <dlfcn.h>

namespace {

// Feeds one message to the window's own share of the window procedure.
long send(unsigned message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0)
{
    return handleWindowMessage(message, wParam, lParam);
}

TEST(WindowMessages, PointerMoveIsKept)
{
    send(WM_MOUSEMOVE, 0, makeLParam(640, 480));
    EXPECT_EQ(mouseX, 640);
    EXPECT_EQ(mouseY, 480);
    send(WM_MOUSEMOVE, 0, makeLParam(0, 65535));
    EXPECT_EQ(mouseX, 0);
    EXPECT_EQ(mouseY, 65535);   // the position travels as two unsigned 16-bit words
}

bool haveDisplay()
{
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

class WindowTest : public ::testing::Test {
protected:
    std::uint32_t keys[256];
    ApplicationInfo application;
    GameWindow window;

    void SetUp() override
    {
        if (!haveDisplay())
            GTEST_SKIP() << "no DISPLAY";
        consoleLines.clear();
        application.className = "TS";
        ASSERT_TRUE(registerWindowClass(&application)) << windowSystemError();
        for (auto& k : keys)
            k = 7;
        window = makeGameWindow(&application, keys, 640, 480, false);
        fullscreen = 0;
        multisampleSupported = false;
        multisampleFormat = 0;
        visualQualityUnstored = false;   // no first-run choice unless a test loads settings
    }
    void TearDown() override
    {
        if (window.hWnd)
            destroyWindow(&window);
        unregisterWindowClass(&application);
    }
};

TEST_F(WindowTest, NoAntialiasingMakesOneWindow)
{
    AAlevel = 0;
    ASSERT_TRUE(createWindow(&window));
    std::vector<std::string> expected = {"Creating window", "Resolution 640x480", "Setting up antialiasing query pass"};
    EXPECT_EQ(consoleLines, expected);
    EXPECT_FALSE(multisampleSupported);
    EXPECT_TRUE(window.isVisible);
    EXPECT_EQ(mainWindow, window.hWnd);
    EXPECT_EQ(keys[0], 0u);
    EXPECT_EQ(keys[255], 0u);
    // The context is current and the extension set-up ran on it.
    EXPECT_NE(glGetString(GL_VERSION), nullptr);
    EXPECT_GT(maxTextureSize, 0);
    EXPECT_TRUE(vboSupported);
    EXPECT_NE(glGenBuffersARB, nullptr);
    EXPECT_TRUE(bgraSupported);
    // Software rendering on a virtual display may refuse a swap interval; either way the flag
    // and the entry point agree.
    EXPECT_EQ(swapControlSupported, wglSwapIntervalEXT != nullptr);
    if (wglSwapIntervalEXT) {
        EXPECT_EQ(wglSwapIntervalEXT(0), 1);
    }

    // Key-up clears its flag; minimise and restore follow isVisible.
    keys[65] = 1;
    send(WM_KEYUP, 65);
    EXPECT_EQ(keys[65], 0u);
    send(WM_SIZE, SIZE_MINIMIZED);
    EXPECT_FALSE(window.isVisible);
    send(WM_SIZE, SIZE_RESTORED, makeLParam(640, 480));
    EXPECT_TRUE(window.isVisible);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 480);

    // The surface draws: a cleared back buffer reads back in its colour after the swap set-up.
    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    unsigned char pixel[4] = {0, 0, 0, 0};
    glReadBuffer(GL_BACK);
    glReadPixels(320, 240, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_NEAR(pixel[0], 51, 2);
    EXPECT_NEAR(pixel[1], 102, 2);
    EXPECT_NEAR(pixel[2], 153, 2);
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    EXPECT_GE(depthBits, 16);
    platformSwapBuffers(window.hWnd);

    ASSERT_TRUE(destroyWindow(&window));
    EXPECT_EQ(window.hWnd, nullptr);
    EXPECT_EQ(window.hRC, nullptr);
    EXPECT_EQ(mainWindow, nullptr);
}

TEST_F(WindowTest, MultisampleQueryPassThenSecondWindow)
{
    AAlevel = 16;
    ASSERT_TRUE(createWindow(&window));
    std::vector<std::string> lines = consoleLines;
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Creating window");
    EXPECT_EQ(lines[1], "Resolution 640x480");
    EXPECT_EQ(lines[2], "Setting up antialiasing query pass");
    if (!multisampleSupported) {
        // The display offers no multisampled surface: one pass only, with the level halved down.
        EXPECT_EQ(lines.size(), 3u);
        EXPECT_EQ(AAlevel, 2);
        return;
    }
    ASSERT_EQ(lines.size(), 6u);
    std::cout << "multisampled at " << multisampleFormat << "x\n";
    EXPECT_EQ(lines[3], "Creating window");
    EXPECT_EQ(lines[4], "Resolution 640x480");
    EXPECT_EQ(lines[5], "Setting up antialiasing at " + std::to_string(AAlevel) + "x");
    EXPECT_EQ(multisampleFormat, AAlevel);
    EXPECT_GE(platformContextSamples(), multisampleFormat);
}

// No settings yet and a software rasteriser: the query pass chooses VisualQuality 1, asks for no
// multisampling and so makes one window; with a VisualQuality stored the usual two passes run.
TEST_F(WindowTest, FirstRunOnSoftwareRendererMakesOneWindow)
{
    ScratchFolder folder;
    ASSERT_FALSE(folder.path().empty());
    ScopedVariable settings("XDG_CONFIG_HOME", folder.path());
    visualQuality = 3;
    loadConfig();
    ASSERT_EQ(AAlevel, 8);
    ASSERT_TRUE(createWindow(&window));
    const std::string renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    int windows = 0;
    for (const std::string& line : consoleLines)
        windows += line == "Creating window";
    if (isSoftwareRenderer(renderer)) {
        EXPECT_EQ(windows, 1);
        EXPECT_EQ(visualQuality, 1);
        EXPECT_EQ(AAlevel, 0);
        EXPECT_FALSE(multisampleSupported);
        EXPECT_NE(std::find(consoleLines.begin(), consoleLines.end(), visualQualityNote), consoleLines.end());
    } else {
        EXPECT_EQ(visualQuality, 3);
    }
    destroyWindow(&window);
    consoleLines.clear();
    visualQualityUnstored = false;   // as after a load that found VisualQuality 3
    visualQuality = 3;
    applyVisualQuality();
    ASSERT_TRUE(createWindow(&window));
    EXPECT_EQ(visualQuality, 3);
}

TEST_F(WindowTest, RefusedModeSwitchFallsBackToAWindow)
{
    AAlevel = 0;
    fullscreen = 1;
    window.isFullScreen = true;
    window.width = 1234;   // no display offers this mode
    window.height = 567;
    ASSERT_TRUE(createWindow(&window));
    EXPECT_FALSE(window.isFullScreen);
    EXPECT_EQ(consoleLines[1], "Resolution 1234x567");
}

std::vector<std::string> windowSystemLines;
void keepWindowSystemLine(std::string line)
{
    windowSystemLines.push_back(std::move(line));
}

// The close messages the pump gives, up to the first within the patience and in 300 ms after it.
int closesWithin(int patienceMs)
{
    int closes = 0;
    for (int left = patienceMs; left > 0; left -= 10) {
        for (WindowMessage message; platformPeekMessage(message);)
            closes += message.message == WM_CLOSE;
        if (closes > 0 && left > 300)
            left = 300;
        platformSleep(10);
    }
    return closes;
}

// The window's size as the X server answers it, each field first set to a mark the call changes.
struct Geometry {
    int status;
    unsigned width, height;
};
Geometry askGeometry(Display* display, unsigned long window)
{
    Window root = 0;
    int x = -7, y = -7;
    unsigned width = 7777, height = 7777, border = 7, depth = 7;
    const int status = XGetGeometry(display, window, &root, &x, &y, &width, &height, &border, &depth);
    return {status, width, height};
}

// A window another client takes away under the game is noticed by its destruction or, where the
// window system's events say nothing, by the error on the game's next request to it. Either way
// once: one line and one close; the GL driver, which asks for the window's size before it draws,
// is told 0 x 0 rather than left with what its variables held; and the game's own destroy of the
// window, which fails too, passes quietly. A window the game closes itself is no loss.
TEST_F(WindowTest, WindowTakenAwayUnderTheGameClosesItOnce)
{
    const struct {
        bool destroyNoticed;
        const char* line;
    } cases[] = {
        {true, "The game window was destroyed by another program: closing"},
        {false, "X error on the game window (BadWindow"},
    };
    // The driver's own look-up finds the program's copy of the size query.
    EXPECT_EQ(dlsym(RTLD_DEFAULT, "XGetGeometry"), reinterpret_cast<void*>(&XGetGeometry));
    // Video already up, and its defaults back (another part of the program started it): the game's
    // windows are watched all the same.
    ASSERT_TRUE(platformVideoStart());
    XSetErrorHandler(nullptr);
    SDL_EventState(SDL_SYSWMEVENT, SDL_DISABLE);
    Display* other = XOpenDisplay(nullptr);
    ASSERT_NE(other, nullptr);
    platformSetWindowSystemReport(keepWindowSystemLine);
    AAlevel = 0;
    for (const auto& c : cases) {
        ASSERT_TRUE(createWindow(&window));
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        ASSERT_TRUE(SDL_GetWindowWMInfo(static_cast<SDL_Window*>(window.hWnd), &info));
        Display* own = info.info.x11.display;
        const unsigned long id = info.info.x11.window;
        const Geometry shown = askGeometry(own, id);
        EXPECT_NE(shown.status, 0);
        EXPECT_EQ(shown.width, 640u);
        EXPECT_EQ(shown.height, 480u);
        closesWithin(100);
        windowSystemLines.clear();
        if (!c.destroyNoticed)
            SDL_EventState(SDL_SYSWMEVENT, SDL_DISABLE);
        XDestroyWindow(other, id);
        XSync(other, False);
        if (!c.destroyNoticed) {
            XMapWindow(own, id);
            XSync(own, False);
        }
        EXPECT_EQ(closesWithin(5000), 1) << c.line;
        SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
        ASSERT_EQ(windowSystemLines.size(), 1u) << c.line;
        EXPECT_EQ(windowSystemLines[0].rfind(c.line, 0), 0u) << windowSystemLines[0];
        const Geometry gone = askGeometry(own, id);
        EXPECT_EQ(gone.status, 0);
        EXPECT_EQ(gone.width, 0u);
        EXPECT_EQ(gone.height, 0u);
        // A frame still drawn and shown until the game ends.
        glClear(GL_COLOR_BUFFER_BIT);
        platformSwapBuffers(window.hWnd);
        ASSERT_TRUE(destroyWindow(&window));
        XSync(own, False);
    }
    ASSERT_TRUE(createWindow(&window));
    closesWithin(100);
    windowSystemLines.clear();
    ASSERT_TRUE(destroyWindow(&window));
    EXPECT_EQ(closesWithin(300), 0);
    EXPECT_TRUE(windowSystemLines.empty());
    platformSetWindowSystemReport(nullptr);
    XCloseDisplay(other);
}

} // namespace

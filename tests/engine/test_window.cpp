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

} // namespace

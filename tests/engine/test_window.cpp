#include "engine/config.h"
#include "engine/console.h"
#include "engine/main.h"
#include "engine/profiler.h"
#include "engine/window.h"
#include "game/achieve_carousel.h"
#include "game/game_state.h"
#include "game/input.h"
#include "online/rankings.h"
#include "platform/messages.h"
#include "platform/system.h"
#include "platform/video.h"

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace {

TEST(WindowExtensions, WholeWordMatchOnly)
{
    const char* list = "GL_EXT_bgra_extra GL_ARB_multisample GL_EXT_bgra";
    EXPECT_TRUE(extensionListHas(list, "GL_EXT_bgra"));          // found on the second occurrence
    EXPECT_TRUE(extensionListHas(list, "GL_ARB_multisample"));
    EXPECT_FALSE(extensionListHas(list, "GL_ARB_multi"));
    EXPECT_FALSE(extensionListHas(list, "sample"));
    EXPECT_FALSE(extensionListHas("XGL_EXT_bgra", "GL_EXT_bgra"));
    EXPECT_FALSE(extensionListHas(list, ""));
    EXPECT_FALSE(extensionListHas(nullptr, "GL_EXT_bgra"));
}

// Feeds one message to the window procedure as the main loop would.
long send(unsigned message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0)
{
    return windowProc(message, wParam, lParam);
}

TEST(WindowProcedure, MouseMoveAndWheel)
{
    send(WM_MOUSEMOVE, 0, makeLParam(640, 480));
    EXPECT_EQ(mouseX, 640);
    EXPECT_EQ(mouseY, 480);

    gameState = 49;
    rankingList.assign(25, "row");
    rankingScroll = 0;
    send(WM_MOUSEWHEEL, std::uintptr_t(std::uint16_t(std::int16_t(-119))) << 16);
    EXPECT_EQ(rankingScroll, 0);   // less than a notch does nothing
    send(WM_MOUSEWHEEL, std::uintptr_t(std::uint16_t(std::int16_t(-240))) << 16);
    EXPECT_EQ(rankingScroll, 1);   // two notches in one message still move one row
    for (int i = 0; i < 30; ++i)
        send(WM_MOUSEWHEEL, std::uintptr_t(std::uint16_t(std::int16_t(-120))) << 16);
    EXPECT_EQ(rankingScroll, 15);  // the last ten rows stay visible
    send(WM_MOUSEWHEEL, std::uintptr_t(120) << 16);
    EXPECT_EQ(rankingScroll, 14);

    rankingList.assign(10, "row");
    rankingScroll = 0;
    send(WM_MOUSEWHEEL, std::uintptr_t(std::uint16_t(std::int16_t(-120))) << 16);
    EXPECT_EQ(rankingScroll, 0);   // ten rows or fewer never scroll

    gameState = 69;
    screenWidth = 1024;
    screenHeight = 768;
    achievementPage = 3;
    for (auto& slot : achieveCarousel)
        slot = CarouselSlot();
    send(WM_MOUSEWHEEL, std::uintptr_t(std::uint16_t(std::int16_t(-120))) << 16);
    EXPECT_EQ(achievementPage, 4);
    EXPECT_FLOAT_EQ(achieveCarousel[4].targetX, screenWidth * 0.5f);
    EXPECT_FLOAT_EQ(achieveCarousel[3].targetX, screenWidth * 0.5f - screenHeight * 0.375f);
    EXPECT_FLOAT_EQ(achieveCarousel[2].targetScale, 0.0f);
    // Page 4's slot is now moving: the wheel waits for it.
    send(WM_MOUSEWHEEL, std::uintptr_t(std::uint16_t(std::int16_t(-120))) << 16);
    EXPECT_EQ(achievementPage, 4);
    achieveCarousel[4].x = achieveCarousel[4].targetX;
    send(WM_MOUSEWHEEL, std::uintptr_t(120) << 16);
    EXPECT_EQ(achievementPage, 3);
    gameState = 0;
}

TEST(WindowProcedure, CloseEndsTheProgram)
{
    platformClearMessages();
    programRunning = true;
    send(WM_CLOSE);
    EXPECT_FALSE(programRunning);
    WindowMessage message;
    ASSERT_TRUE(platformPeekMessage(message));
    EXPECT_EQ(message.message, unsigned(WM_QUIT));
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
        ASSERT_TRUE(registerWindowClass(&application));
        for (auto& k : keys)
            k = 7;
        window = makeGameWindow(&application, keys, 640, 480, false);
        fullscreen = 0;
        multisampleSupported = false;
        multisampleFormat = 0;
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

namespace {

// Lets the window system's own events for a new window (focus, pointer entering) arrive, then
// forgets them, so the test's messages are the only ones queued.
void settleMessages()
{
    for (int i = 0; i < 20; ++i) {
        platformPendingMessages();
        platformSleep(10);
    }
    platformClearMessages();
}

TEST_F(WindowTest, OneMessageAFrameAndTheQuitFrameRunsToItsEnd)
{
    AAlevel = 0;
    ASSERT_TRUE(createWindow(&window));
    settleMessages();

    WindowMessage move;
    move.message = WM_MOUSEMOVE;
    move.lParam = makeLParam(10, 20);
    platformPostMessage(move);
    move.lParam = makeLParam(30, 40);
    platformPostMessage(move);

    std::uint64_t previous = platformCounter();
    EXPECT_TRUE(runFrame(window, previous));
    EXPECT_EQ(mouseX, 10);           // the second message waits for the next frame
    EXPECT_TRUE(runFrame(window, previous));
    EXPECT_EQ(mouseX, 30);
    EXPECT_EQ(mouseY, 40);
    if (platformActiveWindow() == mainWindow) {
        EXPECT_FLOAT_EQ(masterGain, 1.0f);
    }

    // A minimised window sleeps, and the sleep is part of the frame time. Late events of the new
    // window may be queued ahead of the test's message: each takes a frame of its own.
    WindowMessage size;
    size.message = WM_SIZE;
    size.wParam = SIZE_MINIMIZED;
    platformPostMessage(size);
    double frameMs = 0.0;
    for (int frame = 0; frame < 50 && window.isVisible; ++frame) {
        std::uint64_t before = previous;
        EXPECT_TRUE(runFrame(window, previous));
        frameMs = double(previous - before) / double(platformCounterFrequency()) * 1000.0;
    }
    ASSERT_FALSE(window.isVisible);
    EXPECT_GE(frameMs, 99.0);
    size.wParam = SIZE_RESTORED;
    size.lParam = makeLParam(640, 480);
    platformPostMessage(size);
    for (int frame = 0; frame < 50 && !window.isVisible; ++frame)
        EXPECT_TRUE(runFrame(window, previous));
    EXPECT_TRUE(window.isVisible);

    // The quit message ends the loop only after its frame ran to the end.
    platformPostQuitMessage();
    bool looping = true;
    for (int frame = 0; frame < 50 && looping; ++frame) {
        frameTime = -1.0f;
        looping = runFrame(window, previous);
    }
    EXPECT_FALSE(looping);
    EXPECT_GE(frameTime, 0.0f);
}

} // namespace

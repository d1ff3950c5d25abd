// The frame and the start-up order in a real window (Xvfb + Mesa).
#include "app/main_loop.h"
#include "app/startup.h"
#include "app/window_proc.h"
#include "engine/asset_pack.h"
#include "engine/atlas.h"
#include "engine/config.h"
#include "engine/log.h"
#include "engine/main.h"
#include "engine/profiler.h"
#include "engine/sound.h"
#include "engine/window.h"
#include "game/game_state.h"
#include "game/game_types.h"
#include "game/input.h"
#include "game/levels.h"
#include "game/states.h"
#include "game/tutorials.h"
#include "online/create_account.h"
#include "online/rankings.h"
#include "online/requests.h"
#include "platform/messages.h"
#include "platform/system.h"
#include "platform/video.h"
#include "../engine/game_window_fixture.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

class AppWindow : public GameWindowTest {
protected:
    void SetUp() override
    {
        GameWindowTest::SetUp();
        if (IsSkipped())
            return;
        consoleLines.clear();
        fullscreen = 0;
        AAlevel = 0;
        multisampleSupported = false;
        multisampleFormat = 0;
        ASSERT_NO_FATAL_FAILURE(openWindow(640, 480));
    }
};

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

TEST_F(AppWindow, OneMessageAFrameAndTheQuitFrameRunsToItsEnd)
{
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

// However far the frames lag behind the keyboard, a key is read with the modifiers it was typed
// with, and a tap shorter than a frame still counts: every key below is down and up again before
// the first of its messages is handled, one a frame as the main loop does.
TEST_F(AppWindow, KeysReadAsTheyWereTypedHoweverLateTheirFrame)
{
    settleMessages();
    ASSERT_EQ(SDL_SetClipboardText("me@example.org"), 0) << SDL_GetError();
    const int savedHeight = screenHeight;
    screenHeight = 720;   // the e-mail box's width, against which typed text is measured
    using Key = std::pair<SDL_Scancode, SDL_Keycode>;
    const Key shift{SDL_SCANCODE_LSHIFT, SDLK_LSHIFT}, ctrl{SDL_SCANCODE_LCTRL, SDLK_LCTRL};
    const struct {
        const char* what;
        int state;
        std::vector<Key> keys;   // pressed in order, then released in reverse
        void (*update)();        // the page's update after each message
        std::string email;
        bool console, paused;
    } cases[] = {
        {"Shift+2", gs::NewProfile, {shift, {SDL_SCANCODE_2, SDLK_2}}, nullptr, "@", false, false},
        {"Ctrl+V", gs::NewProfile, {ctrl, {SDL_SCANCODE_V, SDLK_v}}, UpdateCreateAcc, "me@example.org", false,
         false},
        {"Ctrl+backquote", gs::NewProfile, {ctrl, {SDL_SCANCODE_GRAVE, SDLK_BACKQUOTE}}, nullptr, "", true, false},
        {"Escape", gs::Game, {{SDL_SCANCODE_ESCAPE, SDLK_ESCAPE}}, [] { updatePausePopup(16.0f); }, "", false, true},
    };
    for (const auto& c : cases) {
        gameState = c.state;
        popupId = 20;
        email.clear();
        consoleVisible = paused = tutorialOpen = escapeHeld = false;
        auto send = [](Uint32 type, const Key& key) {
            SDL_Event e = {};
            e.type = type;
            e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
            e.key.keysym.scancode = key.first;
            e.key.keysym.sym = key.second;
            SDL_PushEvent(&e);
        };
        for (const Key& key : c.keys)
            send(SDL_KEYDOWN, key);
        for (auto key = c.keys.rbegin(); key != c.keys.rend(); ++key)
            send(SDL_KEYUP, *key);
        WindowMessage m;
        for (int frame = 0; frame < 10 && platformPeekMessage(m); ++frame) {
            windowProc(m.message, m.wParam, m.lParam);
            if (c.update)
                c.update();
        }
        EXPECT_EQ(email, c.email) << c.what;
        EXPECT_EQ(consoleVisible, c.console) << c.what;
        EXPECT_EQ(paused, c.paused) << c.what;
    }
    gameState = gs::Intro;
    popupId = 1;
    email.clear();
    consoleVisible = paused = escapeHeld = false;
    screenHeight = savedHeight;
}

// The app's share of start-up around the engine's: the HTTP handles, the rankings' lists and the
// first level before "Finished initializing"; shut-down gives the handles back first.
TEST_F(AppWindow, StartUpPreparesRequestsRankingsAndTheFirstLevel)
{
    if (!haveBuiltPack())
        GTEST_SKIP() << "no asset pack at " << builtPack;
    ASSERT_NO_FATAL_FAILURE(useBuiltPackIn());
    gameMode = gm::Overall;
    levelLoadFailed = true;

    // It carries on past whatever fails (the log tells), and nothing below leaves the test before
    // the shut-down: the tests after this one find nothing of it.
    initialize();
    EXPECT_NE(curlMultiHandle, nullptr);
    EXPECT_EQ(rankingFlagsByMode.size(), std::size_t(gm::modeCount));
    EXPECT_EQ(rankingRowsByMode.size(), std::size_t(gm::modeCount));
    EXPECT_FALSE(levelLoadFailed);   // the first level of a new game is on the board
    std::ifstream log("console.log");
    std::string line, last;
    while (std::getline(log, line))
        last = line;
    EXPECT_EQ(last, "Finished initializing\r");

    deinitialize();
    EXPECT_EQ(curlMultiHandle, nullptr);
    EXPECT_EQ(assetPackFile, nullptr);
    EXPECT_TRUE(atlasPages.empty());
    shutdownSound();
}

} // namespace

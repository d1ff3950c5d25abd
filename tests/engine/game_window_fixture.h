// Tests that open the game's own window on the test display (Xvfb + Mesa), and optionally run
// in a fresh folder with the asset pack the build makes.
#pragma once
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <unistd.h>

#include "engine/asset_pack.h"
#include "engine/window.h"
#include "scratch_folder.h"

// The asset pack the build makes, as the game finds it beside itself.
inline const char* const builtPack = TS_BINARY_DIR "/run/data/assets.ass";

// Why no window could be had on the test display: the display and the window system's own word.
inline std::string windowSystemError()
{
    const char* display = std::getenv("DISPLAY");
    return std::string("no window on DISPLAY ") + (display ? display : "(unset)") + ": " + SDL_GetError();
}

class GameWindowTest : public ::testing::Test {
protected:
    std::uint32_t keys[256] = {};
    ApplicationInfo application;
    GameWindow window;
    std::optional<ScratchFolder> folder;           // useBuiltPackIn's
    std::optional<ScopedVariable> settingsFolder;

    // Skips the test without a display; a derived SetUp returns when IsSkipped().
    void SetUp() override
    {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display)
            GTEST_SKIP() << "no DISPLAY";
    }
    void TearDown() override
    {
        if (window.hWnd)
            destroyWindow(&window);
        unregisterWindowClass(&application);
        settingsFolder.reset();
        folder.reset();
    }

    // The game's window class and a windowed width x height window, made with the settings as
    // they stand. Call under ASSERT_NO_FATAL_FAILURE.
    void openWindow(int width, int height)
    {
        application.className = "TS";
        ASSERT_TRUE(registerWindowClass(&application)) << windowSystemError();
        window = makeGameWindow(&application, keys, width, height, false);
        ASSERT_TRUE(createWindow(&window)) << windowSystemError();
    }

    static bool haveBuiltPack() { return access(builtPack, R_OK) == 0; }
    // Until the test ends, a fresh folder holds the settings and "console.log" and is the working
    // directory; the built pack is the one read. Call under ASSERT_NO_FATAL_FAILURE.
    void useBuiltPackIn()
    {
        folder.emplace();
        ASSERT_FALSE(folder->path().empty());
        settingsFolder.emplace("XDG_CONFIG_HOME", folder->path());
        assetPackPath = builtPack;
    }
};

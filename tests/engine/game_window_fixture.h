// Tests that open the game's own window on the test display (Xvfb + Mesa), and optionally run
// in a fresh folder with the asset pack the build makes.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "engine/asset_pack.h"
#include "engine/window.h"

// The asset pack the build makes, as the game finds it beside itself.
inline const char* const builtPack = TS_BINARY_DIR "/run/data/assets.ass";

class GameWindowTest : public ::testing::Test {
protected:
    std::uint32_t keys[256] = {};
    ApplicationInfo application;
    GameWindow window;

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
    }

    // The game's window class and a windowed width x height window, made with the settings as
    // they stand. Call under ASSERT_NO_FATAL_FAILURE.
    void openWindow(int width, int height)
    {
        application.className = "TS";
        ASSERT_TRUE(registerWindowClass(&application));
        window = makeGameWindow(&application, keys, width, height, false);
        ASSERT_TRUE(createWindow(&window));
    }

    static bool haveBuiltPack() { return access(builtPack, R_OK) == 0; }
    // A fresh folder named from the mkdtemp pattern (".../name-XXXXXX") holds the settings and
    // "console.log" and becomes the working directory; the built pack is the one read. Call
    // under ASSERT_NO_FATAL_FAILURE.
    static void useBuiltPackIn(std::string pattern)
    {
        const char* dir = mkdtemp(pattern.data());
        ASSERT_NE(dir, nullptr);
        setenv("XDG_CONFIG_HOME", dir, 1);
        ASSERT_EQ(chdir(dir), 0);
        assetPackPath = builtPack;
    }
};

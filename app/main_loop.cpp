#include "app/main_loop.h"

#include "app/startup.h"
#include "app/window_proc.h"
#include "engine/config.h"
#include "engine/log.h"
#include "engine/main.h"
#include "engine/profiler.h"
#include "engine/sound.h"
#include "engine/textures.h"
#include "engine/window.h"
#include "game/game_state.h"
#include "online/mac_address.h"
#include "platform/messages.h"
#include "platform/system.h"
#include "platform/video.h"
#include "screens/draw.h"

#include <cstdint>
#include <string>

bool runFrame(GameWindow& window, std::uint64_t& previousCount)
{
    bool looping = true;
    startFrameTimer();

    WindowMessage message;
    if (platformPeekMessage(message)) {
        if (message.message == WM_QUIT)
            looping = false;   // this frame still runs to its end
        else
            windowProc(message.message, message.wParam, message.lParam);
    }

    masterGain = 1.0f;
    if (platformActiveWindow() != mainWindow) {
        if (fullscreen)
            platformMinimizeWindow(mainWindow);
        masterGain = 0.0f;
        UpdateSound();
    }

    if (!window.isVisible)
        platformSleep(100);

    std::uint64_t now = platformCounter();
    float dtMs = float(double(now - previousCount) / double(platformCounterFrequency()) * 1000.0);

    updateStreamingTextures(dtMs);
    Update(dtMs);
    Draw();

    previousCount = now;

    beginProfile("SwapBuffers");
    platformSwapBuffers(window.hWnd);
    endProfile();

    endFrameTimer();
    return looping;
}

int gameMain(int, char**)
{
    platformInstallCloseSignals();
    platformSetWindowSystemReport(logMessage);
    // An older copy may still be writing to "console.log": it is emptied for this copy only once
    // that copy is gone, and this copy's first lines wait in memory until then.
    holdLogLines();

    macAddress = getMacAddress();

    platformVideoStart();
    buildDisplayModeList();

    int desktopWidth = defaultScreenWidth, desktopHeight = defaultScreenHeight;
    platformDesktopSize(desktopWidth, desktopHeight);
    screenWidth = desktopWidth;
    screenHeight = desktopHeight;

    loadConfig();
    // A size of 0 or nonsense would divide by zero in the layout: back to the desktop size.
    if (screenWidth <= 0 || screenHeight <= 0 || screenWidth > maxScreenSide || screenHeight > maxScreenSide) {
        screenWidth = desktopWidth;
        screenHeight = desktopHeight;
        displayModeIndex = findDisplayMode(screenWidth, screenHeight);
    }

    exeName = platformExecutableRelativePath();
    exePath = platformExecutablePath();

    gameVersion = makeGameVersion(buildVersionText());
    logMessage(gameVersion);

    if (!exePath.empty())
        waitForOldCopies(exePath, OldCopyWait());
    clearLogFile("console.log");
    clearLogFile("trace.log");

    ApplicationInfo application;
    application.className = "TS";
    if (!registerWindowClass(&application)) {
        platformMessageBox("Error Registering Window Class!", "Error");
        return -1;
    }

    std::uint32_t keys[256] = {};
    GameWindow window = makeGameWindow(&application, keys, screenWidth, screenHeight, true);

    programRunning = true;
    fullscreenChoice = true;

    int exitCode = 0;
    while (programRunning) {
        window.isFullScreen = fullscreenChoice;
        if (!createWindow(&window)) {
            platformMessageBox("Error Creating OpenGL Window", "Error");
            programRunning = false;
            exitCode = 1;
            break;
        }
        initialize();
        logMessage("Starting main loop");
        // The first frame measures from the moment the loop starts.
        std::uint64_t previousCount = platformCounter();
        while (runFrame(window, previousCount)) {
        }
        deinitialize();
        destroyWindow(&window);
    }

    unregisterWindowClass(&application);
    return exitCode;
}

// One frame of play through the real Update and Draw (level 10's board, four live bursts, floating
// texts, the HUD and the powerup panel) beside an empty frame (clear and swap) in the same run.
// With --shots it instead draws the game's screens into PPM files: play, every pause popup form,
// a tutorial page, the level-complete panel with two tiles and the achievements page.
// Run it from the run folder (data/assets.ass beside it) with a display, e.g. under xvfb-run.
//   bench_field_bench [--frames N] [--size WxH] [--shots DIR]
#include "engine/camera.h"
#include "engine/config.h"
#include "engine/draw2d.h"
#include "engine/fonts.h"
#include "engine/meshes.h"
#include "engine/polyparticles.h"
#include "engine/startup.h"
#include "engine/textures.h"
#include "engine/window.h"
#include "game/achieve_carousel.h"
#include "game/backdrops.h"
#include "game/blocks.h"
#include "game/effects.h"
#include "game/game_state.h"
#include "game/game_types.h"
#include "game/input.h"
#include "game/intro.h"
#include "game/level_end.h"
#include "game/levels.h"
#include "game/mass.h"
#include "game/page_buttons.h"
#include "game/play_achievements.h"
#include "game/pointing.h"
#include "game/powerups.h"
#include "game/reports.h"
#include "game/scoring.h"
#include "game/starfield.h"
#include "game/states.h"
#include "game/tutorials.h"
#include "online/requests.h"
#include "platform/system.h"
#include "platform/video.h"
#include "engine/gl_extensions.h"
#include "screens/draw.h"

#include <GL/gl.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr float frameMs = 1000.0f / 60.0f;

double nowMs()
{
    return static_cast<double>(platformCounter()) * 1000.0 / static_cast<double>(platformCounterFrequency());
}

void saveScreenshot(const std::string& path, int w, int h)
{
    std::vector<unsigned char> pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return;
    }
    std::fprintf(f, "P6\n%d %d\n255\n", w, h);
    for (int row = h - 1; row >= 0; row--)
        std::fwrite(&pixels[static_cast<std::size_t>(row) * static_cast<std::size_t>(w) * 3], 1,
                    static_cast<std::size_t>(w) * 3, f);
    std::fclose(f);
}

// Every texture the screens ask for, loaded and faded in.
bool loadMedia()
{
    loadMesh(&cubeMesh, "cube.mbm");
    loadMesh(&geosphereMesh, "geosphere.mbm");
    buildParticleMesh(&particleMesh);
    loadPolyparticleMesh(cubeMesh, &cubePolyparticles);
    loadPolyparticleMesh(geosphereMesh, &geospherePolyparticles);
    fillAchievementTables();
    queueAllTextures();
    for (const char* extra : {"bomb.tga", "buster.tga", "drill.tga", "background10.tga"})
        getTextureIndex(extra);
    for (int frame = 0; frame < 100000 && !textureQueue.empty(); ++frame)
        updateStreamingTextures(16.0f);
    for (int i = 0; i < 20; ++i)
        updateStreamingTextures(50.0f);   // the fade-ins run out
    return !cubeMesh.meshes.empty() && !cubePolyparticles.particles.empty();
}

void makeStars()
{
    stars.clear();
    for (int i = 0; i < starCount; ++i) {
        Star s;
        s.position = Vector3(static_cast<float>((i * 397) % 2000 - 1000), static_cast<float>(1800 - (i * 131) % 1500),
                             static_cast<float>((i * 773) % 2000 - 1000));
        s.size = 0.2f + static_cast<float>(i % 10) / 100.0f;
        s.age = 2000.0f;
        stars.push_back(s);
    }
}

// Level 10 of Normal, its blocks landed, the pointer on the mass.
void startPlay()
{
    offlineMode = 99;
    gameMode = gm::Normal;
    levelNumber = 9;
    loadLevel(false);
    gameState = gs::Game;
    fadeLevel = fadeDuration;
    paused = false;
    mouseX = screenWidth / 2 - screenWidth / 10;
    mouseY = screenHeight / 2 + screenHeight / 12;
    for (int i = 0; i < 200; ++i) {
        Update(frameMs);
        Draw();
    }
}

// A burst some way into its flight (the particles move with the game's update, which is not
// run between the shots).
void keepBurst(int i)
{
    PolyparticleSystem& s = particleSystems[i];
    s.age = 60.0f * static_cast<float>(i);
    const float flight = 3.0f + 2.0f * static_cast<float>(i);
    for (Polyparticle& p : s.particles) {
        p.previousPosition = p.velocity * flight;
        p.position = p.velocity * (flight + 1.0f);
    }
}

// The busy moments of a frame of play: a combo of four bursts, texts, a charged meter.
void stagePlay()
{
    int burst = 0;
    for (int i = 0; i < blockCount && burst < 4; ++i)
        if (blocks[i].active) {
            startBurst(blocks[i].position, blocks[i].colour);
            keepBurst(burst);
            ++burst;
        }
    floatys.clear();
    spawnFloaty(Vector2(0.55f * screenWidth, 0.42f * screenHeight), "1,600", false, false, 1600);
    spawnFloaty(Vector2(0.58f * screenWidth, 0.36f * screenHeight), "2,500", true, false, 2500);
    spawnFloaty(Vector2(0.6f * screenWidth, 0.3f * screenHeight), "Bomb!", false, true);
    floatys[0].age = 300.0f;
    floatys[1].age = 120.0f;
    comboLevel = 4;
    comboPulse = 1.2f;
    setScore(123456);
    displayedScore = 123456;
    personalBest = 250000;
    powerupCharge = 170.0f;
    powerupGlowAngle = 60.0f;
    hudSpinAngle = 300.0f;
    powerupNoticeTimers[1] = 2200.0f;
    multiplierNotice = 1;
    previousCursorColour = 2;
    markerAlpha = 170.0f;
    massLevel = massLimit * 0.7f;
    cheeveEarned[2] = true;
    cheeveToasts = {2};
    cheeveToastShown = {true};
    cheeveToastTimer = 1500.0f;
}

void keepStaged()
{
    for (int i = 0; i < 4; ++i)
        keepBurst(i);
    for (Floaty& f : floatys)
        f.age = std::min(f.age, 400.0f);
    cheeveToastTimer = 1500.0f;
}

void clearPopups()
{
    paused = tutorialOpen = tutorialResetPrompt = false;
    serverWaitPause = serverWaitContinued = continueReady = false;
    for (bool& shown : tutorialShown)
        shown = false;
    hoveredButton = 0;
}

// The backdrop of a new state streams in first, as it would over the frames of a fade.
void streamBackdrop()
{
    getTextureIndex(getBackgroundTexture());
    for (int frame = 0; frame < 100000 && !textureQueue.empty(); ++frame)
        updateStreamingTextures(16.0f);
    for (int i = 0; i < 20; ++i)
        updateStreamingTextures(50.0f);
}

void shot(const std::string& dir, const char* name, int w, int h)
{
    streamBackdrop();
    Draw();
    saveScreenshot(dir + "/" + name + ".ppm", w, h);
    platformSwapBuffers(mainWindow);
}

void takeShots(const std::string& dir, int w, int h)
{
    stagePlay();
    shot(dir, "game", w, h);

    cheeveToasts.clear();
    cheeveToastShown.clear();
    paused = true;
    hoveredButton = 1;
    shot(dir, "pause-menu", w, h);
    tutorialResetPrompt = true;
    hoveredButton = 2;
    shot(dir, "pause-reset", w, h);
    clearPopups();
    paused = serverWaitPause = true;
    connectingDotsTimer = 2500.0f;
    hoveredButton = 1;
    shot(dir, "pause-waiting", w, h);
    continueReady = true;
    shot(dir, "pause-reply", w, h);
    serverWaitContinued = true;
    hoveredButton = 2;
    shot(dir, "pause-offline", w, h);
    clearPopups();
    paused = tutorialOpen = true;
    tutorialShown[tutorialControl] = true;
    shot(dir, "pause-tutorial", w, h);
    tutorialShown[tutorialControl] = false;
    tutorialShown[tutorialCombo] = tutorialShown[tutorialComboNow] = true;
    shot(dir, "pause-tutorial-combo", w, h);
    clearPopups();

    // The panel of a cleared level, offline, with two achievements earned in it.
    floatys.clear();
    for (PolyparticleSystem& s : particleSystems)
        s.active = 0;
    levelCompleteTimer = 6200.0f;
    performanceGrade = finalPerformanceGrade = 6;
    cheeveEarned[4] = cheeveEarned[9] = true;
    cheeveToasts = {4, 9};
    cheeveToastShown = {true, true};
    shot(dir, "level-complete", w, h);
    levelCompleteTimer = 1500.0f;
    offlineMode = 0;
    scoreReplyReceived = false;
    shot(dir, "level-complete-early", w, h);
    offlineMode = 99;
    levelCompleteTimer = 0.0f;

    // The achievements page on its second column.
    gameState = gs::Achievements;
    achievementPage = 2;
    const float centre = static_cast<float>(w / 2), offset = 0.375f * static_cast<float>(h);
    for (int i = 1; i <= 9; ++i) {
        achieveCarousel[i].x = centre + (i - 2) * offset;
        achieveCarousel[i].scale = i == 2 ? 1.0f : (i == 1 || i == 3) ? 0.75f : 0.0f;
    }
    hoveredButton = 7;
    shot(dir, "achievements", w, h);
    // The longest descriptions: column 6 (16 "Elitist", 18 "Classically Trained").
    achievementPage = 6;
    for (int i = 1; i <= 9; ++i) {
        achieveCarousel[i].x = centre + (i - 6) * offset;
        achieveCarousel[i].scale = i == 6 ? 1.0f : (i == 5 || i == 7) ? 0.75f : 0.0f;
    }
    cheeveEarned[16] = true;
    hoveredButton = 0;
    shot(dir, "achievements-long", w, h);
}

bool runAt(int width, int height, int frames, const char* shots)
{
    screenWidth = width;
    screenHeight = height;
    fullscreen = 0;
    visualQuality = 1;
    applyVisualQuality();
    ApplicationInfo application;
    application.className = "TS";
    std::uint32_t keys[256] = {};
    GameWindow window = makeGameWindow(&application, keys, width, height, false);
    if (!registerWindowClass(&application) || !createWindow(&window)) {
        std::fprintf(stderr, "no window at %dx%d\n", width, height);
        return false;
    }
    initializeEngine();
    setSwapInterval(0);
    if (!loadMedia()) {
        std::fprintf(stderr, "the pack's meshes did not load\n");
        deinitializeEngine();
        destroyWindow(&window);
        return false;
    }
    makeStars();
    startPlay();

    if (shots) {
        takeShots(shots, width, height);
    } else {
        stagePlay();
        Update(frameMs);
        Draw();
        platformSwapBuffers(window.hWnd);
        clearScreen(0, 0, 0, 1);
        platformSwapBuffers(window.hWnd);

        double start = nowMs();
        for (int i = 0; i < frames; i++) {
            clearScreen(0, 0, 0, 1);
            platformSwapBuffers(window.hWnd);
        }
        glFinish();
        const double emptyMs = (nowMs() - start) / frames;

        start = nowMs();
        for (int i = 0; i < frames; i++) {
            keepStaged();
            Update(frameMs);
            Draw();
            platformSwapBuffers(window.hWnd);
        }
        glFinish();
        const double playMs = (nowMs() - start) / frames;
        int active = 0;
        for (const BlockRecord& b : blocks)
            active += b.active;
        std::printf("%4dx%-4d  empty frame %8.3f ms   play frame (%d blocks, 4 bursts, %zu texts, HUD, panel) "
                    "%9.3f ms   ratio %7.1f\n",
                    width, height, emptyMs, active, floatys.size(), playMs, playMs / emptyMs);
    }
    for (PolyparticleSystem& s : particleSystems)
        s.active = 0;
    deinitializeEngine();
    destroyWindow(&window);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    int frames = 5;   // a software renderer takes a while for one full frame
    int width = 1920, height = 1080;
    const char* shots = nullptr;
    for (int i = 1; i < argc; i++) {
        if (!std::strcmp(argv[i], "--frames") && i + 1 < argc)
            frames = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--size") && i + 1 < argc)
            std::sscanf(argv[++i], "%dx%d", &width, &height);
        else if (!std::strcmp(argv[i], "--shots") && i + 1 < argc)
            shots = argv[++i];
    }
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "needs a display (run under xvfb-run)\n");
        return 1;
    }
    return runAt(width, height, frames, shots) ? 0 : 1;
}

// One frame of play through the real Update and Draw (level 10's board, four live bursts, floating
// texts, the HUD and the powerup panel) at the first-run settings of a software rasteriser
// (VisualQuality 1), beside the reference frame (bench/reference_frame.h) in the same window, by
// turns. On the way in every texture the screens ask for streams through the real streamer with
// each step timed: the longest step is set beside one 60 Hz frame.
//   --minute      instead: a scripted minute of play (3600 frames of 16.7 ms, blocks set down
//                 under a wandering pointer), with the process's peak memory; no reference frame
//                 is made, so the figure is the game's own.
//   --shots DIR   instead: PPM screenshots of the game's screens (play, every pause popup form,
//                 tutorial pages (Meditation's over its readout), the level-complete panel, the
//                 achievements page).
// Lines starting "row|" are the figures scripts/bench.sh gathers into its table.
// Run it from the run folder (data/assets.ass beside it) with a display, e.g. under xvfb-run.
//   bench_field_bench [--frames N] [--size WxH] [--shots DIR | --minute]
#include "reference_frame.h"
#include "scene_setup.h"

#include "engine/asset_pack.h"
#include "engine/camera.h"
#include "engine/config.h"
#include "engine/draw2d.h"
#include "engine/fonts.h"
#include "engine/gl_extensions.h"
#include "engine/meshes.h"
#include "engine/polyparticles.h"
#include "engine/sound.h"
#include "engine/startup.h"
#include "engine/textures.h"
#include "engine/window.h"
#include "game/achieve_carousel.h"
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
#include "game/states.h"
#include "game/tutorials.h"
#include "online/requests.h"
#include "platform/system.h"
#include "platform/video.h"
#include "screens/draw.h"

#include <GL/gl.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr float frameMs = 1000.0f / 60.0f;

// The streamer's steps, each timed, by what the step did.
struct StreamTiming {
    double longestMs = 0.0;
    std::string longestWhat;
    int steps = 0;
    std::map<std::string, double> longestByKind;
};

const char* stepKind()
{
    const TextureStream& s = textureStream;
    if (s.seeking)
        return "seek";
    if (!s.seekDone)
        return "start";
    if (!s.headerLoaded)
        return "header";
    return s.bytesRead < s.rowBytes * s.height ? "pixel read" : "placement and upload";
}

void streamQueued(StreamTiming& timing)
{
    bench::streamQueuedTextures([&] {
        const std::string kind = stepKind();
        const std::string what = kind + " of " + textureQueue.front().name;
        const double start = bench::nowMs();
        updateStreamingTextures(frameMs);
        const double ms = bench::nowMs() - start;
        ++timing.steps;
        timing.longestByKind[kind] = std::max(timing.longestByKind[kind], ms);
        if (ms > timing.longestMs) {
            timing.longestMs = ms;
            timing.longestWhat = what;
        }
    });
}

// What the intro loads: meshes, prototypes, sounds, the achievement tables and every texture
// the screens ask for, streamed in.
bool loadMedia(StreamTiming& timing)
{
    bench::loadMeshes();
    for (const AssetIndexEntry& entry : assetIndex)
        if (entry.name.rfind("sounds\\", 0) == 0)
            LoadSoundFile(entry.name.substr(7));
    fillAchievementTables();
    queueAllTextures();
    for (const char* extra : {"bomb.tga", "buster.tga", "drill.tga", "background10.tga"})
        getTextureIndex(extra);
    streamQueued(timing);
    return !cubeMesh.meshes.empty() && !cubePolyparticles.particles.empty();
}

// A frame as the main loop makes it: update, draw, swap.
void playFrame()
{
    Update(frameMs);
    Draw();
    platformSwapBuffers(mainWindow);
}

// Level 10 of Normal, its blocks landed, the pointer on the mass; no tutorial pages.
void startPlay()
{
    offlineMode = 99;
    gameMode = gm::Normal;
    levelNumber = 9;
    tuteControl = tutePup = tuteCombo = tuteComboNow = tuteColor = tuteCrit = tuteRush = tuteSurvival =
        tuteMeditation = 1;
    loadLevel(false);
    gameState = gs::Game;
    fadeLevel = fadeDuration;
    paused = false;
    mouseX = screenWidth / 2 - screenWidth / 10;
    mouseY = screenHeight / 2 + screenHeight / 12;
    for (int i = 0; i < 200; ++i)
        playFrame();
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

// A minute of play: the pointer wanders over the mass and sets a block down whenever the game
// lets it; a level that ends (cleared or exploded) starts again.
void playMinute()
{
    unsigned seed = 7u;
    int placements = 0, restarts = 0;
    for (int frame = 0; frame < 3600; ++frame) {
        if (frame % 40 == 0) {
            seed = seed * 1103515245u + 12345u;
            mouseX = screenWidth / 2 + static_cast<int>((seed >> 8) % 400u) - 200;
            mouseY = screenHeight / 2 + static_cast<int>((seed >> 18) % 300u) - 150;
        }
        if (pickedBlock >= 0 && markerAlpha > 100.0f && !rotateDragActive) {
            rotateDragActive = true;   // the drop gesture of the default control scheme
            ++placements;
        }
        playFrame();
        if (gameState != gs::Game || paused) {
            ++restarts;
            startPlay();
        }
    }
    std::printf("scripted minute: %d set-down gestures, %d level restarts, peak %d sprites a frame\n", placements,
                restarts, peakParticleSprites);
}

void clearPopups()
{
    paused = tutorialOpen = tutorialResetPrompt = false;
    serverWaitPause = serverWaitContinued = continueReady = false;
    for (bool& shown : tutorialShown)
        shown = false;
    hoveredButton = 0;
}

void shot(const std::string& dir, const char* name, int w, int h)
{
    bench::streamBackdrop();
    Draw();
    bench::saveScreenshot(dir + "/" + name + ".ppm", w, h);
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
    // Meditation's card over its readout at the bottom left.
    gameMode = gm::Meditation;
    paused = tutorialOpen = true;
    tutorialShown[tutorialMeditation] = true;
    shot(dir, "pause-tutorial-meditation", w, h);
    gameMode = gm::Normal;
    clearPopups();

    // The panel of a cleared level, offline, with two achievements earned in it.
    floatys.clear();
    bench::stopParticles();
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

    // The achievements page on its second column, its carousel moved there as the page's arrows do.
    gameState = gs::Achievements;
    const auto showColumn = [](int column) {
        resetAchievementCarousel();
        while (achievementPage < column) {
            stepAchievementCarousel(1);
            moveAchievementCarousel(100000.0f);
        }
    };
    showColumn(2);
    hoveredButton = 7;
    shot(dir, "achievements", w, h);
    // The longest descriptions: column 6 (16 "Elitist", 18 "Classically Trained").
    showColumn(6);
    cheeveEarned[16] = true;
    hoveredButton = 0;
    shot(dir, "achievements-long", w, h);
}

enum class Mode { Frame, Minute, Shots };

bool runAt(int width, int height, int frames, Mode mode, const char* shots)
{
    bench::BenchWindow bw;
    if (!bw.open(width, height))
        return false;
    StreamTiming timing;
    if (!loadMedia(timing)) {
        std::fprintf(stderr, "the pack's meshes did not load\n");
        bw.close();
        return false;
    }
    bench::makeStars();
    startPlay();

    if (mode == Mode::Shots) {
        takeShots(shots, width, height);
    } else if (mode == Mode::Minute) {
        playMinute();
        const double peakMb = bench::peakResidentMb();
        std::printf("peak memory over start-up, loading and a scripted minute of play: %.0f MB\n", peakMb);
        std::printf("row|peak memory, a scripted minute of play (%dx%d)|%.0f MB|target|200 MB|%.2f|<= 1\n", width,
                    height, peakMb, peakMb / 200.0);
    } else {
        std::printf("%d streaming steps for every texture the screens ask for; the longest %.1f ms (%s)\n",
                    timing.steps, timing.longestMs, timing.longestWhat.c_str());
        for (const auto& [kind, ms] : timing.longestByKind)
            std::printf("  longest %-20s %6.1f ms\n", kind.c_str(), ms);
        std::printf("row|longest texture-streaming step (%s)|%.1f ms|one 60 Hz frame|16.7 ms|%.2f|<= 1\n",
                    timing.longestWhat.c_str(), timing.longestMs, timing.longestMs / 16.7);
        bench::ReferenceFrame reference;
        if (!bench::setupReferenceFrame(reference, width, height)) {
            std::fprintf(stderr, "the reference frame could not be set up\n");
            return false;
        }
        stagePlay();
        double referenceMs = 0.0, playMs = 0.0;
        const double ratio = bench::timeBesideReference(
            reference, frames,
            [] {
                keepStaged();
                Update(frameMs);
                Draw();
            },
            [&] { platformSwapBuffers(bw.window.hWnd); }, referenceMs, playMs);
        bench::releaseReferenceFrame(reference);
        int active = 0;
        for (const BlockRecord& b : blocks)
            active += b.active;
        std::printf("%4dx%-4d  reference frame %8.2f ms   play frame (%d blocks, 4 bursts, %zu texts, HUD, panel) "
                    "%8.2f ms   ratio %5.2f\n",
                    width, height, referenceMs, active, floatys.size(), playMs, ratio);
        std::printf("row|play frame at first-run settings (%dx%d)|%.2f ms|reference frame|%.2f ms|%.2f|<= 1.0\n",
                    width, height, playMs, referenceMs, ratio);
    }
    bench::stopParticles();
    bw.close();
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    bench::DrawOptions options{15};
    const char* shots = nullptr;
    Mode mode = Mode::Frame;
    for (int i = 1; i < argc; i++) {
        if (bench::takeDrawOption(argc, argv, i, options))
            continue;
        if (!std::strcmp(argv[i], "--shots") && i + 1 < argc) {
            shots = argv[++i];
            mode = Mode::Shots;
        } else if (!std::strcmp(argv[i], "--minute"))
            mode = Mode::Minute;
    }
    if (!bench::haveDisplay())
        return 1;
    return runAt(options.width, options.height, options.frames, mode, shots) ? 0 : 1;
}

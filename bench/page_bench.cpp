// One frame of each menu page through the real Draw (backdrop, starfield, page, pointer, fade)
// beside an empty frame (clear and swap) in the same run. With --shots it instead draws every
// page into PPM files: the intro, the main menu with news (a short text, and 64 KiB and 4 MiB as a
// news reply would bring them) and with its spinner, the game-choice
// pages with a button hovered, options from the menu and from a paused game, the score page online
// and offline, the end-of-game page, credits, congratulations, restart, the online menu pages,
// every panel of the login and new-profile pages, and the ranking page loaded (in each mode),
// loading and offline.
// Run it from the run folder (data/assets.ass beside it) with a display, e.g. under xvfb-run.
//   bench_page_bench [--frames N] [--size WxH] [--shots DIR]
#include "reference_frame.h"
#include "scene_setup.h"

#include "engine/camera.h"
#include "engine/config.h"
#include "engine/draw2d.h"
#include "engine/main.h"
#include "engine/meshes.h"
#include "engine/polyparticles.h"
#include "engine/startup.h"
#include "engine/textures.h"
#include "engine/window.h"
#include "game/credits.h"
#include "game/game_state.h"
#include "game/game_types.h"
#include "game/input.h"
#include "game/intro.h"
#include "game/level_end.h"
#include "game/levels.h"
#include "game/main_menu.h"
#include "game/options.h"
#include "game/page_buttons.h"
#include "game/reports.h"
#include "game/score.h"
#include "game/scoring.h"
#include "game/tutorials.h"
#include "game/states.h"
#include "online/create_account.h"
#include "online/query.h"
#include "online/rankings.h"
#include "online/replies.h"
#include "online/requests.h"
#include "platform/video.h"
#include "engine/gl_extensions.h"
#include "screens/draw.h"
#include "screens/main_menu_page.h"

#include <GL/gl.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr float frameMs = 1000.0f / 60.0f;

bool loadMedia()
{
    bench::loadMeshes();
    queueAllTextures();
    bench::streamQueuedTextures();
    return !cubeMesh.meshes.empty();
}

// The news as the service sends it: lines ended by "\r\n", paragraphs apart by a blank line.
const char* const newsSample =
    "Welcome to Tessarine!\r\n\r\n"
    "The new Survival stages are live: clear the mass before the countdown runs out and every stage "
    "pays more than the last.\r\n\r\n"
    "This week's ranking resets on Sunday. Ranked games count towards the leaderboards, practice "
    "games never do.\r\n\r\n"
    "Thanks for playing, and keep the feedback coming!";

struct PageShot {
    const char* name;
    std::function<void()> stage;   // sets the state the page draws from
};

void menuState(int state, int hovered)
{
    gameState = state;
    hoveredButton = hovered;
    hoveredArrow = 0;
    fadeLevel = fadeDuration;
    paused = false;
}

// The main menu with news of about this many bytes, handed over as the news reply.
void deliverNews(std::size_t bytes)
{
    menuState(gs::Menu, 0);
    offlineMode = 0;
    username = "Player";
    hasNews = 1;
    newsLines.clear();
    std::string text;
    for (int i = 0; text.size() < bytes; ++i)
        text += "Line " + std::to_string(i) + ": the world rankings reset on Sunday, ranked games count.\r\n";
    text.resize(bytes);
    handleReply(rk::News, 0, &text);
}

void scoreValues(bool online)
{
    gameMode = gm::Normal;
    levelNumber = 4;
    setScore(1234567);
    bestCombo = 12;
    gameTime = 125400.0f;
    levelSelectPlay = false;
    offlineMode = online ? 0 : 99;
    skillPointsBefore = online ? 1200 : -1;
    skillPointsAfter = online ? 1315 : -1;
    newRank = online ? 42 : -1;
    previousRank = online ? 45 : -1;
}

// A few seconds of fireworks, so cubes and bursts are in the air together.
void stageGrats()
{
    menuState(gs::Grats, 0);
    gratsParticles.clear();
    bench::stopParticles();
    for (int i = 0; i < 260; ++i)
        UpdateGrats(frameMs);
    leftButtonDown = false;
}

void panel(int state, int popup, int hovered)
{
    menuState(state, hovered);
    popupId = popup;
    caretBlink = true;
    offlineMode = 0;
    username = "Quillfeather";
    playerPassword = "secret12";
    retypedPassword = "secr";
    email = "quill@example.org";
}

// Sixty rows as the service sends them, the player's own at index 46, "Find Me" done; two shown
// carry names of the longest length the service takes, one of wide letters.
void stageRanking(bool loaded)
{
    menuState(gs::Ranking, loaded ? 6 : 0);
    gameMode = loaded ? gm::Rush : gm::Overall;
    rankingList.clear();
    for (int i = 0; i < (loaded ? 60 : 0); ++i) {
        const std::string name = i == 44 ? std::string(32, 'W') : i == 48 ? "ExtraordinarilyLongPlayerName_32"
                                                                          : "player" + std::to_string(i + 1);
        rankingList.push_back(std::to_string(gameMode) + "," + name + "," + std::to_string(i + 1) + "," +
                              std::to_string(2400000 - i * 38211) + "," + std::to_string(100 + i) + ",12");
    }
    userId = "146";
    rankingScroll = loaded ? 42 : 0;
    rankingAtEnd = loaded;
    findingPlayer = !loaded;
    menuSpinAngle = 35.0f;
    offlineMode = 0;
}

// The loaded page in another mode, its arrow hovered.
void rankingIn(int mode)
{
    stageRanking(true);
    gameMode = mode;
    hoveredButton = 1;
    hoveredArrow = 1;
}

std::vector<PageShot> pageShots()
{
    return {
        {"intro", [] { menuState(gs::Intro, 0); }},
        {"menu-news",
         [] {
             menuState(gs::Menu, 3);
             offlineMode = 0;
             username = "Player";
             hasNews = 1;
             newsText = newsSample;
             newsLines.clear();
         }},
        {"menu-news-64k", [] { deliverNews(64 * 1024); }},
        {"menu-news-4m", [] { deliverNews(4 * 1024 * 1024); }},
        {"menu-spinner",
         [] {
             menuState(gs::Menu, 10);
             offlineMode = 99;
             hasNews = 1;
             newsText.clear();
             newsLines.clear();
             menuSpinAngle = 35.0f;
         }},
        {"gametype", [] { menuState(gs::GameType, 3); }},
        {"difficulty", [] { menuState(gs::Difficulty, 7); }},
        {"playmode", [] { menuState(gs::RankedChoice, 1); }},
        {"levelselect", [] { menuState(gs::LevelSelect, 16); }},
        {"levelselect-back", [] { menuState(gs::LevelSelect, 7); }},
        {"options-menu",
         [] {
             menuState(gs::Options, 9);
             optionsFromGame = false;
         }},
        {"options-game",
         [] {
             menuState(gs::Options, 8);
             optionsFromGame = true;
             displayModeIndex = -1;
         }},
        {"score-online",
         [] {
             menuState(gs::Score, 2);
             scoreValues(true);
         }},
        {"score-offline",
         [] {
             menuState(gs::Score, 1);
             scoreValues(false);
         }},
        {"score-rush",
         [] {
             menuState(gs::Score, 3);
             scoreValues(true);
             gameMode = gm::Rush;
             skillPointsAfter = 1100;   // points lost
             previousRank = 30;
         }},
        {"endgame",
         [] {
             menuState(gs::Endgame, 0);
             scoreValues(true);
             performanceMean = 1000000;
             performanceSpread = 100000;
         }},
        {"credits", [] { menuState(gs::Credits, 0); }},
        {"grats", stageGrats},
        {"restart", [] { menuState(gs::Restart, 0); }},
        {"multimenu",
         [] {
             menuState(gs::Multiplayer, 1);
             username = "Player";
         }},
        {"multilobby", [] { menuState(gs::Lobby, 2); }},
        {"login-name", [] { panel(gs::Login, 1, 1); }},
        {"login-password", [] { panel(gs::Login, 2, 2); }},
        {"login-logging-in",
         [] {
             panel(gs::Login, 13, 0);
             connectingDotsTimer = 2500.0f;
         }},
        {"login-offline",
         [] {
             panel(gs::Login, 11, 1);
             offlineMode = 99;
         }},
        {"login-unreachable", [] { panel(gs::Login, 11, 2); }},
        {"login-failed", [] { panel(gs::Login, 14, 1); }},
        {"newprofile-email", [] { panel(gs::NewProfile, 20, 1); }},
        {"newprofile-name", [] { panel(gs::NewProfile, 1, 0); }},
        {"newprofile-password", [] { panel(gs::NewProfile, 2, 0); }},
        {"newprofile-retype", [] { panel(gs::NewProfile, 3, 0); }},
        {"newprofile-checking", [] { panel(gs::NewProfile, 8, 0); }},
        {"newprofile-registering", [] { panel(gs::NewProfile, 9, 0); }},
        {"newprofile-error", [] { panel(gs::NewProfile, 11, 1); }},
        {"newprofile-mismatch", [] { panel(gs::NewProfile, 5, 0); }},
        {"newprofile-taken", [] { panel(gs::NewProfile, 4, 1); }},
        {"ranking-found", [] { stageRanking(true); }},
        {"ranking-overall", [] { rankingIn(gm::Overall); }},
        {"ranking-casual", [] { rankingIn(gm::Casual); }},
        {"ranking-normal", [] { rankingIn(gm::Normal); }},
        {"ranking-expert", [] { rankingIn(gm::Expert); }},
        {"ranking-survival", [] { rankingIn(gm::Survival); }},
        {"ranking-meditation", [] { rankingIn(gm::Meditation); }},
        {"ranking-loading", [] { stageRanking(false); }},
        {"ranking-offline",
         [] {
             stageRanking(false);
             findingPlayer = false;
             offlineMode = 99;
         }},
    };
}

bool runAt(int width, int height, int frames, const char* shots)
{
    bench::BenchWindow bw;
    if (!bw.open(width, height))
        return false;
    if (!loadMedia()) {
        std::fprintf(stderr, "the pack's meshes did not load\n");
        bw.close();
        return false;
    }
    bench::makeStars();
    gameVersion = makeGameVersion("1.0.0");
    displayModes = {Vector2(1280.0f, 720.0f), Vector2(1920.0f, 1080.0f)};
    displayModeIndex = 1;
    mouseX = mouseY = -100;   // the pointer out of the way

    if (shots) {
        for (const PageShot& page : pageShots()) {
            page.stage();
            bench::streamBackdrop();
            Draw();
            bench::saveScreenshot(std::string(shots) + "/" + page.name + ".ppm", width, height);
            platformSwapBuffers(bw.window.hWnd);
        }
    } else {
        double start = bench::nowMs();
        for (int i = 0; i < frames; i++) {
            clearScreen(0, 0, 0, 1);
            platformSwapBuffers(bw.window.hWnd);
        }
        glFinish();
        const double emptyMs = (bench::nowMs() - start) / frames;
        std::printf("%4dx%-4d  empty frame %8.3f ms\n", width, height, emptyMs);
        for (const PageShot& page : pageShots()) {
            page.stage();
            bench::streamBackdrop();
            Draw();
            platformSwapBuffers(bw.window.hWnd);
            start = bench::nowMs();
            for (int i = 0; i < frames; i++) {
                Draw();
                platformSwapBuffers(bw.window.hWnd);
            }
            glFinish();
            const double pageMs = (bench::nowMs() - start) / frames;
            std::printf("           %-18s %8.3f ms   ratio %6.1f\n", page.name, pageMs, pageMs / emptyMs);
        }
    }
    bench::stopParticles();
    bw.close();
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    bench::DrawOptions options{5};   // a software renderer takes a while for one full frame
    const char* shots = nullptr;
    for (int i = 1; i < argc; i++)
        if (!bench::takeDrawOption(argc, argv, i, options) && !std::strcmp(argv[i], "--shots") && i + 1 < argc)
            shots = argv[++i];
    if (!bench::haveDisplay())
        return 1;
    return runAt(options.width, options.height, options.frames, shots) ? 0 : 1;
}

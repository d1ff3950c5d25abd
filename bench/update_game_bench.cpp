// One frame of play (UpdateGame) on a full board of 512 blocks, whose last placed block rests in
// a group of three so that its group search runs again every frame, beside one on an empty board.
// Needs no window: the view matrices are set by hand, so the pointer ray picks real faces.
//   bench_update_game_bench [--frames N]
#include "timing.h"

#include "engine/camera.h"
#include "engine/config.h"
#include "engine/picking.h"
#include "game/blocks.h"
#include "engine/window.h"
#include "game/input.h"
#include "game/mass.h"
#include "game/play.h"
#include "game/pointing.h"
#include "game/states.h"
#include "game/game_state.h"
#include "game/game_types.h"
#include "game/level_end.h"
#include "game/tutorials.h"
#include "online/requests.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr double frameBudgetMs = 16.7;

void clearBoard()
{
    for (int i = 0; i < blockCount; ++i)
        resetBlock(i);
}

// An 8 x 8 x 8 cube where no two neighbours share a colour, except the placed block at (3, 3, 3)
// and its two neighbours along x: a group of three that never reaches four.
void fillBoard()
{
    int n = 0;
    for (int x = 0; x < 8; ++x)
        for (int y = 0; y < 8; ++y)
            for (int z = 0; z < 8; ++z, ++n) {
                BlockRecord& b = blocks[n];
                b.position = b.targetPosition = Vector3((x - 4) * blockSize, (y - 4) * blockSize, (z - 4) * blockSize);
                b.colour = (x + 2 * y + 4 * z) % 7 + 1;
                b.active = b.settled = b.landedSoundDone = 1;
            }
    auto at = [](int x, int y, int z) { return x * 64 + y * 8 + z; };
    const int placed = at(3, 3, 3);
    blocks[at(2, 3, 3)].colour = blocks[at(4, 3, 3)].colour = blocks[placed].colour;
    blocks[placed].settled = 0;
}

// Mean ms of one UpdateGame over `frames` frames of 1/60 s; the mass is held back from the limit.
double timeFrames(int frames)
{
    const double start = bench::nowMs();
    for (int i = 0; i < frames; ++i) {
        massLevel = massLimit * 0.1f;
        UpdateGame(1000.0f / 60.0f);
    }
    return (bench::nowMs() - start) / frames;
}

} // namespace

int main(int argc, char** argv)
{
    int frames = 2000;
    for (int i = 1; i < argc; ++i)
        if (!std::strcmp(argv[i], "--frames") && i + 1 < argc)
            frames = std::max(1, std::atoi(argv[++i]));

    screenWidth = 1280;
    screenHeight = 720;
    gameState = gs::Game;
    gameMode = gm::Normal;
    massLimit = 54.0f;
    // Offline with every tutorial seen: no reply wait or tutorial page pauses the frames measured.
    offlineMode = 99;
    for (int page = 0; page < 9; ++page)
        tutorialSetting(page) = 1;
    // The pointer in the middle of the screen, looking at the mass from the level-start eye.
    mouseX = screenWidth / 2;
    mouseY = screenHeight / 2;
    camera.set(0.0f, -20.0f * blockSize, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);
    lookAtMatrix(camera.position, camera.view, camera.up, modelviewMatrix);
    perspectiveMatrix(45.0, static_cast<double>(screenWidth) / screenHeight, 1.0, 10000.0, projectionMatrix);

    clearBoard();
    const double empty = timeFrames(frames);
    // The empty board counted as a cleared level: back to play before the full one.
    gameState = gs::Game;
    levelCompleteTimer = 0.0f;
    fillBoard();
    const double full = timeFrames(frames);

    std::printf("UpdateGame, %d frames each (reference: a 60 Hz frame of %.1f ms)\n", frames, frameBudgetMs);
    std::printf("  empty board             %8.4f ms  %6.2f%% of the frame\n", empty, 100.0 * empty / frameBudgetMs);
    std::printf("  512 blocks, group of 3  %8.4f ms  %6.2f%% of the frame\n", full, 100.0 * full / frameBudgetMs);
    std::printf("  picked face %d of block %d\n", pickedFace, pickedBlock);
    std::printf("row|UpdateGame, empty board|%.4f ms|one 60 Hz frame|%.1f ms|%.4f|\n", empty, frameBudgetMs,
                empty / frameBudgetMs);
    std::printf("row|UpdateGame, 512 blocks, group search every frame|%.4f ms|one 60 Hz frame|%.1f ms|%.4f|\n", full,
                frameBudgetMs, full / frameBudgetMs);
    return 0;
}

// ts_update: started by the game, in the game's folder, after it wrote a new game executable into
// the patch folder. It puts that file in place and starts the game again. Shows nothing; exits 0.
#include "platform/handover.h"
#include "updater/patch_move.h"

#include <chrono>
#include <thread>

static void sleepFor(unsigned milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

int main()
{
    return runUpdater(sleepFor, platformLaunchProgram, platformFileSteps());
}

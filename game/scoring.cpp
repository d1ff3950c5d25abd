#include "game/scoring.h"

#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/sound.h"
#include "game/blocks.h"
#include "game/effects.h"
#include "game/flood_fill.h"
#include "game/game_types.h"
#include "game/level_end.h"
#include "game/mass.h"
#include "game/play_achievements.h"
#include "game/pointing.h"
#include "game/powerups.h"
#include "game/states.h"
#include "online/achievements.h"

int displayedScore = 0;
int comboLevel = 1;
int bestCombo = 0;
int lastGroupSize = 0;
int killCount = 0;
int blockBonusTotal = 0;
int placementsSinceMatch = 0;

int groupPoints(int n, bool multiplier)
{
    const int points = n * n * 100;
    return multiplier ? points * 3 : points;
}

int updateGroupRemoval()
{
    massReductionFactor = modeMassReductionFactor(gameMode, survivalStage);
    for (int i = 0; i < blockCount; ++i) {
        const BlockRecord& b = blocks[i];
        if (!b.active || b.settled || !blockAtRest(b))
            continue;
        resetFloodFill();
        recursiveFloodFill(i, b.colour);
        const int n = countMatchedBlocks();
        if (n >= minimumGroupSize) {
            removeMatchedBlocks();
            scoreRemovedGroup(n);
            return n;
        }
    }
    return 0;
}

void scoreRemovedGroup(int n)
{
    cutMassForGroup(n);
    if (!anyPowerupRunning())
        chargeBacklog += static_cast<float>(n);

    const int points = groupPoints(n, multiplierActive);
    const bool rush = gameMode == gm::Rush;
    if (!rush)
        setScore(getScore() + points);

    if (n > bestCombo)
        bestCombo = n;
    lastGroupSize = n;
    killCount += n;
    if (gameMode == gm::Survival)
        pendingSpawns += n;

    for (const char* key : groupRemovalAwards(n))
        awardAchievement(key);

    if (!rush)
        spawnFloaty(dropScreenPoint, std::to_string(std::abs(points)), false, false, points);
}

void retireRemovingBlocks(float dtMs)
{
    for (BlockRecord& b : blocks) {
        if (!b.active || !b.removing)
            continue;
        b.removeTimer += dtMs;
        if (b.removeTimer < 0.0f)
            continue;
        b.active = 0;
        startBurst(b.position, b.colour);
        PlaySound("stab6.ogg", 0.25f, 1.0f + 0.2f * static_cast<float>(b.groupOrder));
        comboPulse = 1.4f;
        comboLevel = b.groupOrder + 1;
    }
}

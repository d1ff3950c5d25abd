#include "game/pointing.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/camera.h"
#include "engine/config.h"
#include "engine/picking.h"
#include "engine/profiler.h"
#include "engine/random.h"
#include "engine/sound.h"
#include "engine/window.h"
#include "game/explosion.h"
#include "game/game_types.h"
#include "game/input.h"
#include "game/mass.h"
#include "game/piece_queues.h"
#include "game/powerups.h"
#include "game/reports.h"
#include "game/scoring.h"
#include "game/states.h"
#include "game/tuning.h"

int pickedBlock = -1;
int pickedFace = -1;
float hoverTimer = 0.0f;
float markerAlpha = 0.0f;
int blocksLanded = 0;
int cursorColour = -1;
int previousCursorColour = -1;
Vector2 dropScreenPoint;

namespace {

float playTime(float dtMs)
{
    return timewarpActive ? dtMs * timewarpFactor : dtMs;
}

bool pickable(const BlockRecord& b)
{
    return b.active && !b.removing && !b.hidden && blockAtRest(b);
}

} // namespace

void blockFaceQuad(Vector3 c, int face, Vector3 quad[4])
{
    const float h = blockSize / 2.0f;
    Vector3 n = directionVector(face);
    // Two axes spanning the face, perpendicular to its normal.
    Vector3 u = n.x != 0.0f ? Vector3(0.0f, 1.0f, 0.0f) : Vector3(1.0f, 0.0f, 0.0f);
    Vector3 v = n.z != 0.0f ? Vector3(0.0f, 1.0f, 0.0f) : Vector3(0.0f, 0.0f, 1.0f);
    Vector3 centre = c + n * h;
    quad[0] = centre - u * h - v * h;
    quad[1] = centre + u * h - v * h;
    quad[2] = centre + u * h + v * h;
    quad[3] = centre - u * h + v * h;
}

void pickBlockFace(Vector3 eye)
{
    pickedBlock = -1;
    pickedFace = -1;
    float nearest = 100000000.0f;
    for (int i = 0; i < blockCount; ++i) {
        if (!pickable(blocks[i]))
            continue;
        for (int face = 1; face <= 6; ++face) {
            Vector3 quad[4];
            blockFaceQuad(blocks[i].position, face, quad);
            Vector3 hit;
            if (!RayPick(quad, &hit))
                continue;
            const float d = distance(hit, eye);
            if (d < nearest) {
                nearest = d;
                pickedBlock = i;
                pickedFace = face;
            }
        }
    }
}

void updatePointing()
{
    getMatrices();
    getMouseVectors();
    pickBlockFace(camera.getPosition());
}

void updateHover(float dtMs)
{
    hoverTimer += playTime(dtMs);
    if (hoverTimer >= hoverDelay) {
        hoverTimer = hoverDelay;
        markerAlpha += playerSpeed * 1.5f * dtMs / 2.0f;
        if (markerAlpha > 255.0f)
            markerAlpha = 255.0f;
    }
}

static float approach(float value, float target, float step)
{
    if (std::fabs(target - value) <= step)
        return target;
    return value < target ? value + step : value - step;
}

void moveBlocks(float dtMs)
{
    const float baseStep = playerSpeed * 15.0f * playTime(dtMs) / 10.0f;
    for (BlockRecord& b : blocks) {
        if (!b.active)
            continue;
        b.previousPosition = b.position;
        const float step = b.fused ? baseStep * 0.275f : baseStep;
        b.position.x = approach(b.position.x, b.targetPosition.x, step);
        b.position.y = approach(b.position.y, b.targetPosition.y, step);
        b.position.z = approach(b.position.z, b.targetPosition.z, step);
    }
}

void resolveOverlaps()
{
    for (int i = 0; i < blockCount; ++i) {
        BlockRecord& b = blocks[i];
        if (!b.active || b.fused || !blockAtRest(b))
            continue;
        const int holder = findAnyBlockAt(b.position.x, b.position.y, b.position.z);
        if (holder != -1 && holder != i)
            b.active = 0;
    }
}

void landBlocks()
{
    for (BlockRecord& b : blocks) {
        if (!b.active || b.landedSoundDone || b.settled || !blockAtRest(b))
            continue;
        b.landedSoundDone = 1;
        PlaySound("clunk-hardcore.ogg", 0.5f, 1.0f);
        ++blocksLanded;
    }
}

void resetFarBlocks()
{
    const float limit = 100000.0f;
    for (int i = 0; i < blockCount; ++i) {
        const Vector3& p = blocks[i].position;
        if (std::fabs(p.x) > limit || std::fabs(p.y) > limit || std::fabs(p.z) > limit)
            resetBlock(i);
    }
}

void updateBlockPlay(float dtMs)
{
    updateHover(dtMs);
    moveBlocks(dtMs);
    resolveOverlaps();
    landBlocks();
    resetFarBlocks();
}

bool trySetDown()
{
    if (pickedBlock < 0 || pickedBlock >= blockCount || pickedFace < 1 || pickedFace > 6)
        return false;
    if (!pickable(blocks[pickedBlock]))
        return false;
    const bool gesture = mouseFlip == 1 ? leftButtonDown : rotateDragActive;
    if (!gesture || markerAlpha <= 100.0f || hoverTimer < hoverDelay)
        return false;
    if (gameMode == gm::Meditation && blocksLanded >= meditationGoal)
        return false;
    if (cursorColour == -1)
        return false;
    // With every record in use the set-down does not happen and nothing changes.
    const int index = newBlock();
    if (index == -1)
        return false;

    for (BlockRecord& b : blocks)
        if (b.active)
            b.settled = 1;
    const int colour = cursorColour;
    hoverTimer = 0.0f;
    previousCursorColour = colour;
    cursorColour = -1;

    const Vector3 normal = directionVector(pickedFace);
    const Vector3 anchor = blocks[pickedBlock].position;
    BlockRecord& b = blocks[index];
    b.position = b.previousPosition = anchor + normal * (20.0f * blockSize);
    b.targetPosition = anchor + normal * blockSize;
    b.colour = colour;
    b.landedSoundDone = 0;
    b.active = 1;

    dropScreenPoint = Vector2(static_cast<float>(mouseX), static_cast<float>(mouseY));
    rotateDragActive = false;
    markerAlpha = 0.0f;
    ++dropCount;
    if (gm::isClassic(gameMode) && placementsSinceMatch != 0)
        pendingMass += placementsSinceMatch * massLimit * 0.005f;
    ++placementsSinceMatch;
    PlaySound("swish.ogg", 0.5f, 1.0f);
    return true;
}

namespace {

bool onBoard(const BlockRecord& b)
{
    return b.active && !b.removing;
}

// Most common colour among the blocks on the board (the first on a tie), other than `skipA` and
// `skipB`; -1 when none is left.
int mostCommonColour(const int counts[8], int skipA, int skipB)
{
    int best = -1;
    for (int c = 0; c < 8; ++c)
        if (counts[c] > 0 && c != skipA && c != skipB && (best == -1 || counts[c] > counts[best]))
            best = c;
    return best;
}

void chooseWeighted()
{
    bool present = false;
    int counts[8] = {};
    for (const BlockRecord& b : blocks) {
        if (!onBoard(b))
            continue;
        present = present || b.colour == cursorColour;
        if (b.colour >= 0 && b.colour < 8)
            ++counts[b.colour];
    }
    if (!present)
        cursorColour = -1;
    if (cursorColour != -1)
        return;

    int kinds = 0;
    for (int c = 0; c < 8; ++c)
        kinds += counts[c] > 0 ? 1 : 0;
    // With one colour left it is carried again, even right after it was set down.
    const int best = mostCommonColour(counts, kinds == 1 ? -1 : previousCursorColour, -1);
    if (best == -1)
        return;
    const int second = kinds == 1 ? best : mostCommonColour(counts, previousCursorColour, best);
    cursorColour = gameRandom() % 100 < 50 ? best : second;
}

void chooseHint()
{
    if (cursorColour != -1)
        return;
    std::vector<int> colours;
    // Bomb, Buster and Drill blocks (8..10) are no colour the pointer can carry.
    for (const BlockRecord& b : blocks)
        if (onBoard(b) && b.colour >= 1 && b.colour <= 7 && b.colour != previousCursorColour &&
            std::find(colours.begin(), colours.end(), b.colour) == colours.end())
            colours.push_back(b.colour);
    if (colours.empty())
        cursorColour = previousCursorColour;
    else
        cursorColour = colours[static_cast<std::size_t>(gameRandom() % static_cast<int>(colours.size()))];
}

void chooseMeditation()
{
    static const int palette[6] = {1, 2, 3, 4, 5, 7};   // never grey
    if (cursorColour == -1)
        cursorColour = palette[gameRandom() % 6];
}

} // namespace

void chooseCarriedColour()
{
    if (gameMode == gm::Meditation) {
        chooseMeditation();
    } else if (gameMode >= gm::Casual && gameMode <= gm::Survival) {
        if (placementsSinceMatch < hintPlacements)
            chooseWeighted();
        else
            chooseHint();
    }
}

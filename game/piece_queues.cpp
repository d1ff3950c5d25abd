#include "game/piece_queues.h"

#include "engine/random.h"

BlockRecord colorQueue[queueLength];
BlockRecord shapeQueue[queueLength];
bool colourBiasActive = false;

int drawLadderColour()
{
    int r = gameRandom() % 30;
    if (r <= 5)
        return 7;
    if (r <= 10)
        return 5;
    if (r <= 15)
        return 4;
    if (r <= 20)
        return 3;
    if (r <= 25)
        return 2;
    return 1;
}

int drawLadderPattern()
{
    int r = gameRandom() % 170;
    if (r <= 10)
        return 1;
    if (r >= 161)
        return 17;
    return 2 + (r - 11) / 10;
}

static int drawPowerupLevel()
{
    if (gameRandom() % 100 > 20)
        return 0;
    // One roll in a hundred gives a Bomb; the rest is split between Buster and Drill.
    int r = gameRandom() % 100;
    if (r == 0)
        return 1;
    if (r < 50)
        return 2;
    return 3;
}

// Only the seven block colours count: the powerup colours 8..10 and a stray 0 would let the bias
// pick a colour below 1, and the refill loop, which waits for a colour of at least 1, would not end.
static int biasedColour()
{
    int counts[8] = {};
    int presentColours = 0;
    for (const BlockRecord& b : blocks)
        if (b.active && b.colour >= 1 && b.colour <= 7)
            ++counts[b.colour];
    for (int c = 1; c <= 7; ++c)
        if (counts[c] > 0)
            ++presentColours;

    const int lastColour = colorQueue[4].colour;
    int best = -1, bestCount = 0;
    for (int c = 1; c <= 7; ++c) {
        if (c == lastColour && presentColours >= 3)
            continue;
        if (counts[c] > bestCount) {
            best = c;
            bestCount = counts[c];
        }
    }
    return best;
}

static void colourQueuePass()
{
    int colour = colourBiasActive ? biasedColour() : -1;
    if (colour < 1)
        colour = drawLadderColour();
    int level = drawPowerupLevel();

    for (int i = 0; i < 8; ++i)
        colorQueue[i] = colorQueue[i + 1];
    BlockRecord& entry = colorQueue[4];
    entry.colour = colour;
    entry.powerupLevel = level;
    entry.position.y = -50.0f;
    entry.size.x = 0.0f;
    entry.size.y = 0.0f;
}

int newBlock()
{
    int index = -1;
    for (int i = 0; i < blockCount; ++i)
        if (!blocks[i].active) {
            index = i;
            break;
        }
    if (index == -1)
        return -1;

    resetBlock(index);
    do
        colourQueuePass();
    while (colorQueue[0].colour < 1);

    blocks[index].colour = colorQueue[4].colour;
    blocks[index].powerupLevel = colorQueue[4].powerupLevel;
    return index;
}

void nextShape()
{
    do {
        int colour = drawLadderColour();
        int pattern = drawLadderPattern();
        for (int i = 0; i < 8; ++i)
            shapeQueue[i] = shapeQueue[i + 1];
        BlockRecord& entry = shapeQueue[8];
        entry.colour = colour;
        entry.position.y = -50.0f;
        entry.size.x = 0.0f;
        entry.size.y = 0.0f;
        entry.size.z = static_cast<float>(pattern);
    } while (shapeQueue[0].colour < 1);
}
